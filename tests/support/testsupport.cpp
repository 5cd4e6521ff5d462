// SPDX-License-Identifier: GPL-3.0-or-later
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <cstring>
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

bool startPrivatePulseAudio(QProcess &server, QProcess &recorder, const QString &folder, bool &heard)
{
    // As root, pulseaudio only warns.
    server.setEnvironment({QStringLiteral("HOME=") + folder, QStringLiteral("XDG_RUNTIME_DIR=") + folder});
    const QString socket = QDir(folder).filePath(QStringLiteral("native"));
    server.start(QStringLiteral("pulseaudio"),
                 {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                  QStringLiteral("--use-pid-file=no"), QStringLiteral("--realtime=no"), QStringLiteral("--disable-shm=yes"),
                  QStringLiteral("--log-target=stderr"), QStringLiteral("-L"),
                  QStringLiteral("module-null-sink sink_name=tamo_null rate=44100"), QStringLiteral("-L"),
                  QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=") + socket});
    qputenv("PULSE_SERVER", QFile::encodeName(QStringLiteral("unix:") + socket));
    qputenv("PULSE_SINK", "tamo_null");
    // parec fails until the server is up; the monitor's first bytes then take a second or two.
    heard = QTest::qWaitFor([&] {
        if (recorder.state() == QProcess::NotRunning)
            recorder.start(QStringLiteral("parec"),
                           {QStringLiteral("--device=tamo_null.monitor"), QStringLiteral("--raw"), QStringLiteral("--format=float32le"),
                            QStringLiteral("--channels=1"), QStringLiteral("--rate=44100"), QStringLiteral("--latency-msec=10")});
        return recorder.waitForReadyRead(100) || server.state() == QProcess::NotRunning;
    }, 20000);
    return server.state() != QProcess::NotRunning;
}

} // namespace tamo::test
