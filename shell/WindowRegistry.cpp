#include "shell/WindowRegistry.h"

#include <QList>

namespace {

QList<WindowEntry> &entries()
{
    static QList<WindowEntry> list;
    return list;
}

} // namespace

void registerWindow(const WindowEntry &entry)
{
    for (WindowEntry &existing : entries())
        if (existing.entryName == entry.entryName) {
            existing = entry;
            return;
        }
    entries().append(entry);
}

const WindowEntry *registeredWindow(const QString &entryName)
{
    for (const WindowEntry &entry : entries())
        if (entry.entryName == entryName)
            return &entry;
    return nullptr;
}

void clearRegisteredWindows()
{
    entries().clear();
}
