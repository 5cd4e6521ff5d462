// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/commandline.h"

#include <QString>

namespace tamo::app {

// Shows the editor of the file's kind, as the one window of this run, with the file
// at path opened in it (a bank on the left side). A file the editor cannot read is
// reported by the editor, which then stays open empty.
void openInEditor(FileKind kind, const QString &path);

} // namespace tamo::app
