#pragma once

#include <QList>
#include <QString>

class QWidget;

// The one way windows talk to the operator in message boxes. In tests the service is
// scripted: answers are queued beforehand and every box is recorded instead of shown,
// so a Yes/No question never blocks a test.
namespace MessageBoxes {

enum class Icon { None, Information, Warning, Critical, Question };
enum class Buttons { Ok, YesNo, OkCancel, YesNoCancel };
enum class Answer { Ok, Yes, No, Cancel };

struct Record
{
    QString text;
    QString title;
    Icon icon;
    Buttons buttons;
    Answer answer;
};

// The application title ("Tessaline"), carried by every box that states no title.
QString applicationTitle();
// The file name of the running program without its extension.
QString executableName();

Answer show(QWidget *parent, const QString &text, const QString &title, Icon icon, Buttons buttons = Buttons::Ok);

// A box with the application title.
Answer showWithAppTitle(QWidget *parent, const QString &text, Icon icon = Icon::None,
                        Buttons buttons = Buttons::Ok);

// ---- scripting for tests
void startScripting();
// Ends scripting. Answers queued and never taken mean the test did not go the way it
// was written: they are reported through the handler below.
void stopScripting();
bool isScripted();
// The answer the next box gets; boxes without a queued answer get Ok (or No for a question).
void queueAnswer(Answer answer);
QList<Record> records();
void clearRecords();

// What is done with a script that was not used up (answers queued for boxes that
// never came, a file name no dialog took): by default a warning; the tests make it a
// failure of the test.
void setUnusedScriptHandler(void (*handler)(const QString &what));
void reportUnusedScript(const QString &what);

} // namespace MessageBoxes
