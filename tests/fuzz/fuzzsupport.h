#pragma once

// Shared pieces of the fuzz targets: a failed property aborts (libFuzzer then
// keeps the input), and inputs reach the path-based readers through files.

#include <QByteArray>
#include <QByteArrayView>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <sys/mman.h>
#include <unistd.h>

#define FUZZ_CHECK(cond)                                                                   \
    do {                                                                                   \
        if (!(cond)) {                                                                     \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                                  \
        }                                                                                  \
    } while (false)

namespace tamo::fuzz {

inline QByteArrayView input(const uint8_t *data, size_t size)
{
    return QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size));
}

// One anonymous in-memory file, rewritten for every input and reachable by path
// through /proc, so the path readers run without touching the disk.
class MemFile {
public:
    MemFile() : m_fd(memfd_create("tamo-fuzz", MFD_CLOEXEC))
    {
        if (m_fd < 0) {
            std::perror("memfd_create");
            std::abort();
        }
        m_path = QStringLiteral("/proc/self/fd/%1").arg(m_fd);
    }
    ~MemFile() { ::close(m_fd); }
    MemFile(const MemFile &) = delete;
    MemFile &operator=(const MemFile &) = delete;

    const QString &set(QByteArrayView bytes)
    {
        FUZZ_CHECK(::ftruncate(m_fd, 0) == 0);
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::pwrite(m_fd, bytes.data() + done, size_t(bytes.size() - done), off_t(done));
            FUZZ_CHECK(n > 0);
            done += n;
        }
        return m_path;
    }
    const QString &path() const { return m_path; }

private:
    int m_fd;
    QString m_path;
};

// A private folder for the tools that replace a file beside itself; in memory
// where the system offers it, as the atomic writer syncs every file it commits.
inline QDir scratchFolder()
{
    static const QString base = QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm")
                                                                                    : QDir::tempPath();
    static QTemporaryDir dir(base + QStringLiteral("/tamo-fuzz-XXXXXX"));
    FUZZ_CHECK(dir.isValid());
    return QDir(dir.path());
}

inline bool writeFile(const QString &path, QByteArrayView bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes.data(), bytes.size()) == bytes.size();
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

// The files of a folder, hidden ones included: a tool must leave no temporary behind.
inline QStringList entriesOf(const QDir &dir)
{
    return dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace tamo::fuzz
