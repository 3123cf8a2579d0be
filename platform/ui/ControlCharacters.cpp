#include "platform/ui/ControlCharacters.h"

#include <QLineEdit>
#include <QPointer>
#include <QValidator>

#include <algorithm>

namespace {

// Drops the non-printing characters of text. With a cursor, moves it back by the
// characters dropped in front of it.
QString dropped(const QString &text, int *cursor)
{
    QString kept;
    kept.reserve(text.size());
    const int oldCursor = cursor ? *cursor : 0;
    int removedBeforeCursor = 0;
    for (qsizetype i = 0; i < text.size();) {
        qsizetype length = 1;
        char32_t point = text.at(i).unicode();
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            point = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            length = 2;
        }
        // A lone surrogate is not printable and goes too.
        if (QChar::isPrint(point))
            kept.append(QStringView(text).mid(i, length));
        else if (i < oldCursor)
            removedBeforeCursor += static_cast<int>(std::min<qsizetype>(length, oldCursor - i));
        i += length;
    }
    if (cursor)
        *cursor = oldCursor - removedBeforeCursor;
    return kept;
}

bool hasControlCharacters(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            if (!QChar::isPrint(QChar::surrogateToUcs4(c, text.at(i + 1))))
                return true;
            ++i;
        } else if (!c.isPrint()) {
            return true;
        }
    }
    return false;
}

// The line edit validates every change of its text, whoever makes it, and takes the
// text back from its validator; cleaning the text there means that no signal of the
// box ever carries a control character.
class ControlCharacterFilter : public QValidator
{
public:
    ControlCharacterFilter(const QValidator *next, QObject *parent) : QValidator(parent), m_next(next) {}

    State validate(QString &input, int &pos) const override
    {
        if (hasControlCharacters(input))
            input = dropped(input, &pos);
        return m_next ? m_next->validate(input, pos) : Acceptable;
    }

    void fixup(QString &input) const override
    {
        input = withoutControlCharacters(input);
        if (m_next)
            m_next->fixup(input);
    }

private:
    QPointer<const QValidator> m_next;
};

} // namespace

QString withoutControlCharacters(const QString &text)
{
    return hasControlCharacters(text) ? dropped(text, nullptr) : text;
}

void dropControlCharacters(QLineEdit *edit)
{
    if (!edit || dynamic_cast<const ControlCharacterFilter *>(edit->validator()))
        return;
    edit->setValidator(new ControlCharacterFilter(edit->validator(), edit));
    // Text set before the filter was there.
    if (hasControlCharacters(edit->text()))
        edit->setText(withoutControlCharacters(edit->text()));
}
