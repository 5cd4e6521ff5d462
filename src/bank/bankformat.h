// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// What drum-kit and user-voice banks share: the checksummed 7-byte header, fixed-size
// named entries, the read outcome and the way names are shown.
namespace tamo::bank {

namespace layout {
// The 7-byte header shared by USD and USV banks.
constexpr qsizetype kMagicOffset = 0;
constexpr qsizetype kMagicSize = 4;
constexpr qsizetype kVersionOffset = 4;
constexpr qsizetype kCheckHighOffset = 5;
constexpr qsizetype kCheckLowOffset = 6;
constexpr qsizetype kHeaderSize = 7;
static_assert(kCheckLowOffset + 1 == kHeaderSize);

// Every entry of both banks starts with a 12-byte name.
constexpr qsizetype kNameOffset = 0;
constexpr qsizetype kNameSize = 12;

// Counts are limited to what the instrument's signed 16-bit counters hold.
constexpr qsizetype kMaxEntries = 32767;

// The reader's messages, each shown in an OK box without icon under the program title.
inline const QString kBadChecksumMessage =
    QStringLiteral(QT_TRANSLATE_NOOP("BankFile", "INFO : The file presents a bad CheckSum header. We will try to load it..."));

} // namespace layout
using namespace layout;

struct Checksum {
    quint8 high = 0;
    quint8 low = 0;
    bool operator==(const Checksum &) const = default;
};

// Checksum of the bytes that follow the header. The high byte carries the low byte's
// top bit into it; when that overflows a byte it is kept modulo 256, so a file written
// here always reads back with a matching checksum.
Checksum HeaderChecksum(QByteArrayView afterHeader);

// Whether the two checksum bytes of a whole bank image match its content; header
// bytes past the end of a short image count as zero.
bool headerChecksumMatches(QByteArrayView image);
// Writes the checksum of a whole bank image into its header.
void stampHeaderChecksum(QByteArray &image);

// One fixed-size entry of a bank, held as its exact byte image: the name, then data
// the editor never interprets.
template <qsizetype Size>
class FixedEntry {
public:
    static constexpr qsizetype kSize = Size;
    static_assert(Size > kNameOffset + kNameSize);

    // Short input is padded with zero bytes, long input cut.
    explicit FixedEntry(QByteArrayView bytes = {})
        : m_bytes(bytes.first(qMin(bytes.size(), Size)).toByteArray())
    {
        if (m_bytes.size() < Size)
            m_bytes.append(Size - m_bytes.size(), '\0');
    }

    const QByteArray &bytes() const { return m_bytes; }
    QByteArray name() const { return m_bytes.mid(kNameOffset, kNameSize); }
    QByteArrayView data() const
    {
        return QByteArrayView(m_bytes).sliced(kNameOffset + kNameSize);
    }

    bool operator==(const FixedEntry &) const = default;

private:
    QByteArray m_bytes;
};

enum class ReadOutcome {
    Loaded,
    Refused, // told the user why, in the messages
    Failed,  // unreadable, or nothing to load: no message
};

// What a read gives the window: the document when loaded, and the messages to show
// in order (a bad checksum is reported and the load goes on).
template <class Document>
struct ReadResult {
    ReadOutcome outcome = ReadOutcome::Failed;
    std::optional<Document> document;
    QStringList messages;
};

// What a bank reader needs of the file at path: only its first bytes when they are
// not header, otherwise the file up to maxSize + 1 bytes, so that a file too large to
// be a bank is told from one that fits without reading it whole. nullopt when path is
// not a regular file (a FIFO or device would hang or never end) or cannot be read.
std::optional<QByteArray> readBankFile(const QString &path, QByteArrayView header,
                                       qsizetype maxSize);

// The bytes of a name as the user sees them (Windows-1252; a control byte and the
// codes Windows-1252 leaves unassigned show as a space).
QString displayName(QByteArrayView name);

} // namespace tamo::bank
