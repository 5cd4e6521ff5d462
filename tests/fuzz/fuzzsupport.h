#pragma once

// Shared pieces of the fuzz targets: a failed property aborts (libFuzzer then
// keeps the input), and inputs reach the path-based readers through files.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <sys/resource.h>

#define FUZZ_CHECK(cond) \
    ((cond) ? void() : (std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #cond), std::abort()))

namespace tamo::fuzz {

inline QByteArrayView input(const uint8_t *data, size_t size)
{
    return QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size));
}

// A private folder, in memory where the system offers it: the atomic writer syncs
// every file it commits.
inline QDir scratchFolder()
{
    static const QString base = QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm")
                                                                                    : QDir::tempPath();
    static QTemporaryDir dir(base + QStringLiteral("/tamo-fuzz-XXXXXX"));
    FUZZ_CHECK(dir.isValid());
    return QDir(dir.path());
}

// Writes bytes to a file of the scratch folder and returns its path.
inline QString writeFile(const QString &name, QByteArrayView bytes)
{
    const QString path = scratchFolder().filePath(name);
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes.data(), bytes.size()) == bytes.size());
    return path;
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    FUZZ_CHECK(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

template <class T> T *child(const QObject *parent, const char *name)
{
    T *found = parent->findChild<T *>(QLatin1String(name));
    FUZZ_CHECK(found);
    return found;
}

// A tool must leave no temporary file behind.
inline bool onlyFile(const QString &name)
{
    return scratchFolder().entryList(QDir::Files | QDir::Hidden | QDir::System) == QStringList{name};
}

// While alive, a write past `bytes` in any file fails (EFBIG), as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(qint64 bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lim = m_old;
        lim.rlim_cur = rlim_t(bytes);
        setrlimit(RLIMIT_FSIZE, &lim);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_handler);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_old{};
    void (*m_handler)(int) = nullptr;
};

} // namespace tamo::fuzz
