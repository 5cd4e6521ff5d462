// SPDX-License-Identifier: GPL-3.0-or-later
#include "wav/sourceanalysis.h"

#include "wav/soundfile.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <vector>

namespace tamo::wav {

SourceAnalysis analyseSource(const QString &path, const AnalysisRequest &request)
{
    SourceAnalysis analysis;
    SoundFile file(path);
    if (!file.isOpen()) {
        analysis.error = file.errorString();
        return analysis;
    }
    const int channels = file.info().channels;
    analysis.rate = file.info().samplerate;
    analysis.frames = file.info().frames;
    SF_INSTRUMENT instrument;
    analysis.hasOwnLoop = file.instrument(&instrument) && instrument.loop_count > 0;
    if (analysis.hasOwnLoop) {
        analysis.ownLoopStart = instrument.loops[0].start;
        analysis.ownLoopEnd = instrument.loops[0].end;
        for (int i = 1; i < std::min(instrument.loop_count, 16); ++i) {
            analysis.ownLoopStart = std::min<qint64>(analysis.ownLoopStart, instrument.loops[i].start);
            analysis.ownLoopEnd = std::max<qint64>(analysis.ownLoopEnd, instrument.loops[i].end);
        }
    }
    const qint64 from = std::clamp<qint64>(request.from, 0, analysis.frames);
    const qint64 to = request.to < 0 ? analysis.frames : std::clamp(request.to, from, analysis.frames);
    // Read in blocks, so that memory stays the same whatever the file's length.
    constexpr qint64 kBlock = 1 << 16;
    std::vector<float> block(size_t(kBlock) * size_t(channels));
    const float threshold = float(decibelsToGain(request.silenceDb));
    qint64 first = -1, last = -1;
    bool finite = true;
    if (sf_seek(file.handle(), from, SEEK_SET) != from) {
        analysis.error = file.errorString();
        return analysis;
    }
    for (qint64 at = from; at < to;) {
        const qint64 want = std::min(kBlock, to - at);
        if (sf_readf_float(file.handle(), block.data(), want) != want) {
            analysis.error = file.errorString();
            return analysis;
        }
        analysis.peak = std::max(analysis.peak, peakOf(block.data(), want, channels));
        for (qint64 i = 0; i < want * channels; ++i) {
            const float v = block[size_t(i)];
            finite = finite && std::isfinite(v);
            if (std::fabs(v) >= threshold) {
                last = at + i / channels;
                if (first < 0)
                    first = last;
            }
        }
        at += want;
    }
    if (first >= 0)
        analysis.sound = {first, last + 1};
    if (request.findLoop && !analysis.hasOwnLoop && analysis.sound.isSilent()) {
        analysis.loop.reason = finite ? QStringLiteral("silent")
                                      : QCoreApplication::translate("LoopFinder", "samples not finite");
    } else if (request.findLoop && !analysis.hasOwnLoop) {
        // The loop must lie in what is kept; the finder reads what it needs of it.
        const qint64 at = analysis.sound.start;
        const FrameReader read = [&](qint64 offset, qint64 count, float *out) -> qint64 {
            if (sf_seek(file.handle(), at + offset, SEEK_SET) != at + offset)
                return 0;
            return sf_readf_float(file.handle(), out, count);
        };
        analysis.loop = findLoop(read, analysis.sound.end - at, channels, analysis.rate);
        if (analysis.loop.found)
            analysis.loop.start += at, analysis.loop.end += at;
    }
    analysis.ok = true;
    return analysis;
}

} // namespace tamo::wav
