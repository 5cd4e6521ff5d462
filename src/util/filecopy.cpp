// SPDX-License-Identifier: GPL-3.0-or-later
#include "util/filecopy.h"

#include <cerrno>
#include <vector>

#include <QFile>
#include <QRandomGenerator>

#include <fcntl.h>
#include <csignal>
#include <unistd.h>

namespace tamo::util {

namespace {

bool fail(QString *error, int errnum)
{
    if (error)
        *error = qt_error_string(errnum ? errnum : EIO);
    return false;
}

bool bufferedCopy(int fromFd, qint64 from, int toFd, qint64 length, QString *error)
{
    std::vector<char> buffer(std::size_t(std::min<qint64>(length, qint64(1) << 20)));
    while (length > 0) {
        const ssize_t n = ::pread(fromFd, buffer.data(), std::size_t(std::min<qint64>(length, qint64(buffer.size()))), from);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) // a file shorter than promised is a read error too
            return fail(error, n < 0 ? errno : EIO);
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(toFd, buffer.data() + done, std::size_t(n - done));
            if (w < 0 && errno == EINTR)
                continue;
            if (w <= 0)
                return fail(error, w < 0 ? errno : ENOSPC);
            done += w;
        }
        from += n;
        length -= n;
    }
    return true;
}

} // namespace

bool copyFileRange(int fromFd, qint64 from, int toFd, qint64 length, QString *error)
{
#ifdef Q_OS_LINUX
    loff_t in = from;
    while (length > 0) {
        const ssize_t n = ::copy_file_range(fromFd, &in, toFd, nullptr, std::size_t(length), 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP))
            return bufferedCopy(fromFd, in, toFd, length, error);
        if (n <= 0)
            return fail(error, n < 0 ? errno : EIO);
        length -= n;
    }
    return true;
#else
    return bufferedCopy(fromFd, from, toFd, length, error);
#endif
}

} // namespace tamo::util

namespace tamo::util {

bool syncFileSystem(const QString &path)
{
#ifdef Q_OS_LINUX
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::syncfs(fd) == 0;
    ::close(fd);
    return ok;
#else
    Q_UNUSED(path);
    return false;
#endif
}

} // namespace tamo::util

namespace tamo::util {

int createExclusiveFile(const QString &folder, const QString &prefix, QString *createdPath, QString *error)
{
    int reason = EEXIST;
    for (int attempt = 0; attempt < 16 && reason == EEXIST; ++attempt) {
        const QString path = folder + u'/' + prefix
            + QString::number(QRandomGenerator::system()->generate64(), 16).rightJustified(16, u'0');
        const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            *createdPath = path;
            return fd;
        }
        reason = errno;
    }
    fail(error, reason);
    return -1;
}

bool renameOver(const QString &from, const QString &to, QString *error)
{
    if (::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    return fail(error, errno);
}

bool syncFileData(int fd)
{
#ifdef Q_OS_LINUX
    return ::fdatasync(fd) == 0;
#else
    return ::fsync(fd) == 0;
#endif
}

bool syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

bool isProcessRunning(qint64 pid)
{
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

} // namespace tamo::util
