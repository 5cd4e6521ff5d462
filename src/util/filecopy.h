// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

#include <vector>

namespace tamo::util {

// Copies length bytes from offset `from` of the file open on fromFd to the current
// end of the file open on toFd. The kernel copies in place where it can
// (copy_file_range); where it cannot (another file system, an old kernel) the
// bytes go through a buffer. Returns false with the system's reason on failure.
bool copyFileRange(int fromFd, qint64 from, int toFd, qint64 length, QString *error);

struct FileRange {
    qint64 offset = 0;
    qint64 length = 0;
};

// Copies the ranges of the file open on fromFd, one after the other, to the current
// end of the file open on toFd. Many short ranges pass through a pipe in the kernel
// (splice): a kernel copy per range costs more in calls than the bytes themselves.
// Where the system cannot, through a buffer. A file shorter than a range is an error.
bool copyFileRanges(int fromFd, const std::vector<FileRange> &ranges, int toFd, QString *error);

} // namespace tamo::util

namespace tamo::util {

// Asks the system to write every changed file of the file system holding path
// to the disk, in one batch; false when it cannot tell that it did.
bool syncFileSystem(const QString &path);

} // namespace tamo::util

namespace tamo::util {

// Creates a new, empty file in folder named prefix + an unpredictable tail and
// opens it for writing; it never opens an existing file nor follows a link (a
// name taken is skipped). Returns the descriptor (-1 with the reason on failure)
// and the file's path through createdPath.
int createExclusiveFile(const QString &folder, const QString &prefix, QString *createdPath, QString *error);

// Gives the file at from the name to in one atomic step; an older file or a link
// of that name is replaced itself, never what a link points at.
bool renameOver(const QString &from, const QString &to, QString *error);

// Writes the data of the open file to the disk.
bool syncFileData(int fd);

// Writes a folder's entries (names just created or replaced) to the disk.
bool syncFolder(const QString &folder);

// Whether a process of that id runs on this machine.
bool isProcessRunning(qint64 pid);

} // namespace tamo::util
