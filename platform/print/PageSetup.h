#pragma once

#include <functional>

class QPrinter;
class QWidget;

// The page set-up of a printer (paper, orientation, margins). In tests the step is
// scripted: what the operator does in it is given beforehand instead of a dialog.
namespace PageSetup {

// Lets the operator set up the printer's page. True when he confirmed it: the printer
// then has the page he chose; false when he cancelled, the printer as it was.
bool exec(QWidget *parent, QPrinter &printer);

// ---- scripting for tests
// The next page set-up not yet scripted does what `step` does to the printer instead of
// showing itself, and is confirmed when step answers true.
void scriptNext(std::function<bool(QPrinter &)> step);
// Ends scripting; steps given and never taken are reported as an unused script.
void stopScripting();
// How many page set-ups were shown or played since scripting began.
int shownCount();

} // namespace PageSetup
