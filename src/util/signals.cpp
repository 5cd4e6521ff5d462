#include "util/signals.h"

#include <csignal>

namespace tamo::util {

namespace {

std::atomic_bool interrupted = false;
static_assert(std::atomic_bool::is_always_lock_free, "set from a signal handler");

extern "C" void onInterruption(int signal)
{
    interrupted = true;
    std::signal(signal, SIG_DFL);
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
    return &interrupted;
}

} // namespace tamo::util
