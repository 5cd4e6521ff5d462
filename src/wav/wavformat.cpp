// SPDX-License-Identifier: GPL-3.0-or-later
#include "wav/wavformat.h"

#include "wav/wavinfo.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

namespace tamo::wav {

namespace {

// Bytes 2 to 15 of the sub-format GUID of an extensible format: the standard base.
constexpr char kGuidTail[] = "\x00\x00\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71";
constexpr qsizetype kGuidTailSize = sizeof(kGuidTail) - 1;
static_assert(kGuidTailSize == 14);

// A file whose format chunk lies behind more chunks than this is not worth a
// walk through every one (a file of zeros would be a chunk every 8 bytes).
constexpr int kMaxChunksBeforeFormat = 256;

SampleFormatCheck refused(const QString &problem) { return {std::nullopt, problem}; }

double aLawLevel(quint8 byte)
{
    const int v = byte ^ 0x55;
    const int exponent = (v >> 4) & 7;
    int magnitude = ((v & 0x0f) << 4) + 8;
    if (exponent != 0)
        magnitude = (magnitude + 0x100) << (exponent - 1);
    return double((v & 0x80) ? magnitude : -magnitude) / 32768.0;
}

double muLawLevel(quint8 byte)
{
    const int v = ~byte & 0xff;
    const int exponent = (v >> 4) & 7;
    const int magnitude = ((((v & 0x0f) << 3) + 0x84) << exponent) - 0x84;
    return double((v & 0x80) ? -magnitude : magnitude) / 32768.0;
}

double clampLevel(double v)
{
    if (!(v == v)) // NaN
        return 0.0;
    return std::clamp(v, -1.0, 1.0);
}

} // namespace

SampleFormatCheck readSampleFormat(QByteArrayView body)
{
    using namespace fmtbody;
    if (body.size() < kCanonicalSize)
        return refused(QStringLiteral("the format chunk is shorter than 16 bytes"));
    auto u16 = [&body](qint64 at) { return qFromLittleEndian<quint16>(body.data() + at); };
    quint16 tag = u16(kFormatTag);
    const int channels = u16(kChannels);
    const quint32 rate = qFromLittleEndian<quint32>(body.data() + kSampleRate);
    const int bits = u16(kBitsPerSample);
    if (tag == kFormatExtensible) {
        if (body.size() < kExtensibleSize)
            return refused(QStringLiteral("an extensible format chunk shorter than 40 bytes"));
        if (std::memcmp(body.data() + kSubFormat + 2, kGuidTail, kGuidTailSize) != 0)
            return refused(QStringLiteral("an extensible format of unknown kind"));
        tag = u16(kSubFormat);
    }
    if (channels < 1 || channels > kMaxChannels)
        return refused(QStringLiteral("%1 channels").arg(channels));
    if (rate < 1 || rate > quint32(INT32_MAX))
        return refused(QStringLiteral("a sample rate of %1 Hz").arg(qint32(rate)));

    SampleFormat f;
    f.tag = tag;
    f.channels = channels;
    f.sampleBytes = (bits + 7) / 8;
    const QString badBits = QStringLiteral("format %1 with %2 bits per sample").arg(tag).arg(bits);
    switch (tag) {
    case kFormatPcm: {
        if (bits < 8 || bits > 32)
            return refused(badBits);
        constexpr SampleEncoding kPcm[] = {SampleEncoding::Unsigned8, SampleEncoding::Signed16,
                                           SampleEncoding::Signed24, SampleEncoding::Signed32};
        f.encoding = kPcm[f.sampleBytes - 1];
        break;
    }
    case kFormatFloat:
        if (bits != 32 && bits != 64)
            return refused(badBits);
        f.encoding = bits == 32 ? SampleEncoding::Float32 : SampleEncoding::Float64;
        break;
    case kFormatALaw:
    case kFormatMuLaw:
        if (bits != 8)
            return refused(badBits);
        f.encoding = tag == kFormatALaw ? SampleEncoding::ALaw : SampleEncoding::MuLaw;
        break;
    default:
        return refused(QStringLiteral("compressed samples (format %1)").arg(tag));
    }
    return {f, {}};
}

SampleFormatCheck sampleFormatAt(ByteSource &source, qint64 fmtChunk)
{
    if (fmtChunk < 0)
        return readSampleFormat(source.bytesAt(wavhdr::kFormatTag, fmtbody::kCanonicalSize));
    const quint32 size = quint32(source.int32At(fmtChunk + 4));
    return readSampleFormat(source.bytesAt(fmtChunk + 8, std::min<qint64>(size, fmtbody::kExtensibleSize)));
}

namespace {

bool looksLikeChunkId(const char *id)
{
    return std::all_of(id, id + 4, [](char c) { return c >= 0x20 && c <= 0x7e; });
}

} // namespace

PlayableChunks findPlayableChunks(ByteSource &source)
{
    PlayableChunks found;
    const qint64 length = source.size();
    char head[12];
    if (length < 12 || !source.readPadded(0, head, 12) || std::memcmp(head, "RIFF", 4) != 0
        || std::memcmp(head + 8, "WAVE", 4) != 0)
        return found;
    for (qint64 pos = 12; pos + 8 <= length && (found.formatOffset < 0 || found.dataOffset < 0);) {
        if (!source.readPadded(pos, head, 8))
            break;
        const qint64 size = qFromLittleEndian<quint32>(head + 4);
        const qint64 payload = pos + 8;
        if (std::memcmp(head, "fmt ", 4) == 0 && found.formatOffset < 0) {
            found.formatOffset = payload;
            found.formatSize = std::min(size, length - payload);
        } else if (std::memcmp(head, "data", 4) == 0 && found.dataOffset < 0) {
            found.dataOffset = payload;
            found.dataSize = std::min(size, length - payload);
        }
        pos = payload + size + (size & 1);
        // No pad byte written: the header starts right after the payload.
        char after[5];
        if ((size & 1) && payload + size + 5 <= length && source.readPadded(payload + size, after, 5)
            && !looksLikeChunkId(after + 1) && looksLikeChunkId(after))
            pos = payload + size;
    }
    return found;
}

SampleFormatCheck fileSampleFormat(ByteSource &source)
{
    const qint64 length = source.size();
    qint64 pos = 12;
    char head[8];
    for (int n = 0; n < kMaxChunksBeforeFormat && pos + 8 <= length; ++n) {
        if (!source.readPadded(pos, head, 8) || std::memcmp(head, "data", 4) == 0)
            break;
        if (std::memcmp(head, "fmt ", 4) == 0)
            return sampleFormatAt(source, pos);
        const quint32 size = qFromLittleEndian<quint32>(head + 4);
        pos += 8 + qint64(size) + qint64(size & 1);
    }
    return sampleFormatAt(source, -1);
}

double sampleLevel(const char *p, SampleEncoding encoding)
{
    auto u = [p](int i) { return quint32(quint8(p[i])); };
    switch (encoding) {
    case SampleEncoding::Unsigned8:
        return (double(u(0)) - 128.0) / 128.0;
    case SampleEncoding::Signed16:
        return qFromLittleEndian<qint16>(p) / 32768.0;
    case SampleEncoding::Signed24: {
        const qint32 v = qint32(u(0) << 8 | u(1) << 16 | u(2) << 24) >> 8;
        return v / 8388608.0;
    }
    case SampleEncoding::Signed32:
        return qFromLittleEndian<qint32>(p) / 2147483648.0;
    case SampleEncoding::Float32:
        return clampLevel(double(qFromLittleEndian<float>(p)));
    case SampleEncoding::Float64:
        return clampLevel(qFromLittleEndian<double>(p));
    case SampleEncoding::ALaw:
        return aLawLevel(quint8(u(0)));
    case SampleEncoding::MuLaw:
        return muLawLevel(quint8(u(0)));
    }
    return 0.0;
}

} // namespace tamo::wav
