#include "testsupport.h"

#include <QDir>
#include <QFile>

#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tamo::test {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size() && f.flush();
}

QString examplePath(const QString &name)
{
    // TAMO_TEST_DATA is the test's own source folder, two levels below the top.
    const QDir examples(QDir::cleanPath(qEnvironmentVariable("TAMO_TEST_DATA") + QStringLiteral("/../../examples")));
    return name.isEmpty() ? examples.path() : examples.filePath(name);
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

QString errorText(int errnum)
{
    return QString::fromLocal8Bit(std::strerror(errnum));
}

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    rlimit lim{};
    getrlimit(RLIMIT_FSIZE, &lim);
    m_oldSoft = lim.rlim_cur;
    m_oldHandler = reinterpret_cast<void *>(std::signal(SIGXFSZ, SIG_IGN));
    lim.rlim_cur = rlim_t(bytes);
    setrlimit(RLIMIT_FSIZE, &lim);
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit lim{};
    getrlimit(RLIMIT_FSIZE, &lim);
    lim.rlim_cur = rlim_t(m_oldSoft);
    setrlimit(RLIMIT_FSIZE, &lim);
    std::signal(SIGXFSZ, reinterpret_cast<void (*)(int)>(m_oldHandler));
}

bool runInChildWithFileSizeLimit(qint64 bytes, const std::function<bool()> &fn)
{
    const pid_t pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        const FileSizeLimit limit(bytes);
        _exit(fn() ? 0 : 1);
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool runInChildAsOrdinaryUser(const std::function<bool()> &fn)
{
    return runInChildWithFileSizeLimit(qint64(1) << 40, [&] {
        if (geteuid() == 0) {
            [[maybe_unused]] const int ignored = setgid(65534); // may be refused
            if (setuid(65534) != 0)
                return false;
        }
        return fn();
    });
}

} // namespace tamo::test
