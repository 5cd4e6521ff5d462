// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tamo::util {

// What tells one state of a file from another without reading it: a rewrite in
// place changes the size or the modification time, a replacement the file itself.
struct FileStamp {
    bool exists = false;
    qint64 size = 0;
    qint64 modifiedNs = 0; // nanoseconds since the epoch
    quint64 device = 0, inode = 0;
    friend bool operator==(const FileStamp &, const FileStamp &) = default;
};

FileStamp fileStamp(const QString &path);

} // namespace tamo::util
