// SPDX-License-Identifier: GPL-3.0-or-later
#include "wav/pitchedpreview.h"

#include "wav/heldloop.h"
#include "wav/resample.h"
#include "wav/soundfile.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace tamo::wav {

Frames pitchedPreview(const QString &path, double semitones, double maxSeconds, QString *error)
{
    SoundFile file(path);
    if (!file.isOpen()) {
        if (error)
            *error = file.errorString();
        return {};
    }
    const int channels = file.info().channels;
    const int rate = file.info().samplerate;
    if (channels < 1 || rate < 1) {
        if (error)
            *error = QStringLiteral("no audio");
        return {};
    }
    // Reading the source as if it had been recorded at rate / factor and playing
    // it back at rate raises the pitch by the factor; only what the preview
    // plays is decoded.
    const double factor = std::pow(2.0, semitones / 12.0);
    const sf_count_t wantedFrames = sf_count_t(std::ceil(maxSeconds * rate * factor)) + 64;
    std::vector<float> in(size_t(std::min<sf_count_t>(wantedFrames, file.info().frames)) * size_t(channels));
    const sf_count_t read = sf_readf_float(file.handle(), in.data(), sf_count_t(in.size() / size_t(channels)));
    in.resize(size_t(std::max<sf_count_t>(read, 0)) * size_t(channels));
    // A held key sustains through the sample's loop, as the keyboard plays it.
    SF_INSTRUMENT instrument;
    if (file.instrument(&instrument) && instrument.loop_count > 0) {
        const qint64 start = instrument.loops[0].start, end = instrument.loops[0].end;
        if (start < end && end <= qint64(in.size()) / channels)
            in = heldFrames(in.data(), end, channels, start, end, wantedFrames);
    }
    const size_t inFrames = in.size() / size_t(channels);
    std::vector<float> out = resampleBy(in.data(), qint64(inFrames), channels, factor);
    out.resize(std::min(out.size() / size_t(channels), size_t(maxSeconds * rate)) * size_t(channels));
    return {std::move(out), channels, rate};
}

} // namespace tamo::wav
