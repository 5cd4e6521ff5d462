#include "util/signals.h"

#include <csignal>

namespace tamo::util {

void ignoreFileSizeSignal()
{
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

} // namespace tamo::util
