// SPDX-License-Identifier: GPL-3.0-or-later
#include "util/signals.h"

#include <csignal>

namespace tamo::util {

namespace {

std::atomic_bool interrupted = false;
std::atomic_int interruptions = 0;
static_assert(std::atomic_bool::is_always_lock_free && std::atomic_int::is_always_lock_free, "set from a signal handler");

// `timeout` and a shell's job control signal the whole process group, so one stop
// can arrive twice; a third ends the process.
extern "C" void onInterruption(int signal)
{
    interrupted = true;
    if (++interruptions >= 3) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    }
}

} // namespace

void ignoreFileSizeSignal()
{
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

const std::atomic_bool *cancelOnInterruption()
{
    struct sigaction action = {};
    action.sa_handler = onInterruption;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr); // the terminal closed
    // With the terminal gone, the report's lines must not end the process before it cleans up.
    std::signal(SIGPIPE, SIG_IGN);
    return &interrupted;
}

} // namespace tamo::util
