#include "platform/print/PageSetup.h"

#include "platform/ui/MessageBoxes.h"

#include <QList>
#include <QPageSetupDialog>
#include <QPrinter>

namespace PageSetup {

namespace {

struct Script
{
    QList<std::function<bool(QPrinter &)>> steps;
    int shown = 0;
};

Script &script()
{
    static Script s;
    return s;
}

} // namespace

bool exec(QWidget *parent, QPrinter &printer)
{
    ++script().shown;
    if (!script().steps.isEmpty())
        return script().steps.takeFirst()(printer);
    QPageSetupDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
}

void scriptNext(std::function<bool(QPrinter &)> step)
{
    script().steps.append(std::move(step));
}

void stopScripting()
{
    if (!script().steps.isEmpty())
        MessageBoxes::reportUnusedScript(QStringLiteral("页面设置的操作未被使用：%1 个").arg(script().steps.size()));
    script() = Script{};
}

int shownCount()
{
    return script().shown;
}

} // namespace PageSetup
