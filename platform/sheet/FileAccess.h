#pragma once

#include <QString>

namespace sheet {

// Whether the operator may write into the file or folder, by its permissions: the
// write bit of its owner, group or others, whichever he is, and the file system's
// leave. A file marked read-only counts as such also for the super-user, who could
// write it anyway.
bool userMayWrite(const QString &path);

} // namespace sheet
