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

#ifdef Q_OS_LINUX
// The ranges go into a pipe by reference and leave it in large writes. Sets
// *unsupported, with nothing written, where the file systems cannot splice.
bool splicedCopy(int fromFd, const std::vector<FileRange> &ranges, int toFd, bool *unsupported, QString *error)
{
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        *unsupported = true;
        return false;
    }
    struct Closer {
        int *fds;
        ~Closer() { ::close(fds[0]), ::close(fds[1]); }
    } closer{pipeFds};
    ::fcntl(pipeFds[1], F_SETPIPE_SZ, 1 << 20); // fewer, larger writes; the default size works too
    qint64 queued = 0;
    bool written = false;
    auto refused = [&](int errnum) {
        *unsupported = !written && (errnum == EINVAL || errnum == ENOSYS || errnum == EOPNOTSUPP);
        return fail(error, errnum);
    };
    auto drain = [&] {
        while (queued > 0) {
            const ssize_t n = ::splice(pipeFds[0], nullptr, toFd, nullptr, std::size_t(queued), SPLICE_F_MOVE);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return refused(n < 0 ? errno : ENOSPC);
            written = true;
            queued -= n;
        }
        return true;
    };
    for (const FileRange &range : ranges) {
        loff_t in = range.offset;
        for (qint64 left = range.length; left > 0;) {
            const ssize_t n = ::splice(fromFd, &in, pipeFds[1], nullptr, std::size_t(left),
                                       SPLICE_F_MOVE | SPLICE_F_NONBLOCK);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno == EAGAIN && queued > 0) { // the pipe is full
                if (!drain())
                    return false;
                continue;
            }
            if (n <= 0) // a file shorter than promised is a read error too
                return refused(n < 0 ? errno : EIO);
            queued += n;
            left -= n;
        }
    }
    return drain();
}
#endif

} // namespace

bool copyFileRanges(int fromFd, const std::vector<FileRange> &ranges, int toFd, QString *error)
{
    if (ranges.size() == 1) // one range: the kernel's own copy, which may share the blocks
        return copyFileRange(fromFd, ranges.front().offset, toFd, ranges.front().length, error);
#ifdef Q_OS_LINUX
    bool unsupported = false;
    if (const bool ok = splicedCopy(fromFd, ranges, toFd, &unsupported, error); ok || !unsupported)
        return ok;
#endif
    for (const FileRange &range : ranges) {
        if (!bufferedCopy(fromFd, range.offset, toFd, range.length, error))
            return false;
    }
    return true;
}

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
