#pragma once

#include "platform/db/DbError.h"
#include "platform/ui/MessageBoxes.h"

#include <QString>

class QWidget;
class FlexGrid;

// Routines the windows share: placing a window in the main window's client area,
// widening grid columns to their texts, and the two standard message boxes.

// The main window registers its client area (the area that holds the child
// windows, below the banner) so that windows can be centred in it.
void setMainClientArea(QWidget *area);
QWidget *MainClientArea();

// Left = (inner width of the client area - width of the window) / 2, top likewise.
// A child window is placed inside the client area; a top-level window takes the same
// numbers as screen coordinates. Nothing happens while no client area is registered.
void CenterChild(QWidget *window);

// Every column whose fixed-cell alignment is not 9 becomes as wide as its widest cell
// text (fixed rows included) in the measuring window's font, plus 90 twips; an
// all-empty column becomes 90 twips. Columns with fixed-cell alignment 9 keep theirs.
void AutoSizeColumns(FlexGrid *grid, QWidget *measuringWindow);

// An information box with an OK button, titled with the program's executable name.
void ShowInfo(const QString &text);

// "错误号：" + number + CR LF + "错误描述：" + description, with an OK button, the
// caller's icon and title; an empty title gives the application title.
void ShowErrorBox(int number, const QString &description, MessageBoxes::Icon icon, const QString &title);

// The short error report: "{number} {description}".
QString errorReportText(const db::DbError &error);
// The same without the space between number and description, as some windows write it.
QString errorReportTextWithoutSpace(const db::DbError &error);
