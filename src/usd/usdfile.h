// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/bankformat.h"
#include "util/atomicfile.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tamo::usd {

using bank::FixedEntry;
using bank::ReadOutcome;
using bank::ReadResult;
using bank::headerChecksumMatches;
using bank::stampHeaderChecksum;
using namespace bank::layout;

// Entry layout: name (12 bytes), then 112 items of 4 bytes of kit data.
constexpr qsizetype kKitDataOffset = kNameOffset + kNameSize;
constexpr qsizetype kKitDataSize = 112 * 4;
constexpr qsizetype kUsdEntrySize = 460;
static_assert(kKitDataOffset + kKitDataSize == kUsdEntrySize);
using UsdEntry = FixedEntry<kUsdEntrySize>;

constexpr char kUsdVersion = 3;

// The largest valid bank: as many kits as the count can hold.
constexpr qsizetype kMaxUsdFileSize = kHeaderSize + kUsdEntrySize * kMaxEntries;

// A drum-kit bank as read: header fields as found, then the kits in file order.
struct UsdFile {
    QByteArray Magic;
    quint8 Version = 0;
    quint8 CheckHigh = 0;
    quint8 CheckLow = 0;
    QList<UsdEntry> Entries;

    QList<QByteArray> names() const;
    bool operator==(const UsdFile &) const = default;
};

using UsdReadResult = ReadResult<UsdFile>;

inline const QString kUsdHeaderMessage =
    QStringLiteral(QT_TRANSLATE_NOOP("BankFile", "This is not a valid Ketron SD1 Header (KUSD3) !"));
inline const QString kUsdFormatMessage = QStringLiteral(QT_TRANSLATE_NOOP("BankFile", "Bad Kit Format !"));

// Reads a whole bank from memory. A file larger than the largest valid bank
// fails without a message, as one with too many entries does.
UsdReadResult readUsd(QByteArrayView bytes);
// Reads the bank at path, the header first and never more than the largest valid
// bank; a file that cannot be read, a FIFO or a device fails without a message.
UsdReadResult OpenUSDFile(const QString &path);

// The file image of doc, checksum included.
QByteArray usdBytes(const UsdFile &doc);
// Writes doc to path atomically: on failure the old file stays as it was.
SaveResult SaveUSDFile(const QString &path, const UsdFile &doc);

} // namespace tamo::usd
