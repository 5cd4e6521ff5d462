#pragma once

namespace tamo::util {

// A write past the process's file-size limit (ulimit -f) would otherwise end the
// program with SIGXFSZ and lose unsaved edits. Ignored, the write fails with EFBIG
// ("File too large") and is reported like any other failed save. Called once at start.
void ignoreFileSizeSignal();

} // namespace tamo::util
