#include "msp/mspfile.h"

#include <QFile>
#include <QFileInfo>

namespace tamo::msp {

bool LoadMspFile(const QString &path, MspRecord &record, QString *error)
{
    auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };

    if (path.isEmpty())
        return fail(QStringLiteral("No file name specified"));
    // QFile opens a folder on some systems and then reads nothing; refuse it first.
    if (QFileInfo(path).isDir())
        return fail(QStringLiteral("Is a directory"));

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(file.errorString());

    QByteArray bytes(kMspRecordSize, '\0');
    qsizetype got = 0;
    while (got < kMspRecordSize) {
        const qint64 n = file.read(bytes.data() + got, kMspRecordSize - got);
        if (n < 0)
            return fail(file.errorString());
        if (n == 0)
            break; // a short file: the rest stays zero
        got += qsizetype(n);
    }
    record = MspRecord::fromBytes(bytes);
    return true;
}

tamo::SaveResult SaveMspFile(const QString &path, const MspRecord &record)
{
    return tamo::saveFileAtomically(path, record.bytes());
}

} // namespace tamo::msp
