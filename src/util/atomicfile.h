#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QSaveFile>
#include <QString>

#include <optional>

namespace tamo {

// Every save of the program goes through here: the data is written to a temporary
// file beside the target, flushed and synced, then renamed over the target. A save
// that fails at any step leaves the old file byte-identical and no temporary behind.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const QString &path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter &) = delete;
    AtomicFileWriter &operator=(const AtomicFileWriter &) = delete;

    // For a file whose folder is read-only, so that no temporary file can be made
    // beside it: then, and only then, the file itself is written (truncated first), as
    // QSaveFile's direct-write fallback does. Call before open().
    void allowDirectWriteInReadOnlyFolder() { m_directWriteAllowed = true; }
    // After what is written, the bytes the old file holds past that length follow, so
    // a file longer than the new content keeps its tail. Call before open(); the
    // content written must be exactly length bytes.
    void keepOldBytesFrom(qint64 length) { m_keepFrom = length; }

    bool open();
    // False, with the reason kept, unless every byte was accepted.
    bool write(QByteArrayView bytes);
    // Appends length bytes of another open file, from offset `from`, letting the
    // kernel copy them where it can. False, with the reason kept, on failure.
    bool appendFileRange(int fromFd, qint64 from, qint64 length);
    // Flushes, syncs and replaces the target. False leaves the target as it was.
    bool commit();
    void cancel();

    // The system's reason for the first failure, e.g. "No space left on device".
    QString errorString() const { return m_error; }
    bool failed() const { return !m_error.isEmpty(); }

private:
    void fail(const QString &reason);
    bool openOldFile();
    bool writeOldTail();

    QSaveFile m_file;
    QString m_error;
    bool m_open = false;
    bool m_directWriteAllowed = false;
    qint64 m_keepFrom = -1;
    // The old file while its tail is to be copied; the tail itself when the file is
    // written in place and would be truncated before the copy.
    QFile m_oldFile;
    std::optional<QByteArray> m_oldTail;
};

struct SaveResult {
    bool ok = false;
    QString error; // empty when ok
};

// Writes the whole of bytes as the new content of path, atomically.
SaveResult saveFileAtomically(const QString &path, QByteArrayView bytes);

// Writes bytes over the start of path and keeps what the file holds past them, as a
// writer that overwrites a record in place would; atomically, except that a file in
// a read-only folder is written in place (see allowDirectWriteInReadOnlyFolder).
SaveResult saveOverFileStart(const QString &path, QByteArrayView bytes);

} // namespace tamo
