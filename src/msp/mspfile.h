#pragma once

#include "msp/msprecord.h"
#include "util/atomicfile.h"

#include <QString>

namespace tamo::msp {

// Reads the first 2644 bytes of the file into record; a shorter file leaves the
// missing tail zero. The identifier is not checked here. On failure (missing,
// unreadable, a folder) returns false with the reason in *error (when given) and
// leaves record unchanged.
bool LoadMspFile(const QString &path, MspRecord &record, QString *error);

// Replaces the file with exactly the 2644 bytes of record, atomically: on failure
// the old file stays byte-identical and the result carries the reason.
tamo::SaveResult SaveMspFile(const QString &path, const MspRecord &record);

} // namespace tamo::msp
