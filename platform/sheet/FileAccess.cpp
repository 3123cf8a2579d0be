#include "platform/sheet/FileAccess.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

#include <vector>

namespace sheet {

namespace {

bool inGroup(gid_t group)
{
    if (group == getegid())
        return true;
    const int count = getgroups(0, nullptr);
    if (count <= 0)
        return false;
    std::vector<gid_t> groups(static_cast<size_t>(count));
    const int got = getgroups(count, groups.data());
    for (int i = 0; i < got; ++i)
        if (groups[size_t(i)] == group)
            return true;
    return false;
}

} // namespace

bool userMayWrite(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info;
    if (stat(name.constData(), &info) != 0 || access(name.constData(), W_OK) != 0)
        return false;
    if (info.st_uid == geteuid())
        return info.st_mode & S_IWUSR;
    if (inGroup(info.st_gid))
        return info.st_mode & S_IWGRP;
    return info.st_mode & S_IWOTH;
}

} // namespace sheet
