#pragma once

#include <QList>
#include <QString>

class QWidget;

// File dialogs through one service. In tests the service is scripted: the next
// answer is set beforehand and every dialog is recorded instead of shown.
namespace FileDialogs {

// The chosen file name, or empty text when the operator cancelled.
// Whether choosing an existing file asks to replace it; a file that is added to (a
// workbook that gets one more sheet) is not replaced.
enum class ExistingFile { ConfirmReplace, AddTo };
QString getSaveFileName(QWidget *parent, const QString &caption, const QString &suggested, const QString &filter,
                        ExistingFile existing = ExistingFile::ConfirmReplace);
QString getOpenFileName(QWidget *parent, const QString &caption, const QString &folder, const QString &filter);

// ---- scripting for tests
struct Record
{
    enum Kind { Save, Open } kind;
    QString caption;
    QString folder; // the suggested file or the starting folder, as the window gave it
    QString filter;
    QString answer;
};

void startScripting();
// Ends scripting; an answer set and never taken is reported (see MessageBoxes.h).
void stopScripting();
// The answer of the next dialog (empty text: cancelled); dialogs without one are cancelled.
void setNextFileName(const QString &name);
QList<Record> records();

} // namespace FileDialogs
