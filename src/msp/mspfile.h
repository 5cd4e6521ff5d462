// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "msp/msprecord.h"
#include "util/atomicfile.h"

#include <QString>

namespace tamo::msp {

// Reads the first 2644 bytes of the file into record, and never more; a shorter file
// leaves the missing tail zero. The identifier is not checked here. On failure
// (missing, unreadable, a folder, a FIFO or a device) returns false with the reason in
// *error (when given) and leaves record unchanged.
bool LoadMspFile(const QString &path, MspRecord &record, QString *error);

// Writes the 2644 bytes of record over the start of the file, keeping whatever a
// longer file holds past them. Atomic: on failure the old file stays byte-identical
// and the result carries the reason; only a file in a read-only folder, where no
// temporary file can be made, is written in place.
tamo::SaveResult SaveMspFile(const QString &path, const MspRecord &record);

// Whether path holds something other than a multisample that a save would write
// over: a file that does not start with the identifier, a FIFO or a device. A missing
// or empty file holds nothing to lose.
bool holdsOtherThanMultisample(const QString &path);

} // namespace tamo::msp
