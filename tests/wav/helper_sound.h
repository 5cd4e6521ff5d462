// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Sound files of any format libsndfile writes, a read-back of what a file holds,
// generated held notes and one-shots, and how a loop of one plays.

#include <QFile>
#include <QString>

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <random>
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

// Three harmonics; mono: a 50 ms attack to 0.7, held to 1.6 s, released by 2 s (or
// held to seconds - 0.4 and released by seconds);
// stereo: the attack overshoots to 1 and decays to 0.7 by 150 ms, with vibrato of
// +-5 cents at 5.5 Hz and white noise 60 dB down; a one-shot decays from a pluck.
inline std::vector<float> note(double hz, int rate, int channels, bool oneShot, double seconds = 2)
{
    const bool rich = channels == 2;
    std::vector<float> x(size_t(seconds * rate * channels));
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0.0, rich ? 0.0008 : 0.0);
    double phase = 0;
    for (size_t i = 0; i < x.size() / channels; ++i) {
        const double t = double(i) / rate;
        const double level = oneShot ? std::min(t / 0.005, 1.0) * std::exp(-t / 0.15)
            : t < 0.05 ? t / 0.05 * (rich ? 1 : 0.7) : t < 0.15 && rich ? 1 - 3 * (t - 0.05) : t < seconds - 0.4 ? 0.7 : 0.7 * (seconds - t) / 0.4;
        for (int c = 0; c < channels; ++c) {
            const double p = phase + c * 0.6;
            x[i * channels + c] = float(0.6 * level * (std::sin(p) + 0.3 * std::sin(2 * p) + 0.1 * std::sin(3 * p)) + noise(random));
        }
        phase += 2 * M_PI * hz * std::pow(2.0, rich ? std::sin(2 * M_PI * 5.5 * t) / 240 : 0.0) / rate;
    }
    return x;
}

// x (interleaved) as a WAV file, 24-bit unless told otherwise.
inline bool write24(const QString &path, const std::vector<float> &x, int rate, int channels, int format = SF_FORMAT_PCM_24,
                    int container = SF_FORMAT_WAV)
{
    SF_INFO info{0, rate, channels, container | format, 0, 0};
    SNDFILE *f = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    const bool ok = f && sf_writef_float(f, x.data(), sf_count_t(x.size()) / channels) > 0;
    return f && sf_close(f) == 0 && ok;
}

// The click: the played pair at the seam (the loop's last frame, then its first)
// against the natural pair before the first frame (after the last when the loop
// starts the file); the largest of the channels, in full-scale units.
inline double jump(const std::vector<float> &x, int channels, qint64 start, qint64 end)
{
    double worst = 0;
    for (int c = 0; c < channels; ++c) {
        auto at = [&](qint64 i) { return double(x[size_t(i * channels + c)]); };
        worst = std::max(worst, start > 0 ? std::fabs(at(end - 1) - at(start - 1)) : std::fabs(at(start) - at(end)));
    }
    return worst;
}

// The pitch of a channel played loop after loop for two seconds, from
// the timing of its rising zero crossings.
inline double loopedPitch(const std::vector<float> &x, int channels, int rate, qint64 start, qint64 end, int channel = 0)
{
    const auto played = [&](qint64 i) { return double(x[size_t((start + i % (end - start)) * channels + channel)]); };
    double first = -1, last = 0;
    int crossings = 0;
    for (qint64 i = 1, armed = 0; i < 2 * rate; ++i) {
        armed = armed || played(i) < -0.05;
        if (armed && played(i - 1) < 0 && played(i) >= 0) {
            last = double(i - 1) + played(i - 1) / (played(i - 1) - played(i));
            first = first < 0 ? last : first;
            ++crossings, armed = 0;
        }
    }
    return (crossings - 1) * rate / (last - first);
}

} // namespace tamo::test::sound
