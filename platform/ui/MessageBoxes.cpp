#include "platform/ui/MessageBoxes.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

#include <deque>

namespace MessageBoxes {
namespace {

struct Script
{
    bool active = false;
    std::deque<Answer> answers;
    QList<Record> records;
};

Script &script()
{
    static Script s;
    return s;
}

void (*&unusedScriptHandler())(const QString &)
{
    static void (*handler)(const QString &) = nullptr;
    return handler;
}

void reportUnusedAnswers()
{
    if (script().answers.empty())
        return;
    reportUnusedScript(QStringLiteral("消息框的回答未被使用：%1 个").arg(script().answers.size()));
}

QMessageBox::Icon toQt(Icon icon)
{
    switch (icon) {
    case Icon::Information: return QMessageBox::Information;
    case Icon::Warning: return QMessageBox::Warning;
    case Icon::Critical: return QMessageBox::Critical;
    case Icon::Question: return QMessageBox::Question;
    case Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons toQt(Buttons buttons)
{
    switch (buttons) {
    case Buttons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case Buttons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case Buttons::Ok: break;
    }
    return QMessageBox::Ok;
}

Answer fromQt(int button)
{
    switch (button) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Cancel: return Answer::Cancel;
    default: return Answer::Ok;
    }
}

Answer defaultAnswer(Buttons buttons)
{
    return buttons == Buttons::Ok ? Answer::Ok : (buttons == Buttons::OkCancel ? Answer::Cancel : Answer::No);
}

} // namespace

QString applicationTitle()
{
    return QStringLiteral("Tessaline");
}

QString executableName()
{
    return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

Answer show(QWidget *parent, const QString &text, const QString &title, Icon icon, Buttons buttons)
{
    Script &s = script();
    if (s.active) {
        Answer answer = defaultAnswer(buttons);
        if (!s.answers.empty()) {
            answer = s.answers.front();
            s.answers.pop_front();
        }
        s.records.append({text, title, icon, buttons, answer});
        return answer;
    }
    QMessageBox box(toQt(icon), title, text, toQt(buttons), parent);
    if (buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel)
        box.setDefaultButton(QMessageBox::Yes);
    // A box shown while the hourglass is up gets the normal pointer while it is open.
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const Answer answer = fromQt(box.exec());
    if (busy)
        QApplication::restoreOverrideCursor();
    return answer;
}

Answer showWithAppTitle(QWidget *parent, const QString &text, Icon icon, Buttons buttons)
{
    return show(parent, text, applicationTitle(), icon, buttons);
}

void startScripting()
{
    reportUnusedAnswers();
    script() = Script{};
    script().active = true;
}

void stopScripting()
{
    reportUnusedAnswers();
    script() = Script{};
}

void setUnusedScriptHandler(void (*handler)(const QString &what))
{
    unusedScriptHandler() = handler;
}

void reportUnusedScript(const QString &what)
{
    if (unusedScriptHandler())
        unusedScriptHandler()(what);
    else
        qWarning("%s", qPrintable(what));
}

bool isScripted()
{
    return script().active;
}

void queueAnswer(Answer answer)
{
    script().answers.push_back(answer);
}

QList<Record> records()
{
    return script().records;
}

void clearRecords()
{
    script().records.clear();
}

} // namespace MessageBoxes
