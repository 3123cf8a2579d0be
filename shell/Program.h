#pragma once

#include <QDateTime>
#include <QString>

// Ends the whole program at once: every window closes and the event loop stops.
// Tests see the request instead of an exit.
void EndProgram();
bool programEndRequested();
void resetProgramEndRequest();

// Qt's own texts (standard buttons, file, print and preview dialogs) in Chinese,
// whatever the system language. Returns whether Qt's Chinese translations were found.
bool installQtTranslations();

// The program's folder (where MDI.BMP and Command.Dll live). Tests may move it.
QString programFolder();
void setProgramFolderForTests(const QString &folder);
// The folder the program writes its own files to (Command.Dll, and where a save
// dialog starts): the program's folder while the operator may write there, otherwise
// a folder of the operator's own, created on demand (an installed program's folder
// belongs to root). Empty when neither can be written.
QString writableProgramFolder();

// Today(), Now() and setClockForTests(): the date and time the windows work with.
#include "platform/Clock.h"

// "V{major}.{minor}版" and "{major}.{minor}.{revision}" of the running program.
QString versionLabelText();
QString fullVersionText();

// The hourglass for the whole application while an object of this type lives.
class Hourglass
{
public:
    Hourglass();
    ~Hourglass();
    Hourglass(const Hourglass &) = delete;
    Hourglass &operator=(const Hourglass &) = delete;
};
