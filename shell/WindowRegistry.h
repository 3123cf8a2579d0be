#pragma once

#include <QString>
#include <functional>

class QWidget;

// Which window each menu entry of the main window opens. The working windows live in
// folders the shell does not know; the program registers them at start, each in one
// place. An entry without a registered window stays disabled.
struct WindowEntry
{
    enum class Placement { Child, MaximizedChild, TopLevel };

    QString entryName;
    std::function<QWidget *()> create;
    Placement placement = Placement::Child;
    // Whether opening shows the hourglass.
    bool hourglass = true;
};

void registerWindow(const WindowEntry &entry);
const WindowEntry *registeredWindow(const QString &entryName);
void clearRegisteredWindows();
