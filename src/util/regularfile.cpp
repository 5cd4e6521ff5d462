// SPDX-License-Identifier: GPL-3.0-or-later
#include "util/regularfile.h"

#include <QCoreApplication>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tamo::util {

bool openRegularFile(QFile &file, const QString &path, QString *error)
{
    auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (path.isEmpty())
        return fail(QCoreApplication::translate("FileErrors", "No file name specified"));
#ifdef Q_OS_UNIX
    // Non-blocking, so that a FIFO put there after any check still cannot hang the open;
    // the type is then checked on what was really opened.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return fail(qt_error_string(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const bool folder = S_ISDIR(info.st_mode);
        ::close(fd);
        return fail(folder ? QCoreApplication::translate("FileErrors", "Is a directory") : QCoreApplication::translate("FileErrors", "Not a regular file"));
    }
    // Unbuffered: a reader that wants 5 bytes reads 5, not a buffer's worth.
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return fail(file.errorString());
    }
    return true;
#else
    const QFileInfo info(path);
    if (info.isDir())
        return fail(QCoreApplication::translate("FileErrors", "Is a directory"));
    if (info.exists() && !info.isFile())
        return fail(QCoreApplication::translate("FileErrors", "Not a regular file"));
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());
    return true;
#endif
}

std::optional<QByteArray> readAtMost(QFile &file, qint64 max)
{
    QByteArray bytes;
    constexpr qint64 kChunk = 1 << 20;
    while (bytes.size() < max) {
        const qint64 want = qMin(kChunk, max - bytes.size());
        const qsizetype before = bytes.size();
        bytes.resize(before + qsizetype(want));
        const qint64 n = file.read(bytes.data() + before, want);
        if (n < 0)
            return std::nullopt;
        bytes.resize(before + qsizetype(n));
        if (n == 0)
            break;
    }
    return bytes;
}

} // namespace tamo::util
