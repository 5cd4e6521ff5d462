// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers for the fault tests: how much a call reads, special files, calls that may hang.

#include "testsupport.h"

#include <QFile>
#include <QRegularExpression>

#include <sys/stat.h>
#include <unistd.h>

namespace tamo::test {

// Bytes this process has read through system calls so far (Linux's /proc accounting).
inline qint64 bytesReadSoFar()
{
    QFile io(QStringLiteral("/proc/self/io"));
    if (!io.open(QIODevice::ReadOnly))
        return -1;
    // read() on /proc/self/io itself counts after the figure is taken.
    const auto match = QRegularExpression(QStringLiteral("rchar: (\\d+)")).match(QString::fromLatin1(io.readAll()));
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

// A file of size bytes that starts with head, the rest a hole that takes no disk.
inline bool sparseFile(const QString &path, const QByteArray &head, qint64 size)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(head) == head.size() && file.resize(size);
}

inline bool makeFifo(const QString &path) { return mkfifo(QFile::encodeName(path).constData(), 0666) == 0; }

// Runs fn in a child that is killed after a minute: a call that hangs fails the test
// instead of stopping the suite.
inline bool runWithinAMinute(const std::function<bool()> &fn)
{
    return runInChildWithFileSizeLimit(qint64(1) << 40, [&] {
        alarm(60);
        return fn();
    });
}

} // namespace tamo::test
