#include "util/atomicfile.h"

#include "util/filecopy.h"

#include <QFileInfo>

#include <cerrno>

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

AtomicFileWriter::~AtomicFileWriter()
{
    if (m_open)
        m_file.cancelWriting();
}

void AtomicFileWriter::fail(const QString &reason)
{
    if (m_error.isEmpty())
        m_error = reason.isEmpty() ? QStringLiteral("Unknown error") : reason;
    if (m_open)
        m_file.cancelWriting();
}

bool AtomicFileWriter::open()
{
    if (QFileInfo(m_file.fileName()).isDir()) {
        fail(QStringLiteral("Is a directory"));
        return false;
    }
    errno = 0;
    if (!m_file.open(QIODevice::WriteOnly)) {
        fail(reasonFor(m_file, errno));
        return false;
    }
    m_open = true;
    return true;
}

bool AtomicFileWriter::write(QByteArrayView bytes)
{
    if (!m_open || failed())
        return false;
    qint64 done = 0;
    while (done < bytes.size()) {
        errno = 0;
        const qint64 n = m_file.write(bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            fail(reasonFor(m_file, errno));
            return false;
        }
        done += n;
    }
    return true;
}

bool AtomicFileWriter::appendFileRange(int fromFd, qint64 from, qint64 length)
{
    if (!m_open || failed())
        return false;
    // Bytes still in the write buffer must land before the kernel appends.
    errno = 0;
    if (!m_file.flush()) {
        fail(reasonFor(m_file, errno));
        return false;
    }
    QString reason;
    if (!util::copyFileRange(fromFd, from, m_file.handle(), length, &reason)) {
        fail(reason);
        return false;
    }
    return true;
}

bool AtomicFileWriter::commit()
{
    if (!m_open || failed())
        return false;
    // Qt 6.4's commit() can report success after a failed final flush, so flush
    // here, where a failure is still seen, and only then let it sync and rename.
    errno = 0;
    if (!m_file.flush() || m_file.error() != QFileDevice::NoError) {
        // Qt 6.4 leaves "Unknown error" after a failed flush; the system knows why.
        const int reason = errno;
        fail(reason ? qt_error_string(reason) : m_file.errorString());
        return false;
    }
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
    if (m_open) {
        m_file.cancelWriting();
        m_open = false;
    }
}

SaveResult saveFileAtomically(const QString &path, QByteArrayView bytes)
{
    AtomicFileWriter writer(path);
    if (writer.open() && writer.write(bytes) && writer.commit())
        return {true, {}};
    return {false, writer.errorString()};
}

} // namespace tamo
