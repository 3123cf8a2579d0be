#include "platform/ui/FileDialogs.h"

#include <QFileDialog>
#include <optional>

namespace FileDialogs {
namespace {

std::optional<QString> &nextName()
{
    static std::optional<QString> name;
    return name;
}

std::optional<QString> takeScripted()
{
    std::optional<QString> name = nextName();
    nextName().reset();
    return name;
}

} // namespace

QString getSaveFileName(QWidget *parent, const QString &caption, const QString &suggested, const QString &filter)
{
    if (auto scripted = takeScripted())
        return *scripted;
    return QFileDialog::getSaveFileName(parent, caption, suggested, filter);
}

QString getOpenFileName(QWidget *parent, const QString &caption, const QString &folder, const QString &filter)
{
    if (auto scripted = takeScripted())
        return *scripted;
    return QFileDialog::getOpenFileName(parent, caption, folder, filter);
}

void setNextFileName(const QString &name)
{
    nextName() = name;
}

void stopScripting()
{
    nextName().reset();
}

} // namespace FileDialogs
