// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <csignal>
#include <functional>

#include <sys/resource.h>

class QProcess;

namespace tamo::test {

QByteArray readAll(const QString &path);
bool writeAll(const QString &path, const QByteArray &bytes);

// Lists the files of a folder, so a test can check that no temporary was left.
QStringList filesIn(const QString &folder);

// The path of a file in the project's examples/ folder (the folder itself for an empty name).
QString examplePath(const QString &name = {});

// The system's text for an errno value, as a failed save reports it.
QString errorText(int errnum);

// While alive, any write by this process past `bytes` in any file fails with EFBIG
// (SIGXFSZ ignored), as on a disk that fills up; the old limit returns afterwards.
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

// Runs fn in a forked child under a file-size limit; returns fn's result, or false
// if the child did not end normally.
bool runInChildWithFileSizeLimit(qint64 bytes, const std::function<bool()> &fn);

// Runs fn in a forked child that is not root (root reads and writes past any
// permission); returns fn's result, or false if the child could not drop root.
bool runInChildAsOrdinaryUser(const std::function<bool()> &fn);

// Starts a private PulseAudio server with a null sink "tamo_null" (its state in
// folder, away from any user's own server), points PULSE_SERVER and PULSE_SINK at
// it, and starts recorder as parec of the sink's monitor: mono float 44.1 kHz.
// False when the server does not run; heard says whether parec got bytes.
bool startPrivatePulseAudio(QProcess &server, QProcess &recorder, const QString &folder, bool &heard);

} // namespace tamo::test
