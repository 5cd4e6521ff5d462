// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wav/wavbytes.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace tamo::wav {

// Offsets of the canonical 44-byte RIFF WAVE header.
namespace wavhdr {
constexpr qint64 kRiff = 0;
constexpr qint64 kRiffSize = 4;
constexpr qint64 kWave = 8;
constexpr qint64 kFmt = 12;
constexpr qint64 kFmtSize = 16;
constexpr qint64 kFormatTag = 20;
constexpr qint64 kChannels = 22;
constexpr qint64 kSampleRate = 24;
constexpr qint64 kByteRate = 28;
constexpr qint64 kBlockAlign = 32;
constexpr qint64 kBitsPerSample = 34;
constexpr qint64 kData = 36;
constexpr qint64 kDataSize = 40;
constexpr qint64 kSize = 44;
static_assert(kDataSize + 4 == kSize);
} // namespace wavhdr

// The canonical 44-byte header of a 16-bit (or 24-bit) PCM file. The sizes are
// written as given: a header may describe a file other than the one it heads.
QByteArray canonicalHeader(qint32 riffSize, int channels, qint32 rate, qint32 dataSize, int bits = 16);

// The raw texts the panel shows are cut to this many bytes, so a wrong data size
// on a large file cannot flood the window.
constexpr qint64 kWavTextLimit = 64 * 1024;

// What the inspection panel shows of a file, read as it stands, unvalidated.
struct WavView {
    // Tags: the bytes present (fewer than 4 near the end of a short file).
    QByteArray riff, wave, fmt;
    // Numbers: bytes past the end read as 0.
    qint32 riffSize = 0, fmtSize = 0, sampleRate = 0, byteRate = 0;
    qint16 formatTag = 0, channels = 0, blockAlign = 0, bitsPerSample = 0;

    qint64 length = 0;      // L
    qint64 dataOffset = -1; // d: the first "data" bytes anywhere; -1 when none
    // The rest is set only when the tag was found.
    QByteArray dataTag;
    qint32 dataSize = 0; // S
    qint64 after = 0;    // L - S - d - 8: bytes after the payload (negative: file too short)
    QByteArray afterBytes;  // the first textLimit of them, when after >= 0
    bool afterCut = false;  // afterBytes holds only the first textLimit bytes
    qint64 before = 0;      // d - 36
    QByteArray beforeBytes; // the first textLimit of the bytes from 36 up to d
    bool beforeCut = false;

    bool hasData() const { return dataOffset >= 0; }
};

WavView readWavView(ByteSource &source, qint64 textLimit = kWavTextLimit);
WavView readWavView(QByteArrayView bytes, qint64 textLimit = kWavTextLimit);

// The texts of the panel's header fields, as "Ecrire les infos" writes them back.
struct WavFieldTexts {
    QString riffSize, wave, fmt, fmtSize, formatTag, channels, sampleRate, byteRate, blockAlign,
        bitsPerSample, dataTag, dataSize, trailer;
};
// The texts showWavInfo puts in the fields for a view.
WavFieldTexts shownTexts(const WavView &view);

enum class WavField {
    RiffSize, Wave, Fmt, FmtSize, FormatTag, Channels, SampleRate, ByteRate, BlockAlign,
    BitsPerSample, DataTag, DataSize, Trailer
};

struct WritePiece {
    qint64 offset = 0;
    QByteArray bytes;
};

struct HeaderWritePlan {
    enum class Problem {
        None,
        NotANumber,         // badField is not a whole number fitting badFieldBits
        TrailerBeforeStart, // the size field would put the trailer before offset 0
    };
    // Any problem means nothing is written.
    Problem problem = Problem::None;
    WavField badField = WavField::RiffSize;
    int badFieldBits = 0;
    QList<WritePiece> pieces; // in the order they are written
};

// Plans "Ecrire les infos" for the texts now in the fields of a file shown as
// `view`: "RIFF" at 0, the fields at their header offsets, the "data" tag and the
// size where the panel found them (36 and 40 when it found none), the trailer right
// after the payload of the size now in the size field. A byte text still as shown
// is written back as the bytes it was read from. With the tag, size and trailer
// fields all empty (a file without "data"), none of the three is written.
HeaderWritePlan planHeaderWrite(const WavFieldTexts &texts, const WavView &view);

// Writes the pieces into the file in place (created when missing). All or nothing:
// when any write fails the bytes it had are put back and it is cut to its old
// length; false then, with the system's reason, and *unchanged tells whether
// putting them back worked.
bool writePiecesInPlace(const QString &path, const QList<WritePiece> &pieces, QString *error,
                        bool *unchanged = nullptr);

} // namespace tamo::wav
