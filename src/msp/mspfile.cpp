// SPDX-License-Identifier: GPL-3.0-or-later
#include "msp/mspfile.h"

#include "util/regularfile.h"

#include <QFile>
#include <QFileInfo>

namespace tamo::msp {

bool LoadMspFile(const QString &path, MspRecord &record, QString *error)
{
    QFile file;
    if (!util::openRegularFile(file, path, error))
        return false;
    std::optional<QByteArray> bytes = util::readAtMost(file, kMspRecordSize);
    if (!bytes) {
        if (error)
            *error = file.errorString();
        return false;
    }
    bytes->append(kMspRecordSize - bytes->size(), '\0'); // a short file: the rest stays zero
    record = MspRecord::fromBytes(*bytes);
    return true;
}

tamo::SaveResult SaveMspFile(const QString &path, const MspRecord &record)
{
    return tamo::saveOverFileStart(path, record.bytes());
}

bool holdsOtherThanMultisample(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isDir() || (info.isFile() && info.size() == 0))
        return false;
    QFile file;
    if (!util::openRegularFile(file, path))
        return true; // a FIFO, a device, or a file that cannot be told to be one
    const std::optional<QByteArray> start = util::readAtMost(file, kMagicSize);
    return !start || !MspRecord::fromBytes(*start).isValid();
}

} // namespace tamo::msp
