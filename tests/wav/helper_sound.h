#pragma once
// Sound files of any format libsndfile writes, and a read-back of what a file holds.

#include <QFile>
#include <QString>

#include <sndfile.h>

#include <cmath>
#include <optional>
#include <vector>

namespace tamo::test::sound {

struct Loop {
    quint32 start = 0, end = 0; // end one past the last frame, as libsndfile counts
};

// One smooth half-sine rise and fall over the whole file, peak 0.5 in the middle
// (0.4 on a second channel): smooth enough that resampling keeps its peak. A
// sampler chunk is written when a root is given.
inline bool write(const QString &path, int format, int rate, int channels, qint64 frames,
                  std::optional<int> root = std::nullopt, std::optional<Loop> loop = std::nullopt)
{
    SF_INFO info{0, rate, channels, format, 0, 0};
    SNDFILE *f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!f)
        return false;
    if (root) {
        SF_INSTRUMENT instrument{};
        instrument.basenote = char(*root);
        instrument.velocity_hi = instrument.key_hi = 127;
        if (loop) {
            instrument.loop_count = 1;
            instrument.loops[0] = {SF_LOOP_FORWARD, loop->start, loop->end, 0};
        }
        sf_command(f, SFC_SET_INSTRUMENT, &instrument, sizeof instrument);
    }
    std::vector<float> samples(std::size_t(frames * channels));
    for (qint64 i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            samples[std::size_t(i * channels + c)] = (0.5f - 0.1f * float(c)) * float(std::sin(M_PI * double(i) / double(frames - 1)));
    const bool ok = sf_writef_float(f, samples.data(), frames) == frames;
    return sf_close(f) == 0 && ok;
}

struct Contents {
    bool ok = false;
    SF_INFO info{};
    float peak = 0;
    std::vector<float> samples;
    std::optional<SF_INSTRUMENT> instrument;
};

inline Contents read(const QString &path)
{
    Contents c;
    SNDFILE *f = sf_open(QFile::encodeName(path).constData(), SFM_READ, &c.info);
    if (!f)
        return c;
    c.samples.resize(std::size_t(c.info.frames * c.info.channels));
    c.ok = sf_readf_float(f, c.samples.data(), c.info.frames) == c.info.frames;
    for (const float s : c.samples)
        c.peak = std::max(c.peak, std::fabs(s));
    SF_INSTRUMENT instrument{};
    if (sf_command(f, SFC_GET_INSTRUMENT, &instrument, sizeof instrument) == SF_TRUE)
        c.instrument = instrument;
    sf_close(f);
    return c;
}

} // namespace tamo::test::sound
