#pragma once

#include <QString>
#include <QtGlobal>

namespace tamo::util {

// Copies length bytes from offset `from` of the file open on fromFd to the current
// end of the file open on toFd. The kernel copies in place where it can
// (copy_file_range); where it cannot (another file system, an old kernel) the
// bytes go through a buffer. Returns false with the system's reason on failure.
bool copyFileRange(int fromFd, qint64 from, int toFd, qint64 length, QString *error);

} // namespace tamo::util

namespace tamo::util {

// Asks the system to write every changed file of the file system holding path
// to the disk, in one batch; false when it cannot tell that it did.
bool syncFileSystem(const QString &path);

} // namespace tamo::util
