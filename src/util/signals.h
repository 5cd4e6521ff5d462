// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>

namespace tamo::util {

// A write past the process's file-size limit (ulimit -f) would otherwise end the
// program with SIGXFSZ and lose unsaved edits. Ignored, the write fails with EFBIG
// ("File too large") and is reported like any other failed save. Called once at start.
void ignoreFileSizeSignal();

// From the first call on, SIGINT, SIGTERM and SIGHUP set the flag returned instead
// of ending the process (and a closed output no longer ends it), so a long job stops as Cancel does and removes what it
// staged; a third signal ends the process as usual.
const std::atomic_bool *cancelOnInterruption();

} // namespace tamo::util
