#pragma once

#include <QString>

class DropDownList;
class QIcon;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// Controls created where a window's design puts them (twips, relative to the parent),
// named as the window names them.
namespace PlacedControls {

// A label at (left, top). Without a size it is as large as its caption; with one it
// takes that size but never cuts its caption short (the design sizes fit the font of
// the desktop they were drawn on).
QLabel *label(QWidget *parent, const QString &name, const QString &caption, int left, int top, int width = 0,
              int height = 0);
QLineEdit *textBox(QWidget *parent, const QString &name, int left, int top, int width, int height = 300);
// A drop-down list the operator chooses from but does not type in.
DropDownList *comboBox(QWidget *parent, const QString &name, int left, int top, int width, int height = 300);
// A push button that Enter clicks only while it has the focus.
QPushButton *button(QWidget *parent, const QString &name, const QString &caption, int left, int top, int width,
                    int height = 345);

// The picture of a department in the windows' trees (a small building).
QIcon departmentIcon();

} // namespace PlacedControls
