// SPDX-License-Identifier: GPL-3.0-or-later
#include "wav/keyboardformat.h"

#include "util/atomicfile.h"
#include "wav/loopfinder.h"
#include "wav/samplewriter.h"
#include "wav/soundfile.h"
#include "wav/wavinfo.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QtEndian>

#include <soxr.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace tamo::wav {

namespace {

constexpr qsizetype kHeaderSize = wavhdr::kSize;

constexpr sf_count_t kBlockFrames = 16384;

// The loops a cut asks for, in source frames relative to its window and clipped to
// it, then scaled to the written rate; loops left empty are dropped.
std::vector<WrittenLoop> loopsFor(const SourceCut &cut, const SF_INSTRUMENT *instrument, qint64 start, qint64 length,
                                  double ratio, qint64 frames)
{
    std::vector<WrittenLoop> source;
    if (cut.loop == SourceCut::Loop::Forward && cut.loopLength > 0) {
        // Rounded from the length, as FoundLoop::resampled() does: the loop stays in tune.
        const qint64 at = std::clamp<qint64>(std::llround(double(std::clamp<qint64>(cut.loopStart - start, 0, length)) * ratio), 0, frames);
        const qint64 end = std::min(frames, at + std::llround(cut.loopLength * ratio));
        return end > at ? std::vector<WrittenLoop>{{0, at, end, 0}} : std::vector<WrittenLoop>{};
    }
    if (cut.loop == SourceCut::Loop::Forward)
        source.push_back({0, cut.loopStart, cut.loopEnd, 0});
    else if (cut.loop == SourceCut::Loop::Keep && instrument)
        for (int i = 0; i < std::clamp(instrument->loop_count, 0, 16); ++i) {
            const auto &l = instrument->loops[i];
            const quint32 type = l.mode == SF_LOOP_ALTERNATING ? 1 : l.mode == SF_LOOP_BACKWARD ? 2 : 0;
            source.push_back({type, qint64(l.start), qint64(l.end), l.count});
        }
    std::vector<WrittenLoop> written;
    const auto scaled = [&](qint64 frame) {
        return std::clamp<qint64>(std::llround(double(std::clamp<qint64>(frame - start, 0, length)) * ratio), 0, frames);
    };
    for (WrittenLoop l : source) {
        l.start = scaled(l.start);
        l.end = scaled(l.end);
        if (l.end > l.start)
            written.push_back(l);
    }
    return written;
}

// Sources whose samples fit in 16 bits come through the float path unchanged.
bool hasMoreThan16Bits(int format)
{
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_S8: case SF_FORMAT_PCM_U8: case SF_FORMAT_PCM_16:
    case SF_FORMAT_ULAW: case SF_FORMAT_ALAW: case SF_FORMAT_IMA_ADPCM: case SF_FORMAT_MS_ADPCM:
    case SF_FORMAT_DPCM_8: case SF_FORMAT_DPCM_16: case SF_FORMAT_DWVW_12: case SF_FORMAT_DWVW_16:
    case SF_FORMAT_GSM610:
        return false;
    default:
        return true;
    }
}

QString majorFormatName(int format)
{
    switch (format & SF_FORMAT_TYPEMASK) {
    case SF_FORMAT_WAV: return {};
    case SF_FORMAT_WAVEX: return QStringLiteral("WAVE_FORMAT_EXTENSIBLE");
    case SF_FORMAT_AIFF: return QStringLiteral("AIFF");
    case SF_FORMAT_FLAC: return QStringLiteral("FLAC");
    case SF_FORMAT_OGG: return QStringLiteral("OGG");
    case SF_FORMAT_RF64: return QStringLiteral("RF64");
    default: return QStringLiteral("not WAV");
    }
}

QString sampleFormatName(int format)
{
    switch (format & SF_FORMAT_SUBMASK) {
    case SF_FORMAT_PCM_16: return {};
    case SF_FORMAT_PCM_S8: case SF_FORMAT_PCM_U8: return QStringLiteral("8-bit");
    case SF_FORMAT_PCM_24: return QStringLiteral("24-bit");
    case SF_FORMAT_PCM_32: return QStringLiteral("32-bit");
    case SF_FORMAT_FLOAT: return QStringLiteral("float");
    case SF_FORMAT_DOUBLE: return QStringLiteral("64-bit float");
    default: return QStringLiteral("compressed");
    }
}

struct SoxrDeleter {
    void operator()(soxr_t r) const { soxr_delete(r); }
};
using Resampler = std::unique_ptr<std::remove_pointer_t<soxr_t>, SoxrDeleter>;

// True when the RIFF size and every chunk's size fit the file's length, so that
// copying the file byte for byte gives the keyboard what the header promises.
bool riffSizesAgree(const QString &path)
{
    QFile file(path);
    char head[12];
    if (!file.open(QIODevice::ReadOnly) || file.read(head, 12) != 12)
        return false;
    const qint64 riffEnd = 8 + qint64(qFromLittleEndian<quint32>(head + 4));
    if (riffEnd != file.size() && riffEnd + 1 != file.size()) // a pad byte may follow
        return false;
    bool data = false;
    for (qint64 at = 12; at < riffEnd;) {
        char chunk[8];
        if (at + 8 > riffEnd || !file.seek(at) || file.read(chunk, 8) != 8)
            return false;
        const qint64 size = qFromLittleEndian<quint32>(chunk + 4);
        if (at + 8 + size > riffEnd)
            return false;
        data = data || std::equal(chunk, chunk + 4, "data");
        at += 8 + size + (size & 1);
    }
    return data;
}

ConvertResult failed(const QString &error)
{
    ConvertResult r;
    r.error = error;
    return r;
}

} // namespace

FormatCheck checkKeyboardFormat(const QString &path)
{
    FormatCheck check;
    const QFileInfo info(path);
    if (!info.exists()) {
        check.reason = QCoreApplication::translate("KeyboardFormat", "missing");
        return check;
    }
    if (!info.isFile()) {
        check.reason = QCoreApplication::translate("KeyboardFormat", "not a file");
        return check;
    }
    const SoundFile file(path);
    if (!file.isOpen()) {
        check.reason = QCoreApplication::translate("KeyboardFormat", "unreadable: ") + file.errorString();
        return check;
    }
    check.readable = true;
    const SF_INFO &sf = file.info();
    QStringList reasons;
    const QString major = majorFormatName(sf.format);
    if (!major.isEmpty())
        reasons << major;
    // A FLAC or OGG file is named by its container alone.
    const QString sample = sampleFormatName(sf.format);
    if (!sample.isEmpty() && (major.isEmpty() || (sf.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_WAVEX
                              || (sf.format & SF_FORMAT_TYPEMASK) == SF_FORMAT_AIFF))
        reasons << sample;
    if (sf.samplerate != kKeyboardRate)
        reasons << QString::number(sf.samplerate) + QStringLiteral(" Hz");
    if (sf.channels != 1 && sf.channels != 2)
        reasons << QString::number(sf.channels) + QCoreApplication::translate("KeyboardFormat", " channels");
    if (reasons.isEmpty() && !riffSizesAgree(path))
        reasons << QCoreApplication::translate("KeyboardFormat", "header sizes disagree with the file");
    check.reason = reasons.join(QStringLiteral(", "));
    check.ok = reasons.isEmpty();
    return check;
}

ConvertResult convertToKeyboardFormat(const QString &sourcePath, AtomicFileWriter &out, const ConvertStep &step,
                                      const SourceCut &cut)
{
    const SoundFile in(sourcePath);
    if (!in.isOpen())
        return failed(QFileInfo::exists(sourcePath) ? QCoreApplication::translate("KeyboardFormat", "unreadable: ") + in.errorString()
                                                    : QCoreApplication::translate("KeyboardFormat", "missing"));
    const SF_INFO &sf = in.info();
    const int channels = sf.channels;
    if (channels != 1 && channels != 2)
        return failed(QString::number(channels) + QCoreApplication::translate("KeyboardFormat", " channels"));
    if (sf.samplerate <= 0 || sf.frames < 0)
        return failed(QStringLiteral("unreadable: no length or rate"));
    if (sf.samplerate < kLowestSourceRate || sf.samplerate > kHighestSourceRate)
        return failed(QStringLiteral("%1 Hz: only rates from %2 to %3 Hz can be converted")
                          .arg(sf.samplerate).arg(kLowestSourceRate).arg(kHighestSourceRate));
    const qint64 start = std::clamp<qint64>(cut.start, 0, sf.frames);
    const qint64 end = cut.end < 0 ? qint64(sf.frames) : std::clamp<qint64>(cut.end, start, sf.frames);
    const qint64 length = end - start;
    if (length == 0 && sf.frames > 0)
        return failed(QStringLiteral("the sample window %1..%2 holds no frames").arg(cut.start).arg(cut.end));
    if (start > 0 && sf_seek(in.handle(), start, SEEK_SET) != start)
        return failed(QCoreApplication::translate("KeyboardFormat", "unreadable: ") + in.errorString());

    const bool resample = sf.samplerate != kKeyboardRate;
    const double ratio = double(kKeyboardRate) / double(sf.samplerate);
    const qint64 frames = resample ? std::llround(double(length) * ratio) : length;
    SF_INSTRUMENT instrument;
    const bool hasInstrument = in.instrument(&instrument);
    const std::vector<WrittenLoop> loops = loopsFor(cut, hasInstrument ? &instrument : nullptr, start, length, ratio, frames);
    const bool ownRoot = cut.rootKey < 0 && hasInstrument;
    QByteArray sampler;
    if (!loops.empty() || cut.rootKey >= 0 || ownRoot)
        sampler = samplerChunk(cut.rootKey >= 0 ? cut.rootKey : ownRoot ? (instrument.basenote & 0x7f) : 60,
                               cut.rootKey >= 0 ? cut.fineCents : ownRoot ? int(instrument.detune) : 0, loops, kKeyboardRate);
    const qint64 dataSize = frames * channels * 2;
    if (kHeaderSize + dataSize + sampler.size() > qint64(0xffffffffu))
        return failed(QStringLiteral("too long for a WAV file"));

    Resampler resampler;
    if (resample) {
        soxr_error_t error = nullptr;
        const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
        const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
        const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
        resampler.reset(soxr_create(sf.samplerate, kKeyboardRate, unsigned(channels), &error, &io, &quality, &runtime));
        if (!resampler)
            return failed(QStringLiteral("resampler: ") + QString::fromLatin1(error));
    }

    ConvertResult result;
    result.dithered = resample || hasMoreThan16Bits(sf.format) || cut.gain != 1.0;
    result.hasSampler = !sampler.isEmpty();
    if (!out.write(canonicalHeader(qint32(quint32(kHeaderSize - 8 + dataSize + sampler.size())), channels, kKeyboardRate,
                                   qint32(quint32(dataSize)))))
        return failed(out.errorString());

    SampleWriter writer(out, channels, frames, result.dithered);
    const bool blend = cut.loop == SourceCut::Loop::Forward && cut.crossfade > 0 && !loops.empty();
    if (blend)
        writer.hold();
    std::vector<float> block(std::size_t(kBlockFrames) * std::size_t(channels));
    // The resampler fills a block of fixed size as often as it needs to, whatever the ratio.
    std::vector<float> resampled(block.size());
    // Hands one block of source frames (none: the end, to drain the resampler) to the writer.
    const auto push = [&](const float *input, sf_count_t count) {
        if (!resampler)
            return writer.write(input, count);
        std::size_t used = 0;
        do {
            std::size_t done = 0, produced = 0;
            const float *from = input ? input + used * std::size_t(channels) : nullptr;
            if (soxr_process(resampler.get(), from, input ? std::size_t(count) - used : 0, &done,
                             resampled.data(), std::size_t(kBlockFrames), &produced))
                return false;
            used += done;
            if (!writer.write(resampled.data(), qint64(produced)))
                return false;
            if (!input && produced == 0)
                return true;
        } while (!input || used < std::size_t(count));
        return true;
    };

    const float gain = float(cut.gain);
    qint64 read = 0;
    while (writer.left() > 0 && read < length) {
        const sf_count_t n = sf_readf_float(in.handle(), block.data(), std::min<qint64>(kBlockFrames, length - read));
        if (n <= 0)
            break;
        read += n;
        // Infinities and NaN (a float file) would spread through the resampler.
        for (float &sample : std::span(block.data(), std::size_t(n) * std::size_t(channels))) {
            const float s = sample * gain;
            sample = std::isnan(s) ? 0.0f : std::clamp(s, -1.0f, 1.0f);
        }
        if (!push(block.data(), n))
            return failed(out.failed() ? out.errorString() : QStringLiteral("resampler failed"));
        if (step && !step(length > 0 ? double(read) / double(length) : 1.0)) {
            result.cancelled = true;
            return result;
        }
    }
    if (sf_error(in.handle()) != SF_ERR_NO_ERROR)
        return failed(QCoreApplication::translate("KeyboardFormat", "unreadable: ") + in.errorString());
    // The resampler holds back its last frames until told the input has ended;
    // a decoder that gives fewer frames than it announced leaves silence.
    const auto crossfade = [&](float *samples, qint64 count) {
        FoundLoop loop;
        loop.found = true;
        loop.start = loops.front().start;
        loop.end = loops.front().end;
        loop.crossfade = std::llround(double(cut.crossfade) * ratio);
        applyCrossfade(samples, count, channels, loop);
    };
    if ((resampler && writer.left() > 0 && !push(nullptr, 0)) || !writer.padToEnd() || (blend && !writer.release(crossfade))
        || !out.write(sampler))
        return failed(out.failed() ? out.errorString() : QStringLiteral("resampler failed"));
    result.ok = true;
    result.frames = frames;
    return result;
}

ConvertResult convertFileToKeyboardFormat(const QString &sourcePath, const QString &targetPath, const ConvertStep &step,
                                          const SourceCut &cut)
{
    AtomicFileWriter out(targetPath);
    if (!out.open())
        return failed(out.errorString());
    ConvertResult result = convertToKeyboardFormat(sourcePath, out, step, cut);
    if (!result.ok)
        out.cancel();
    else if (!out.commit())
        return failed(out.errorString());
    return result;
}

} // namespace tamo::wav
