// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "wav/wavbytes.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace tamo::wav {

// Offsets inside the body of a "fmt " chunk.
namespace fmtbody {
constexpr qint64 kFormatTag = 0;
constexpr qint64 kChannels = 2;
constexpr qint64 kSampleRate = 4;
constexpr qint64 kBlockAlign = 12;
constexpr qint64 kBitsPerSample = 14;
constexpr qint64 kCanonicalSize = 16;
constexpr qint64 kSubFormat = 24; // extensible form: a GUID whose first two bytes are the format code
constexpr qint64 kExtensibleSize = 40;
} // namespace fmtbody

constexpr quint16 kFormatPcm = 1;
constexpr quint16 kFormatFloat = 3;
constexpr quint16 kFormatALaw = 6;
constexpr quint16 kFormatMuLaw = 7;
constexpr quint16 kFormatExtensible = 0xFFFE;
// The most channels common readers accept.
constexpr int kMaxChannels = 1024;

enum class SampleEncoding { Unsigned8, Signed16, Signed24, Signed32, Float32, Float64, ALaw, MuLaw };

struct SampleFormat {
    quint16 tag = kFormatPcm; // an extensible format's sub-format code in its place
    SampleEncoding encoding = SampleEncoding::Signed16;
    int sampleBytes = 2;
    int channels = 1;
    qint64 frameBytes() const { return qint64(sampleBytes) * channels; }
};

struct SampleFormatCheck {
    std::optional<SampleFormat> format;
    QString problem; // why there is none, for a message
};

// What common readers make of a format chunk's body: PCM of 8 to 32 bits, float of
// 32 or 64 bits, or 8-bit A-law or mu-law, 1 to kMaxChannels channels at a positive
// rate; the extensible form (a body of 40 bytes or more) stands for its sub-format.
SampleFormatCheck readSampleFormat(QByteArrayView body);

// The format of the first "fmt " chunk of the RIFF chunk walk, or the canonical
// header's fields at offset 20 when the walk meets none before "data".
SampleFormatCheck fileSampleFormat(ByteSource &source);
// The same for a chunk at a known offset (-1: the canonical fields at 20).
SampleFormatCheck sampleFormatAt(ByteSource &source, qint64 fmtChunk);

// The chunks a lenient player plays: the first "fmt " and "data" of a RIFF WAVE
// file, walked with or without the pad byte after an odd size, as the next header
// shows (writers differ); a data chunk claiming more than the file holds ends with
// the file. Offsets and sizes of the payloads; an offset of -1 where none is met.
struct PlayableChunks {
    qint64 formatOffset = -1;
    qint64 formatSize = 0;
    qint64 dataOffset = -1;
    qint64 dataSize = 0;
};
PlayableChunks findPlayableChunks(ByteSource &source);

// One sample at p as a level from -1 to 1 (0 is silence).
double sampleLevel(const char *p, SampleEncoding encoding);

} // namespace tamo::wav
