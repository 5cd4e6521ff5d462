// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "util/filecopy.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QSaveFile>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

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
    // The same for many ranges of one file, one after the other.
    bool appendFileRanges(int fromFd, const std::vector<util::FileRange> &ranges);
    // Flushes, syncs and replaces the target. False leaves the target as it was.
    bool commit();
    void cancel();

    // The system's reason for the first failure, e.g. "No space left on device".
    QString errorString() const { return m_error; }
    bool failed() const { return !m_error.isEmpty(); }

private:
    friend class AtomicFileSet;
    struct Staged {}; // a member of an AtomicFileSet
    AtomicFileWriter(const QString &folder, Staged);
    QFileDevice &device();
    void fail(const QString &reason);
    bool openOldFile();
    bool writeOldTail();
    void removeStaged();

    QSaveFile m_file;
    // A set's member is written under m_stagedPath; commit() only flushes it.
    QString m_stagedFolder, m_stagedPath;
    QFile m_staged;
    QString m_error;
    bool m_open = false;
    bool m_directWriteAllowed = false;
    qint64 m_keepFrom = -1;
    // The old file while its tail is to be copied; the tail itself when the file is
    // written in place and would be truncated before the copy.
    QFile m_oldFile;
    std::optional<QByteArray> m_oldTail;
};

// Files replaced together, as an export replaces a set on a stick: each is written
// to its own new file in the folder (created exclusively under a name starting
// with kStagingPrefix, never through a link), and only when all are written do
// they take their names. Staged files not placed are removed on destruction.
class AtomicFileSet {
public:
    static inline const QString kStagingPrefix = QStringLiteral(".tamo-export-");

    explicit AtomicFileSet(const QString &folder);
    ~AtomicFileSet();
    AtomicFileSet(const AtomicFileSet &) = delete;
    AtomicFileSet &operator=(const AtomicFileSet &) = delete;

    // A writer for the file `name` of the folder; open(), write and commit() it.
    AtomicFileWriter &add(const QString &name);
    // Puts every committed file's data on the disk (one sync of the file system,
    // each file's own where that fails), then gives each file its name by one
    // rename (replacing an older file or link itself), then syncs the folder.
    // placing is told each name first. On failure the files already renamed stay.
    bool commit(const std::function<void(const QString &name)> &placing = {});
    // Removes the staged files.
    void cancel();
    QString errorString() const { return m_error; }

    // Removes what an interrupted set left in folder: staging files of processes
    // no longer running, and older exports' leftovers.
    static void removeLeftovers(const QString &folder);

private:
    QString m_folder, m_error;
    std::vector<std::pair<QString, std::unique_ptr<AtomicFileWriter>>> m_files; // name, writer
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
