// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Shared by the benchmark programs: one measured run of a command in a child process.

#include <QElapsedTimer>

#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tamo::bench {

struct Run {
    double seconds = 0; // wall time; for our own operations, as measured inside the child
    double peakMiB = 0;
    double cpuSeconds = 0; // user + system time of the process and what it waited for
    bool ok = false;
};

// Runs argv in a fresh process; its standard output, if it prints a number,
// replaces the measured wall time (our operations time themselves, without
// the process start).
inline Run runChild(const std::vector<std::string> &args)
{
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    QElapsedTimer timer;
    timer.start();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], 1);
        close(fds[0]);
        close(fds[1]);
        std::vector<char *> argv;
        for (const std::string &a : args)
            argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    std::string out;
    char buf[256];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;)
        out.append(buf, size_t(n));
    close(fds[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    Run r;
    r.seconds = double(timer.nsecsElapsed()) / 1e9;
    r.peakMiB = double(usage.ru_maxrss) / 1024.0;
    r.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    r.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!out.empty() && out.find_first_not_of("0123456789.e-\n") == std::string::npos)
        r.seconds = std::stod(out);
    return r;
}

} // namespace tamo::bench
