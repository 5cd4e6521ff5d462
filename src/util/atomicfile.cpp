// SPDX-License-Identifier: GPL-3.0-or-later
#include "util/atomicfile.h"

#include "util/filecopy.h"
#include "util/regularfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cerrno>

#include <unistd.h>

namespace tamo {

namespace {

// Qt 6.4 also says "Unknown error" after a failed buffered write and when the
// temporary file cannot be created, so errno, cleared before each call, is read
// right after the call that failed.
QString reasonFor(const QFileDevice &file, int savedErrno)
{
    return savedErrno ? qt_error_string(savedErrno) : file.errorString();
}

} // namespace

AtomicFileWriter::AtomicFileWriter(const QString &path) : m_file(path) {}

AtomicFileWriter::AtomicFileWriter(const QString &folder, Staged) : m_stagedFolder(folder) {}

AtomicFileWriter::~AtomicFileWriter()
{
    if (m_open && m_stagedFolder.isEmpty())
        m_file.cancelWriting();
    removeStaged();
}

QFileDevice &AtomicFileWriter::device()
{
    if (m_stagedFolder.isEmpty())
        return m_file;
    return m_staged;
}

void AtomicFileWriter::removeStaged()
{
    m_staged.close();
    if (!m_stagedPath.isEmpty())
        QFile::remove(m_stagedPath);
    m_stagedPath.clear();
}

void AtomicFileWriter::fail(const QString &reason)
{
    if (m_error.isEmpty())
        m_error = reason.isEmpty() ? QCoreApplication::translate("FileErrors", "Unknown error") : reason;
    if (m_open && m_stagedFolder.isEmpty())
        m_file.cancelWriting();
    else if (m_open)
        removeStaged();
}

bool AtomicFileWriter::open()
{
    if (!m_stagedFolder.isEmpty()) {
        QString reason;
        const int fd = util::createExclusiveFile(m_stagedFolder, AtomicFileSet::kStagingPrefix
                                                     + QString::number(QCoreApplication::applicationPid()) + u'-',
                                                 &m_stagedPath, &reason);
        if (fd < 0 || !m_staged.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
            if (fd >= 0)
                ::close(fd);
            fail(fd < 0 ? reason : m_staged.errorString());
            removeStaged();
            return false;
        }
        m_open = true;
        return true;
    }
    const QFileInfo target(m_file.fileName());
    if (target.isDir()) {
        fail(QCoreApplication::translate("FileErrors", "Is a directory"));
        return false;
    }
    if (!openOldFile())
        return false;
    errno = 0;
    if (m_file.open(QIODevice::WriteOnly)) {
        m_open = true;
        return true;
    }
    const int reason = errno;
    // No temporary file can be made in a read-only folder; a writable file there is
    // written in place. Any other failure keeps the old file untouched.
    const bool readOnlyFolder = reason == EACCES && !QFileInfo(target.absolutePath()).isWritable();
    if (!m_directWriteAllowed || !readOnlyFolder || !target.isFile() || !target.isWritable()) {
        fail(reasonFor(m_file, reason));
        return false;
    }
    if (m_oldFile.isOpen()) {
        // Writing in place truncates the file first: its tail is taken along now.
        m_oldTail = m_oldFile.seek(m_keepFrom) ? util::readAtMost(m_oldFile, m_oldFile.size())
                                              : std::nullopt;
        const QString readError = m_oldFile.errorString();
        m_oldFile.close();
        if (!m_oldTail) {
            fail(readError);
            return false;
        }
    }
    m_file.setDirectWriteFallback(true);
    errno = 0;
    if (!m_file.open(QIODevice::WriteOnly)) {
        fail(reasonFor(m_file, errno));
        return false;
    }
    m_open = true;
    return true;
}

bool AtomicFileWriter::openOldFile()
{
    if (m_keepFrom < 0)
        return true;
    const QFileInfo old(m_file.fileName());
    // Nothing past the new content to keep; a FIFO or a device has no bytes to keep.
    if (!old.isFile() || old.size() <= m_keepFrom)
        return true;
    QString reason;
    if (!util::openRegularFile(m_oldFile, m_file.fileName(), &reason)) {
        fail(reason);
        return false;
    }
    return true;
}

bool AtomicFileWriter::writeOldTail()
{
    if (m_oldTail)
        return write(*m_oldTail);
    if (!m_oldFile.isOpen())
        return true;
    if (!m_oldFile.seek(m_keepFrom)) {
        fail(m_oldFile.errorString());
        return false;
    }
    constexpr qint64 kChunk = 1 << 20;
    for (;;) {
        const std::optional<QByteArray> chunk = util::readAtMost(m_oldFile, kChunk);
        if (!chunk) {
            fail(m_oldFile.errorString());
            return false;
        }
        if (chunk->isEmpty())
            return true;
        if (!write(*chunk))
            return false;
    }
}

bool AtomicFileWriter::write(QByteArrayView bytes)
{
    if (!m_open || failed())
        return false;
    qint64 done = 0;
    while (done < bytes.size()) {
        errno = 0;
        const qint64 n = device().write(bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            fail(reasonFor(device(), errno));
            return false;
        }
        done += n;
    }
    return true;
}

bool AtomicFileWriter::appendFileRange(int fromFd, qint64 from, qint64 length)
{
    return appendFileRanges(fromFd, {{from, length}});
}

bool AtomicFileWriter::appendFileRanges(int fromFd, const std::vector<util::FileRange> &ranges)
{
    if (!m_open || failed())
        return false;
    // Bytes still in the write buffer must land before the kernel appends.
    errno = 0;
    if (!device().flush()) {
        fail(reasonFor(device(), errno));
        return false;
    }
    QString reason;
    if (!util::copyFileRanges(fromFd, ranges, device().handle(), &reason)) {
        fail(reason);
        return false;
    }
    return true;
}

bool AtomicFileWriter::commit()
{
    if (!m_open || failed() || !writeOldTail())
        return false;
    // Qt 6.4's commit() can report success after a failed final flush, so flush
    // here, where a failure is still seen, and only then let it sync and rename.
    errno = 0;
    if (!device().flush() || device().error() != QFileDevice::NoError) {
        // Qt 6.4 leaves "Unknown error" after a failed flush; the system knows why.
        const int reason = errno;
        fail(reason ? qt_error_string(reason) : device().errorString());
        return false;
    }
    if (!m_stagedFolder.isEmpty())
        return true; // the set syncs and renames it
    m_open = false;
    errno = 0;
    if (!m_file.commit()) {
        fail(reasonFor(m_file, errno));
        return false;
    }
    return true;
}

void AtomicFileWriter::cancel()
{
    if (!m_stagedFolder.isEmpty()) {
        m_open = false;
        removeStaged();
    } else if (m_open) {
        m_file.cancelWriting();
        m_open = false;
    }
}

AtomicFileSet::AtomicFileSet(const QString &folder) : m_folder(folder) {}

AtomicFileSet::~AtomicFileSet() { cancel(); }

AtomicFileWriter &AtomicFileSet::add(const QString &name)
{
    m_files.emplace_back(name, std::unique_ptr<AtomicFileWriter>(new AtomicFileWriter(m_folder, AtomicFileWriter::Staged{})));
    return *m_files.back().second;
}

bool AtomicFileSet::commit(const std::function<void(const QString &name)> &placing)
{
    // One sync for the whole set instead of one per file; every file's data is on
    // the disk before any takes the place of an older one.
    if (!util::syncFileSystem(m_folder))
        for (auto &[name, writer] : m_files)
            if (!util::syncFileData(writer->m_staged.handle())) {
                m_error = QCoreApplication::translate("FileErrors", "Cannot write %1: %2.").arg(name, qt_error_string(errno));
                return false;
            }
    for (auto &[name, writer] : m_files) {
        if (placing)
            placing(name);
        writer->m_staged.close();
        QString reason;
        if (!util::renameOver(writer->m_stagedPath, QDir(m_folder).filePath(name), &reason)) {
            m_error = QCoreApplication::translate("FileErrors", "Cannot write %1: %2.").arg(name, reason);
            return false;
        }
        writer->m_stagedPath.clear();
        writer->m_open = false;
    }
    util::syncFolder(m_folder);
    return true;
}

void AtomicFileSet::cancel()
{
    for (auto &[name, writer] : m_files)
        writer->cancel();
}

void AtomicFileSet::removeLeftovers(const QString &folder)
{
    const QDir dir(folder);
    const QStringList names = dir.entryList({kStagingPrefix + u'*', QStringLiteral(".tamo-replaced-*")},
                                            QDir::Files | QDir::System | QDir::Hidden);
    for (const QString &name : names) {
        // ".tamo-export-<pid>-<tail>": another process's set may still be in the making.
        bool isNumber = false;
        const qint64 pid = name.mid(kStagingPrefix.size()).section(u'-', 0, 0).toLongLong(&isNumber);
        if (isNumber && (pid == QCoreApplication::applicationPid() || util::isProcessRunning(pid)))
            continue;
        QFile::remove(dir.filePath(name));
    }
}

SaveResult saveFileAtomically(const QString &path, QByteArrayView bytes)
{
    AtomicFileWriter writer(path);
    if (writer.open() && writer.write(bytes) && writer.commit())
        return {true, {}};
    return {false, writer.errorString()};
}

SaveResult saveOverFileStart(const QString &path, QByteArrayView bytes)
{
    AtomicFileWriter writer(path);
    writer.allowDirectWriteInReadOnlyFolder();
    writer.keepOldBytesFrom(bytes.size());
    if (writer.open() && writer.write(bytes) && writer.commit())
        return {true, {}};
    return {false, writer.errorString()};
}

} // namespace tamo
