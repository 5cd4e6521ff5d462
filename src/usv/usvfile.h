// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "bank/bankformat.h"
#include "util/atomicfile.h"

namespace tamo::usv {

using bank::ReadOutcome;

// Voice entry: name (12 bytes), then 36 bytes of voice data.
constexpr qsizetype kVoiceDataOffset = bank::kNameOffset + bank::kNameSize;
constexpr qsizetype kVoiceDataSize = 36;
constexpr qsizetype kVoiceSize = 48;
static_assert(kVoiceDataOffset + kVoiceDataSize == kVoiceSize);
using UsvVoice = bank::FixedEntry<kVoiceSize>;

// Entry after the section tag: name (12 bytes), then 20 bytes of data.
constexpr qsizetype kEntryDataOffset = bank::kNameOffset + bank::kNameSize;
constexpr qsizetype kEntryDataSize = 20;
constexpr qsizetype kTaggedEntrySize = 32;
static_assert(kEntryDataOffset + kEntryDataSize == kTaggedEntrySize);
using UsvTaggedEntry = bank::FixedEntry<kTaggedEntrySize>;

// The section tag between the two runs: "KORG1" and two bytes, written as spaces.
constexpr qsizetype kTagSize = 7;
inline const QByteArray kTagMark = QByteArrayLiteral("KORG1");
inline const QByteArray kWrittenTag = QByteArrayLiteral("KORG1  ");
static_assert(sizeof("KORG1  ") - 1 == kTagSize);

constexpr char kUsvVersion = 0;

// The largest valid bank: both counts at their limit, and the 15 bytes past the last
// tagged entry that a read still ignores.
constexpr qsizetype kMaxUsvFileSize = bank::kHeaderSize + kVoiceSize * bank::kMaxEntries + kTagSize
                                      + kTaggedEntrySize * bank::kMaxEntries + kTaggedEntrySize / 2 - 1;

// A user-voice bank as read: header fields and tag as found, voices, tagged entries.
struct UsvFile {
    QByteArray Magic;
    quint8 Version = 0;
    quint8 CheckHigh = 0;
    quint8 CheckLow = 0;
    QList<UsvVoice> Voices;
    QByteArray SectionTag;
    QList<UsvTaggedEntry> TaggedEntries;

    QList<QByteArray> voiceNames() const;
    QList<QByteArray> taggedNames() const;
    bool operator==(const UsvFile &) const = default;
};

using UsvReadResult = bank::ReadResult<UsvFile>;

inline const QString kUsvHeaderMessage =
    QStringLiteral(QT_TRANSLATE_NOOP("BankFile", "This is not a valid Ketron SD1 Header (KUSV0) !"));
inline const QString kUsvFormatMessage = QStringLiteral(QT_TRANSLATE_NOOP("BankFile", "Bad USV Format !"));

// Reads a whole bank from memory. The tag is the first "KORG1" at offset 7 or later;
// the tagged-entry count is rounded to nearest (ties to even), and an entry reaching
// past the end of the data is completed with zero bytes. A file larger than the
// largest valid bank fails without a message.
UsvReadResult readUsv(QByteArrayView bytes);
// Reads the bank at path, the header first and never more than the largest valid
// bank; a file that cannot be read, a FIFO or a device fails without a message.
UsvReadResult OpenUSVFile(const QString &path);

// The file image of doc, checksum included, with the tag written as "KORG1" + 2 spaces.
QByteArray usvBytes(const UsvFile &doc);
// Why the file image of doc would not read back as doc's entries (voices that spell
// "KORG1" across their bytes, named with their numbers); empty when it would.
QString readBackProblem(const UsvFile &doc, const QByteArray &image);
// Writes doc to path atomically: on failure the old file stays as it was. An image
// that would not read back as the same entries is refused, and the reason names the voices.
SaveResult SaveUSVFile(const QString &path, const UsvFile &doc);

} // namespace tamo::usv
