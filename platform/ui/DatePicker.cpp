#include "platform/ui/DatePicker.h"

#include "platform/Clock.h"
#include "platform/ui/DisplayFormats.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpression>

namespace {

bool isDateCharacter(QChar c)
{
    return c.isDigit() || c == QLatin1Char('/') || c == QLatin1Char('-') || c == QLatin1Char('.')
        || c == QLatin1Char(' ');
}

QChar typedCharacter(const QKeyEvent *event)
{
    if (event->text().size() != 1 || (event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)))
        return QChar();
    return event->text().at(0);
}

} // namespace

DatePicker::DatePicker(QWidget *parent) : QDateEdit(Today(), parent)
{
    setCalendarPopup(true);
    setLocale(DisplayFormats::displayLocale());
    setDisplayFormat(DisplayFormats::displayLocale().dateFormat(QLocale::ShortFormat));
}

QDate DatePicker::value() const
{
    finishTyping();
    return date();
}

void DatePicker::setValue(const QDate &value)
{
    m_typing = false;
    setDate(value);
}

QDate DatePicker::dateFromTyping(const QString &typed, const QDate &current) const
{
    const QString text = typed.trimmed();
    static const QRegularExpression eightDigits(QStringLiteral("^(\\d{4})(\\d{2})(\\d{2})$"));
    static const QRegularExpression separator(QStringLiteral("[/.\\- ]+"));
    QStringList parts;
    if (const auto whole = eightDigits.match(text); whole.hasMatch())
        parts = {whole.captured(1), whole.captured(2), whole.captured(3)};
    else
        parts = text.split(separator);
    if (parts.isEmpty() || parts.size() > 3)
        return {};
    int numbers[3] = {current.year(), current.month(), current.day()};
    for (int i = 0; i < parts.size(); ++i) {
        bool ok = false;
        numbers[i] = parts[i].toInt(&ok);
        if (!ok || parts[i].size() > (i == 0 ? 4 : 2))
            return {};
    }
    if (parts[0].size() <= 2)
        numbers[0] += 2000; // "25/3/15": this century, as a clerk means it
    if (parts.size() < 3) // the day of the current date may not exist in the month typed
        numbers[2] = qMin(numbers[2], QDate(numbers[0], numbers[1], 1).daysInMonth());
    const QDate date(numbers[0], numbers[1], numbers[2]);
    return date.isValid() && date >= minimumDate() && date <= maximumDate() ? date : QDate();
}

// The operator replaces the date from its start: the whole text, or the year, is
// selected and a digit is typed.
bool DatePicker::startsTyping(const QKeyEvent *event) const
{
    const QChar c = typedCharacter(event);
    return c.isDigit() && lineEdit()->hasSelectedText() && lineEdit()->selectionStart() == 0;
}

void DatePicker::keyPressEvent(QKeyEvent *event)
{
    if (!m_typing && startsTyping(event)) {
        m_typing = true;
        m_typed.clear();
        // The field's own section parser must not read the text while it is typed.
        setKeyboardTracking(false);
    }
    if (!m_typing) {
        QDateEdit::keyPressEvent(event);
        return;
    }
    const QChar c = typedCharacter(event);
    if (!c.isNull() && isDateCharacter(c)) {
        m_typed += c;
        showTyped();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Backspace:
        m_typed.chop(1);
        showTyped();
        return;
    case Qt::Key_Escape:
        m_typing = false;
        setKeyboardTracking(true);
        setDate(date()); // the date shown before typing
        lineEdit()->setText(textFromDateTime(dateTime()));
        lineEdit()->selectAll();
        return;
    default:
        finishTyping();
        QDateEdit::keyPressEvent(event);
    }
}

void DatePicker::focusOutEvent(QFocusEvent *event)
{
    finishTyping();
    QDateEdit::focusOutEvent(event);
}

void DatePicker::showTyped()
{
    lineEdit()->setText(m_typed);
    lineEdit()->setCursorPosition(int(m_typed.size()));
}

// Takes the typed text as the date (or the previous date back when it names none) and
// shows it in the field's own form.
void DatePicker::finishTyping() const
{
    if (!m_typing)
        return;
    auto *self = const_cast<DatePicker *>(this);
    self->m_typing = false;
    self->setKeyboardTracking(true);
    const QDate typed = dateFromTyping(m_typed, date());
    if (typed.isValid())
        self->setDate(typed);
    else
        QApplication::beep();
    self->lineEdit()->setText(textFromDateTime(dateTime()));
}
