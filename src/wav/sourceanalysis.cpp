// SPDX-License-Identifier: GPL-3.0-or-later
#include "wav/sourceanalysis.h"

#include "wav/soundfile.h"

#include <algorithm>
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
    std::vector<float> samples(size_t(analysis.frames) * size_t(channels));
    if (sf_readf_float(file.handle(), samples.data(), analysis.frames) != analysis.frames) {
        analysis.error = file.errorString();
        return analysis;
    }
    const qint64 from = std::clamp<qint64>(request.from, 0, analysis.frames);
    const qint64 to = request.to < 0 ? analysis.frames : std::clamp(request.to, from, analysis.frames);
    const float *window = samples.data() + from * channels;
    analysis.peak = peakOf(window, to - from, channels);
    const SoundBounds sound = soundBoundsOf(window, to - from, channels, request.silenceDb);
    if (!sound.isSilent())
        analysis.sound = {from + sound.start, from + sound.end};
    if (request.findLoop && !analysis.hasOwnLoop && analysis.sound.isSilent()) {
        analysis.loop.reason = QStringLiteral("silent");
    } else if (request.findLoop && !analysis.hasOwnLoop) {
        const qint64 at = analysis.sound.start; // the loop must lie in what is kept
        analysis.loop = findLoop(samples.data() + at * channels, analysis.sound.end - at, channels, analysis.rate);
        if (analysis.loop.found)
            analysis.loop.start += at, analysis.loop.end += at;
    }
    analysis.ok = true;
    return analysis;
}

} // namespace tamo::wav
