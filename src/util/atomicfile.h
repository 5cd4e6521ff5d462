#pragma once

#include <QByteArrayView>
#include <QSaveFile>
#include <QString>

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

    QSaveFile m_file;
    QString m_error;
    bool m_open = false;
};

struct SaveResult {
    bool ok = false;
    QString error; // empty when ok
};

// Writes the whole of bytes as the new content of path, atomically.
SaveResult saveFileAtomically(const QString &path, QByteArrayView bytes);

} // namespace tamo
