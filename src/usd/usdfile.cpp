// SPDX-License-Identifier: GPL-3.0-or-later
#include "usd/usdfile.h"

#include <QFile>

namespace tamo::usd {

QList<QByteArray> UsdFile::names() const
{
    QList<QByteArray> result;
    result.reserve(Entries.size());
    for (const UsdEntry &entry : Entries)
        result << entry.name();
    return result;
}

UsdReadResult readUsd(QByteArrayView bytes)
{
    UsdReadResult result;
    static const QByteArray header = QByteArrayLiteral("KUSD") + char(kUsdVersion);
    if (!bytes.startsWith(header)) {
        result.outcome = ReadOutcome::Refused;
        result.messages << kUsdHeaderMessage;
        return result;
    }
    // More entries than the counts hold, like any file too large to be a bank: no load,
    // decided at once without adding up what may be gigabytes.
    if (bytes.size() > kMaxUsdFileSize) {
        result.outcome = ReadOutcome::Failed;
        return result;
    }
    if (!headerChecksumMatches(bytes))
        result.messages << kBadChecksumMessage;

    const qsizetype body = bytes.size() - kHeaderSize;
    if (body < 0 || body % kUsdEntrySize != 0) {
        result.outcome = ReadOutcome::Refused;
        result.messages << kUsdFormatMessage;
        return result;
    }
    const qsizetype count = body / kUsdEntrySize;
    if (count == 0) {
        result.outcome = ReadOutcome::Failed;
        return result;
    }

    UsdFile doc;
    doc.Magic = bytes.sliced(kMagicOffset, kMagicSize).toByteArray();
    doc.Version = quint8(bytes[kVersionOffset]);
    doc.CheckHigh = quint8(bytes[kCheckHighOffset]);
    doc.CheckLow = quint8(bytes[kCheckLowOffset]);
    doc.Entries.reserve(count);
    for (qsizetype i = 0; i < count; ++i)
        doc.Entries << UsdEntry(bytes.sliced(kHeaderSize + kUsdEntrySize * i, kUsdEntrySize));
    result.outcome = ReadOutcome::Loaded;
    result.document = std::move(doc);
    return result;
}

UsdReadResult OpenUSDFile(const QString &path)
{
    const std::optional<QByteArray> bytes =
        bank::readBankFile(path, QByteArrayLiteral("KUSD") + char(kUsdVersion), kMaxUsdFileSize);
    if (!bytes)
        return {};
    return readUsd(*bytes);
}

QByteArray usdBytes(const UsdFile &doc)
{
    QByteArray out;
    out.reserve(kHeaderSize + kUsdEntrySize * doc.Entries.size());
    QByteArray magic = doc.Magic.left(kMagicSize);
    magic.append(kMagicSize - magic.size(), '\0');
    out += magic;
    out += char(doc.Version);
    out += char(doc.CheckHigh);
    out += char(doc.CheckLow);
    for (const UsdEntry &entry : doc.Entries)
        out += entry.bytes();
    stampHeaderChecksum(out);
    return out;
}

SaveResult SaveUSDFile(const QString &path, const UsdFile &doc)
{
    return saveFileAtomically(path, usdBytes(doc));
}

} // namespace tamo::usd
