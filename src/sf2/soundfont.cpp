// SPDX-License-Identifier: GPL-3.0-or-later
#include "sf2/soundfont.h"

#include "util/regularfile.h"

#include <QFile>
#include <QMutex>
#include <QStringDecoder>

#include <sndfile.h>

#include <algorithm>
#include <cstring>

namespace tamo::sf2 {

namespace {

using namespace Qt::StringLiterals;

// RIFF: a chunk is a 4-byte id, a 32-bit little-endian size, the data, a pad byte
// when the size is odd. A LIST holds a 4-byte type, then chunks.
constexpr qsizetype kChunkHeaderSize = 8;
constexpr qsizetype kChunkSizeAt = 4;
constexpr qsizetype kListTypeSize = 4;
constexpr qsizetype kNameSize = 20;

// Record sizes of the pdta chunks, fields in file order.
constexpr qsizetype kPhdrSize = 38; // name, preset u16, bank u16, bag u16, library, genre, morphology u32
constexpr qsizetype kPhdrProgramAt = 20;
constexpr qsizetype kPhdrBankAt = 22;
constexpr qsizetype kPhdrBagAt = 24;
constexpr qsizetype kBagSize = 4; // generator index u16, modulator index u16
constexpr qsizetype kBagModulatorAt = 2;
constexpr qsizetype kModSize = 10;
constexpr qsizetype kGenSize = 4; // operator u16, amount 16 bits
constexpr qsizetype kGenAmountAt = 2;
constexpr qsizetype kInstSize = 22; // name, bag u16
constexpr qsizetype kInstBagAt = 20;
constexpr qsizetype kShdrSize = 46;
constexpr qsizetype kShdrStartAt = 20;
constexpr qsizetype kShdrEndAt = 24;
constexpr qsizetype kShdrLoopStartAt = 28;
constexpr qsizetype kShdrLoopEndAt = 32;
constexpr qsizetype kShdrRateAt = 36;
constexpr qsizetype kShdrPitchAt = 40;
constexpr qsizetype kShdrCorrectionAt = 41;
constexpr qsizetype kShdrTypeAt = 44;
static_assert(kPhdrBagAt + 2 + 3 * 4 == kPhdrSize);
static_assert(kInstBagAt + 2 == kInstSize);
static_assert(kShdrTypeAt + 2 == kShdrSize);
static_assert(kGenAmountAt + 2 == kGenSize && kBagModulatorAt + 2 == kBagSize);

quint32 u32(QByteArrayView b, qsizetype at)
{
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 | quint32(quint8(b[at + 2])) << 16
         | quint32(quint8(b[at + 3])) << 24;
}

quint16 u16(QByteArrayView b, qsizetype at)
{
    return quint16(quint8(b[at]) | quint8(b[at + 1]) << 8);
}

// Texts are zero-padded Windows-1252 bytes.
QString windows1252(QByteArrayView text)
{
    if (const qsizetype zero = text.indexOf('\0'); zero >= 0)
        text.truncate(zero);
    QStringDecoder decoder("windows-1252");
    return decoder.isValid() ? QString(decoder.decode(text)).trimmed() : QString::fromLatin1(text).trimmed();
}

QString nameAt(QByteArrayView b, qsizetype at)
{
    return windows1252(b.sliced(at, kNameSize));
}

using Span = SoundFont::Span;

struct Chunk {
    QByteArray id;
    Span data;
};

// More preset data than any real font holds; refused before it is read.
constexpr qint64 kMostPresetBytes = 64 * 1024 * 1024;

class MemorySource final : public SampleSource {
public:
    explicit MemorySource(QByteArrayView bytes) : m_bytes(bytes) {}
    std::optional<QByteArray> read(qint64 at, qint64 size) const override
    {
        if (at < 0 || size < 0 || at > m_bytes.size() || size > m_bytes.size() - at)
            return std::nullopt;
        return m_bytes.sliced(qsizetype(at), qsizetype(size)).toByteArray();
    }
    qint64 size() const override { return m_bytes.size(); }

private:
    QByteArrayView m_bytes;
};

// Reads, not a mapping: a file cut short by another program gives a short read,
// where a mapping would end the process with SIGBUS.
class FileSource final : public SampleSource {
public:
    explicit FileSource(std::unique_ptr<QFile> file) : m_file(std::move(file)), m_size(m_file->size()) {}
    std::optional<QByteArray> read(qint64 at, qint64 size) const override
    {
        if (at < 0 || size < 0 || at > m_size || size > m_size - at)
            return std::nullopt;
        const QMutexLocker lock(&m_mutex);
        if (!m_file->seek(at))
            return std::nullopt;
        std::optional<QByteArray> bytes = util::readAtMost(*m_file, size);
        if (bytes && bytes->size() != size)
            return std::nullopt;
        return bytes;
    }
    qint64 size() const override { return m_size; }

private:
    mutable QMutex m_mutex;
    std::unique_ptr<QFile> m_file;
    qint64 m_size;
};

class Reader {
public:
    SoundFont font;

    explicit Reader(std::shared_ptr<const SampleSource> source) : m_source(std::move(source)) {}

    void run()
    {
        const qint64 total = m_source->size();
        const std::optional<QByteArray> head = m_source->read(0, kChunkHeaderSize + kListTypeSize);
        if (!head || head->first(4) != "RIFF" || head->sliced(kChunkHeaderSize, 4) != "sfbk")
            return fail(u"not a SoundFont (no RIFF sfbk header)"_s);
        const qint64 riffSize = u32(*head, kChunkSizeAt);
        if (riffSize < kListTypeSize)
            return fail(u"the RIFF chunk is too short (%1 bytes) to hold a SoundFont"_s.arg(riffSize));
        if (riffSize > total - kChunkHeaderSize)
            return fail(u"the file is truncated: its RIFF chunk holds %1 bytes, the file only %2"_s.arg(riffSize).arg(
                total - kChunkHeaderSize));
        QList<Chunk> lists;
        if (!chunks({kChunkHeaderSize + kListTypeSize, riffSize - kListTypeSize}, u"sfbk"_s, lists))
            return;
        std::optional<Span> info, sdta, pdta;
        for (const Chunk &chunk : std::as_const(lists)) {
            if (chunk.id != "LIST" || chunk.data.size < kListTypeSize)
                continue;
            const std::optional<QByteArray> type = m_source->read(chunk.data.at, kListTypeSize);
            const Span body{chunk.data.at + kListTypeSize, chunk.data.size - kListTypeSize};
            if (!type)
                return fail(u"the file cannot be read"_s);
            if (*type == "INFO")
                info = body;
            else if (*type == "sdta")
                sdta = body;
            else if (*type == "pdta")
                pdta = body;
        }
        if (!pdta)
            return fail(u"no preset data (pdta list)"_s);
        if (pdta->size + (info ? info->size : 0) > kMostPresetBytes)
            return fail(u"its preset data holds %1 bytes, more than a SoundFont's"_s.arg(pdta->size));
        QList<Chunk> parts;
        if ((info && !chunks(*info, u"INFO"_s, parts)) || (sdta && !chunks(*sdta, u"sdta"_s, parts))
            || !chunks(*pdta, u"pdta"_s, parts))
            return;
        const auto span = [&](const char *id) {
            for (const Chunk &chunk : std::as_const(parts)) {
                if (chunk.id == id)
                    return std::optional<Span>(chunk.data);
            }
            return std::optional<Span>();
        };
        // The small chunks, in memory; a missing one is a null array.
        const auto find = [&](const char *id) {
            const std::optional<Span> where = span(id);
            return where ? m_source->read(where->at, where->size).value_or(QByteArray()) : QByteArray();
        };
        if (const QByteArray inam = find("INAM"); inam.size() > 0)
            font.name = windows1252(QByteArrayView(inam).first(std::min<qsizetype>(inam.size(), 256)));
        const QByteArray ifil = find("ifil");
        font.isCompressed = ifil.size() >= 4 && u16(ifil, 0) == 3;
        font.smpl = span("smpl").value_or(Span());
        font.sm24 = span("sm24").value_or(Span());
        if (font.isCompressed || font.sm24.size < font.smpl.size / 2)
            font.sm24 = {};
        font.sampleBits = font.sm24.size == 0 ? 16 : 24;
        if (!readSamples(nonNull(find("shdr"))) || !readInstruments(nonNull(find("inst")), nonNull(find("ibag")), nonNull(find("igen")), nonNull(find("imod")))
            || !readPresets(nonNull(find("phdr")), nonNull(find("pbag")), nonNull(find("pgen")), nonNull(find("pmod"))))
            return;
        std::stable_sort(font.presets.begin(), font.presets.end(), [](const Preset &a, const Preset &b) {
            return std::pair(a.bank, a.program) < std::pair(b.bank, b.program);
        });
        font.source = m_source;
    }

private:
    std::shared_ptr<const SampleSource> m_source;

    // A chunk read empty is there, but holds no record.
    static QByteArrayView nonNull(const QByteArray &bytes)
    {
        return bytes.isNull() ? QByteArrayView() : QByteArrayView(bytes);
    }

    void fail(const QString &message)
    {
        if (font.error.isEmpty())
            font.error = message;
    }

    // The size of a chunk whose header at `at` fits in list, else -1.
    qint64 sizeAt(Span list, qint64 at) const
    {
        if (at + kChunkHeaderSize > list.at + list.size)
            return -1;
        const std::optional<QByteArray> header = m_source->read(at, kChunkHeaderSize);
        if (!header)
            return -1;
        const qint64 size = u32(*header, kChunkSizeAt);
        return size <= list.at + list.size - at - kChunkHeaderSize ? size : -1;
    }

    // The chunks of a list's data, each checked to lie inside it.
    bool chunks(Span list, const QString &name, QList<Chunk> &out)
    {
        const qint64 end = list.at + list.size;
        qint64 at = list.at;
        while (at + kChunkHeaderSize <= end) {
            const std::optional<QByteArray> header = m_source->read(at, kChunkHeaderSize);
            if (!header) {
                fail(u"the file cannot be read"_s);
                return false;
            }
            const QByteArray id = header->first(4);
            const qint64 size = u32(*header, kChunkSizeAt);
            if (size > end - at - kChunkHeaderSize) {
                fail(u"the chunk \"%1\" in %2 holds %3 bytes, more than the file has left (%4)"_s.arg(
                         QString::fromLatin1(id).toHtmlEscaped(), name)
                         .arg(size)
                         .arg(end - at - kChunkHeaderSize));
                return false;
            }
            out.append({id, {at + kChunkHeaderSize, size}});
            at += kChunkHeaderSize + size;
            // Some writers leave out the pad byte after an odd size: the next chunk tells.
            if ((size & 1) != 0 && !(sizeAt(list, at) >= 0 && sizeAt(list, at + 1) < 0))
                ++at;
        }
        return true;
    }

    // Records of a pdta chunk: a whole number of them, at least `least` (the
    // terminal record included).
    bool records(QByteArrayView chunk, const char *id, qsizetype size, qsizetype least, qsizetype &count)
    {
        if (chunk.isNull() || chunk.size() % size != 0 || chunk.size() / size < least) {
            fail(u"the %1 chunk is missing or damaged (%2 bytes, records of %3)"_s.arg(QLatin1StringView(id))
                     .arg(chunk.size())
                     .arg(size));
            return false;
        }
        count = chunk.size() / size;
        return true;
    }

    bool readSamples(QByteArrayView shdr)
    {
        qsizetype count = 0;
        if (!records(shdr, "shdr", kShdrSize, 1, count))
            return false;
        const qint64 smplFrames = font.smpl.size / 2;
        for (qsizetype i = 0; i + 1 < count; ++i) {
            const qsizetype at = i * kShdrSize;
            SampleHeader s;
            s.name = nameAt(shdr, at);
            s.start = u32(shdr, at + kShdrStartAt);
            s.end = u32(shdr, at + kShdrEndAt);
            const qint64 loopStart = u32(shdr, at + kShdrLoopStartAt);
            const qint64 loopEnd = u32(shdr, at + kShdrLoopEndAt);
            s.sampleRate = u32(shdr, at + kShdrRateAt);
            s.originalPitch = quint8(shdr[at + kShdrPitchAt]);
            s.pitchCorrection = qint8(shdr[at + kShdrCorrectionAt]);
            s.type = u16(shdr, at + kShdrTypeAt);
            if (font.isCompressed)
                s.type |= 0x10;
            const QString who = u"sample %1 \"%2\""_s.arg(i).arg(s.name);
            if (s.isRom()) {
                font.samples.append(s);
                continue;
            }
            const qint64 limit = s.isCompressed() ? font.smpl.size : smplFrames;
            if (s.end < s.start || s.end > limit) {
                fail(u"%1 lies outside the sample data (%2..%3 of %4)"_s.arg(who).arg(s.start).arg(s.end).arg(limit));
                return false;
            }
            if (s.sampleRate == 0 || s.sampleRate > 1000000) {
                fail(u"%1 has a sample rate of %2 Hz"_s.arg(who).arg(s.sampleRate));
                return false;
            }
            // SF3 loops count from the decoded sample's first frame already.
            s.loopStart = s.isCompressed() ? loopStart : loopStart - s.start;
            s.loopEnd = s.isCompressed() ? loopEnd : loopEnd - s.start;
            font.samples.append(s);
        }
        return true;
    }

    // Bags from..to-1 of a bag chunk, with their generators, into zones. A zone
    // whose last generator is not `linkGenerator` is global when first, else skipped.
    bool readZones(QByteArrayView bag, qsizetype bagCount, QByteArrayView gen, qsizetype genCount, qsizetype modCount,
                   quint16 from, quint16 to, Generator linkGenerator, qsizetype linkCount, const QString &owner,
                   QList<Zone> &zones)
    {
        if (to < from || to >= bagCount) {
            fail(u"%1: its zones %2..%3 lie past the end of the bag chunk (%4)"_s.arg(owner).arg(from).arg(to).arg(
                bagCount - 1));
            return false;
        }
        for (quint16 b = from; b < to; ++b) {
            const quint16 firstGen = u16(bag, b * kBagSize);
            const quint16 lastGen = u16(bag, (b + 1) * kBagSize);
            const quint16 firstMod = u16(bag, b * kBagSize + kBagModulatorAt);
            const quint16 lastMod = u16(bag, (b + 1) * kBagSize + kBagModulatorAt);
            if (lastGen < firstGen || lastGen >= genCount || lastMod < firstMod || lastMod >= modCount) {
                fail(u"%1: zone %2 points past the end of its generator or modulator chunk"_s.arg(owner).arg(b - from));
                return false;
            }
            Zone zone;
            zone.modulatorCount = lastMod - firstMod;
            bool linked = false;
            for (quint16 g = firstGen; g < lastGen && !linked; ++g) {
                const quint16 op = u16(gen, g * kGenSize);
                const qint16 amount = qint16(u16(gen, g * kGenSize + kGenAmountAt));
                if (op >= kGeneratorCount)
                    continue;
                if (op == quint16(linkGenerator)) {
                    if (quint16(amount) >= linkCount) {
                        fail(u"%1: zone %2 names %3 %4, past the last (%5)"_s.arg(owner).arg(b - from).arg(
                                 linkGenerator == Generator::Instrument ? u"instrument"_s : u"sample"_s)
                                 .arg(quint16(amount))
                                 .arg(linkCount - 1));
                        return false;
                    }
                    zone.link = quint16(amount);
                    linked = true; // generators after the link are ignored
                    continue;
                }
                zone.amounts[op] = amount;
                zone.isSet[op] = true;
            }
            if (zone.link >= 0 || (b == from && zones.isEmpty()))
                zones.append(zone);
        }
        return true;
    }

    bool readInstruments(QByteArrayView inst, QByteArrayView ibag, QByteArrayView igen, QByteArrayView imod)
    {
        qsizetype count = 0, bags = 0, gens = 0, mods = 0;
        if (!records(inst, "inst", kInstSize, 1, count) || !records(ibag, "ibag", kBagSize, 1, bags)
            || !records(igen, "igen", kGenSize, 1, gens) || !records(imod, "imod", kModSize, 1, mods))
            return false;
        for (qsizetype i = 0; i + 1 < count; ++i) {
            Instrument instrument;
            instrument.name = nameAt(inst, i * kInstSize);
            const QString owner = u"instrument %1 \"%2\""_s.arg(i).arg(instrument.name);
            if (!readZones(ibag, bags, igen, gens, mods, u16(inst, i * kInstSize + kInstBagAt),
                           u16(inst, (i + 1) * kInstSize + kInstBagAt), Generator::SampleId, font.samples.size(), owner,
                           instrument.zones))
                return false;
            font.instruments.append(instrument);
        }
        return true;
    }

    bool readPresets(QByteArrayView phdr, QByteArrayView pbag, QByteArrayView pgen, QByteArrayView pmod)
    {
        qsizetype count = 0, bags = 0, gens = 0, mods = 0;
        if (!records(phdr, "phdr", kPhdrSize, 1, count) || !records(pbag, "pbag", kBagSize, 1, bags)
            || !records(pgen, "pgen", kGenSize, 1, gens) || !records(pmod, "pmod", kModSize, 1, mods))
            return false;
        for (qsizetype i = 0; i + 1 < count; ++i) {
            const qsizetype at = i * kPhdrSize;
            Preset preset;
            preset.name = nameAt(phdr, at);
            preset.program = u16(phdr, at + kPhdrProgramAt);
            preset.bank = u16(phdr, at + kPhdrBankAt);
            const QString owner = u"preset %1:%2 \"%3\""_s.arg(preset.bank).arg(preset.program).arg(preset.name);
            if (!readZones(pbag, bags, pgen, gens, mods, u16(phdr, at + kPhdrBagAt), u16(phdr, at + kPhdrSize + kPhdrBagAt),
                           Generator::Instrument, font.instruments.size(), owner, preset.zones))
                return false;
            font.presets.append(preset);
        }
        return true;
    }
};

// libsndfile reads an Ogg Vorbis stream from memory through these.
struct MemoryStream {
    QByteArrayView bytes;
    sf_count_t at = 0;
};

sf_count_t streamLength(void *user)
{
    return static_cast<MemoryStream *>(user)->bytes.size();
}

sf_count_t streamSeek(sf_count_t offset, int whence, void *user)
{
    auto *s = static_cast<MemoryStream *>(user);
    const sf_count_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? s->at : s->bytes.size();
    s->at = std::clamp<sf_count_t>(base + offset, 0, s->bytes.size());
    return s->at;
}

sf_count_t streamRead(void *out, sf_count_t count, void *user)
{
    auto *s = static_cast<MemoryStream *>(user);
    const sf_count_t n = std::clamp<sf_count_t>(s->bytes.size() - s->at, 0, std::max<sf_count_t>(count, 0));
    if (n > 0)
        std::memcpy(out, s->bytes.data() + s->at, size_t(n));
    s->at += n;
    return n;
}

sf_count_t streamWrite(const void *, sf_count_t, void *)
{
    return 0;
}

sf_count_t streamTell(void *user)
{
    return static_cast<MemoryStream *>(user)->at;
}

// A decoded stream longer than this is refused (about 5 minutes at 48 kHz).
constexpr sf_count_t kMostDecodedFrames = 16 * 1024 * 1024;

SampleFrames decodeVorbis(QByteArrayView bytes, const QString &who)
{
    SampleFrames result;
    MemoryStream stream{bytes};
    SF_VIRTUAL_IO io{streamLength, streamSeek, streamRead, streamWrite, streamTell};
    SF_INFO info{};
    SNDFILE *file = sf_open_virtual(&io, SFM_READ, &info, &stream);
    if (!file) {
        result.error = u"%1 cannot be decoded: %2"_s.arg(who, QString::fromLatin1(sf_strerror(nullptr)));
        return result;
    }
    std::vector<qint32> block(std::size_t(4096) * std::size_t(std::max(info.channels, 1)));
    while (info.channels == 1) {
        const sf_count_t n = sf_readf_int(file, block.data(), 4096);
        if (n <= 0)
            break;
        result.frames.insert(result.frames.end(), block.begin(), block.begin() + n);
        if (sf_count_t(result.frames.size()) > kMostDecodedFrames)
            break;
    }
    sf_close(file);
    if (info.channels != 1 || sf_count_t(result.frames.size()) > kMostDecodedFrames) {
        result.frames.clear();
        result.error = u"%1 is not a mono stream of a sensible length"_s.arg(who);
    }
    return result;
}

} // namespace

SoundFont readSoundFont(QByteArrayView bytes)
{
    Reader reader(std::make_shared<MemorySource>(bytes));
    reader.run();
    if (!reader.font.ok()) {
        SoundFont failed;
        failed.error = reader.font.error;
        return failed;
    }
    return std::move(reader.font);
}

SoundFont readSoundFontFile(const QString &path)
{
    auto file = std::make_unique<QFile>();
    QString error;
    if (!util::openRegularFile(*file, path, &error)) {
        SoundFont failed;
        failed.error = u"cannot open %1: %2"_s.arg(path, error);
        return failed;
    }
    Reader reader(std::make_shared<FileSource>(std::move(file)));
    reader.run();
    if (!reader.font.ok()) {
        SoundFont failed;
        failed.error = u"%1: %2"_s.arg(path, reader.font.error);
        return failed;
    }
    return std::move(reader.font);
}

SampleFrames sampleFrames(const SoundFont &font, int index)
{
    SampleFrames result;
    if (index < 0 || index >= font.samples.size()) {
        result.error = u"no sample %1"_s.arg(index);
        return result;
    }
    const SampleHeader &s = font.samples.at(index);
    const QString who = u"sample \"%1\""_s.arg(s.name);
    if (s.isRom()) {
        result.error = u"%1 lives in a sound chip's memory, not in the file"_s.arg(who);
        return result;
    }
    const QString cutShort = u"%1 cannot be read: the file is shorter than when it was opened"_s.arg(who);
    if (s.isCompressed()) {
        const std::optional<QByteArray> stream = font.source->read(font.smpl.at + s.start, s.end - s.start);
        if (!stream) {
            result.error = cutShort;
            return result;
        }
        return decodeVorbis(*stream, who);
    }
    const qint64 frames = qint64(s.end) - qint64(s.start);
    if (frames > kMostDecodedFrames) {
        result.error = u"%1 holds %2 frames, more than a keyboard sample"_s.arg(who).arg(frames);
        return result;
    }
    const std::optional<QByteArray> words = font.source->read(font.smpl.at + 2 * qint64(s.start), 2 * frames);
    const std::optional<QByteArray> low = font.sm24.size > 0 ? font.source->read(font.sm24.at + s.start, frames)
                                                             : std::optional<QByteArray>(QByteArray());
    if (!words || !low) {
        result.error = cutShort;
        return result;
    }
    result.frames.resize(size_t(frames));
    for (qint64 i = 0; i < frames; ++i) {
        qint32 value = qint32(qint16(u16(*words, qsizetype(i) * 2))) * 65536;
        if (!low->isEmpty())
            value |= qint32(quint8(low->at(qsizetype(i)))) << 8;
        result.frames[size_t(i)] = value;
    }
    return result;
}

} // namespace tamo::sf2
