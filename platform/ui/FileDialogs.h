#pragma once

#include <QString>

class QWidget;

// File dialogs through one service; a test sets the next answer beforehand.
namespace FileDialogs {

// The chosen file name, or empty text when the operator cancelled.
QString getSaveFileName(QWidget *parent, const QString &caption, const QString &suggested, const QString &filter);
QString getOpenFileName(QWidget *parent, const QString &caption, const QString &folder, const QString &filter);

// ---- scripting for tests: the next dialog returns this name without showing.
void setNextFileName(const QString &name);
void stopScripting();

} // namespace FileDialogs
