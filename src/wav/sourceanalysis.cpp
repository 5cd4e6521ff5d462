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
        // The loop must lie in what is kept; a long sound is searched in its first part only.
        const qint64 at = analysis.sound.start;
        const qint64 frames = std::min(analysis.sound.end - at, kMostLoopSearchFrames);
        std::vector<float> samples(size_t(frames) * size_t(channels));
        if (sf_seek(file.handle(), at, SEEK_SET) != at || sf_readf_float(file.handle(), samples.data(), frames) != frames) {
            analysis.error = file.errorString();
            return analysis;
        }
        analysis.loop = findLoop(samples.data(), frames, channels, analysis.rate);
        if (analysis.loop.found)
            analysis.loop.start += at, analysis.loop.end += at;
    }
    analysis.ok = true;
    return analysis;
}

} // namespace tamo::wav
