// SPDX-License-Identifier: GPL-3.0-or-later
#include "wav/loopfinder.h"
#include "wav/sourceanalysis.h"

#include "wav/soundfile.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <numeric>
#include <tuple>
#include <vector>

namespace tamo::wav {

namespace {

using Complex = std::complex<double>;

constexpr double kBlockSeconds = 0.01;       // level resolution
constexpr double kSmoothSeconds = 0.25;      // levels averaged over this: tremolo and beats do not count
constexpr double kSteadyDb = 5.0;            // a held level changes by at most this over kSmoothSeconds
constexpr double kEdgeDb = 2.0;              // a held part's ends stay this close to its middle level
constexpr double kAudibleDb = 20.0;          // held no further than this below the loudest
constexpr double kCutWhileSoundingDb = 30.0; // ending this close to the loudest: cut while it sounds
constexpr double kCutLoudDb = 8.0;           // ending this close to the loudest: cut short, fading or not
constexpr double kSilentTailDb = -70.0;       // dBFS: a sample ending below this has died away
constexpr double kHeldDecayDbPerSecond = 6.0;  // a held note fades slower than this
constexpr double kCutDecayDbPerSecond = 40.0;  // the same for a sample cut while it sounds
constexpr double kNoiseFadeDbPerSecond = 3.0;  // a held noise (wind) fades slower than this...
constexpr double kNoiseBelowDb = 10.0;        // ...and holds this close to its loudest: else a ringing cymbal
constexpr double kGuardSeconds = 0.15;       // kept off a held part's blurred edges
constexpr double kSwellSeconds = 0.1;        // a noise rising for this long is a clip of strokes
constexpr double kMinHeldSeconds = 0.2;      // a held part shorter than this (after its guards) is none
constexpr qint64 kMinCutHeldFrames = 8;     // the same for a sample cut while it sounds (single cycles)
constexpr double kMaxAnalysedSeconds = 8.0;  // the part of a long held sound searched: bounds memory
constexpr double kLowestPitchHz = 40.0;
constexpr double kYinThreshold = 0.15;
constexpr double kMaxAperiodicity = 0.3;     // YIN's normalised difference at the period
constexpr double kMaxGlide = 0.04;           // period spread across a held part: 68 cents, vibrato included
constexpr double kMaxTimbreChangeDb = 12.0;   // spectral envelope change across a held part
constexpr double kMatchSeconds = 0.004;      // half the waveform compared around each end, at least
constexpr double kCleanError = 0.0005;       // residual energy of a seam without an audible click
constexpr double kNearCleanError = 0.005;    // a brief hold loops only with a seam this close to clean
constexpr double kEnsembleError = 0.05;      // no seam this good: an ensemble, looped long and crossfaded
constexpr double kLongHeldLoopSeconds = 0.3; // the shortest crossfaded loop of a long held part
constexpr double kRepeatError = 0.05;        // a short sample without a pitch found repeats closer than this
constexpr double kCycleError = 0.05;         // a seam of a sample of few cycles, from the few frames it has
constexpr qint64 kCycleSeamFrames = 4;       // compared on each side of it, at least
constexpr qint64 kMinCycleFrames = 4;
constexpr double kCyclesAtMost = 2.0;        // such a sample holds no more than this many of the lowest period
constexpr double kCycleShare = 0.4;          // such a loop spans this much of the sample at least: a fragment repeating at its end is no cycle
constexpr double kSeamTimbreDb = 2.0;        // spectral envelope difference of a seam's two sides
constexpr int kEnds = 8;                     // loop ends tried in the last part of the held sound
constexpr double kEndSpanSeconds = 0.3;
constexpr double kMaxCrossfadeSeconds = 0.2;
constexpr qint64 kReadChunk = 65536;

// ---- a radix-2 FFT; n a power of two. On the doubles of the complex values
// (std::complex is an array of two doubles): its operators, unoptimised and with
// their NaN checks, made the loop search of every mixed zone several times slower.

class Fft {
public:
    explicit Fft(size_t n) : m_n(n), m_cos(n / 2), m_sin(n / 2)
    {
        for (size_t k = 0; k < n / 2; ++k) {
            m_cos[k] = std::cos(2 * M_PI * double(k) / double(n));
            m_sin[k] = -std::sin(2 * M_PI * double(k) / double(n));
        }
    }
    size_t size() const { return m_n; }
    void transform(std::vector<Complex> &values, bool inverse) const
    {
        if (values.size() < m_n || m_n < 2)
            return;
        double *a = reinterpret_cast<double *>(values.data());
        const double *cosines = m_cos.data(), *sines = m_sin.data();
        for (size_t i = 1, j = 0; i < m_n; ++i) {
            size_t bit = m_n >> 1;
            for (; j & bit; bit >>= 1)
                j ^= bit;
            j ^= bit;
            if (i < j) {
                std::swap(a[2 * i], a[2 * j]);
                std::swap(a[2 * i + 1], a[2 * j + 1]);
            }
        }
        const double sign = inverse ? -1.0 : 1.0;
        for (size_t len = 2; len <= m_n; len <<= 1) {
            const size_t step = m_n / len, half = len / 2;
            for (size_t i = 0; i < m_n; i += len)
                for (size_t j = 0; j < half; ++j) {
                    const double wr = cosines[j * step], wi = sign * sines[j * step];
                    double *u = a + 2 * (i + j), *v = a + 2 * (i + j + half);
                    const double vr = v[0] * wr - v[1] * wi, vi = v[0] * wi + v[1] * wr;
                    v[0] = u[0] - vr, v[1] = u[1] - vi;
                    u[0] += vr, u[1] += vi;
                }
        }
        if (inverse)
            for (size_t i = 0; i < 2 * m_n; ++i)
                a[i] /= double(m_n);
    }

private:
    size_t m_n;
    std::vector<double> m_cos, m_sin;
};

size_t powerOfTwoAtLeast(qint64 n)
{
    size_t p = 1;
    while (qint64(p) < n)
        p <<= 1;
    return p;
}

// ---- levels, read once over the whole source

struct Levels {
    qint64 block = 1;
    std::vector<double> energy; // mean square of the mono mix per block, up to sounding
    qint64 sounding = 0;        // one past the last frame not zero: the zeros after it pad, they do not sound
    float peak = 0;
    bool finite = true;
};

Levels measureLevels(const FrameReader &read, qint64 frames, int channels, int rate)
{
    Levels l;
    l.block = std::max<qint64>(1, qint64(rate * kBlockSeconds));
    l.energy.assign(size_t((frames + l.block - 1) / l.block), 0.0);
    const qint64 chunk = std::max<qint64>(1, kReadChunk / l.block) * l.block;
    std::vector<float> buffer(size_t(chunk * channels));
    for (qint64 at = 0; at < frames; at += chunk) {
        const qint64 count = std::min(chunk, frames - at);
        const qint64 got = std::clamp<qint64>(read(at, count, buffer.data()), 0, count);
        std::fill(buffer.begin() + got * channels, buffer.begin() + count * channels, 0.0f);
        for (qint64 i = 0; i < count; ++i) {
            double mono = 0;
            for (int c = 0; c < channels; ++c) {
                const float v = buffer[size_t(i * channels + c)];
                l.finite = l.finite && std::isfinite(v);
                l.peak = std::max(l.peak, std::fabs(v));
                if (v != 0.0f)
                    l.sounding = at + i + 1;
                mono += v;
            }
            mono /= channels;
            l.energy[size_t((at + i) / l.block)] += mono * mono;
        }
    }
    l.energy.resize(size_t((l.sounding + l.block - 1) / l.block));
    for (size_t b = 0; b < l.energy.size(); ++b)
        l.energy[b] /= double(std::min(l.block, l.sounding - qint64(b) * l.block));
    return l;
}

double decibels(double energy) { return 10.0 * std::log10(energy + 1e-20); }

// ---- the held part

struct Held {
    qint64 start = 0, end = 0; // frames, guards taken off
    qint64 runStart = 0;       // where the steady level begins: frames before it are attack
    bool cutWhileSounding = false;
    double fade = 0;  // dB a second over the held part
    double below = 0; // its mean level under the loudest, dB
    QString reason; // why there is none
};

// The longest run of blocks whose smoothed level stays near the loudest and
// changes slowly, or the end of a sample cut while it still sounds. A run that
// fades steadily is a decay, not a held note.
Held findHeld(const Levels &levels, qint64 frames)
{
    const std::vector<double> &energy = levels.energy;
    const qint64 blocks = qint64(energy.size());
    const qint64 radius = std::max<qint64>(1, qint64(kSmoothSeconds / kBlockSeconds / 2));
    std::vector<double> sums(size_t(blocks) + 1, 0.0);
    for (qint64 b = 0; b < blocks; ++b)
        sums[size_t(b) + 1] = sums[size_t(b)] + energy[size_t(b)];
    std::vector<double> level(static_cast<size_t>(blocks));
    for (qint64 b = 0; b < blocks; ++b) {
        const qint64 from = std::max<qint64>(0, b - radius), to = std::min(blocks, b + radius + 1);
        level[size_t(b)] = decibels((sums[size_t(to)] - sums[size_t(from)]) / double(to - from));
    }
    const double top = *std::max_element(level.begin(), level.end());
    const qint64 span = 2 * radius;
    auto steady = [&](qint64 b) {
        return level[size_t(b)] >= top - kAudibleDb
            && std::fabs(level[size_t(b)] - level[size_t(std::min(b + span, blocks - 1))]) <= kSteadyDb;
    };
    // The fade over blocks [from, to) of levels, in dB a second, from a straight line through them.
    auto slope = [&](const std::vector<double> &of, qint64 from, qint64 to) {
        const double n = double(to - from);
        if (n < 3)
            return 0.0;
        double sx = 0, sy = 0, sxx = 0, sxy = 0;
        for (qint64 b = from; b < to; ++b) {
            const double x = double(b - from) * kBlockSeconds, y = of[size_t(b)];
            sx += x, sy += y, sxx += x * x, sxy += x * y;
        }
        const double d = n * sxx - sx * sx;
        return d > 0 ? (n * sxy - sx * sy) / d : 0.0;
    };
    const qint64 block = levels.block;
    const qint64 guard = qint64(kGuardSeconds / kBlockSeconds);
    Held held;
    // Cut while sounding, from the unsmoothed levels: a short drum is all one smoothing span.
    std::vector<double> raw(static_cast<size_t>(blocks));
    std::transform(energy.begin(), energy.end(), raw.begin(), decibels);
    const double rawTop = *std::max_element(raw.begin(), raw.end());
    const qint64 tail = std::min<qint64>(3, blocks);
    const double tailLevel = decibels(std::accumulate(energy.end() - tail, energy.end(), 0.0) / double(tail));
    // Cut while it sounds: not dying away at the end (a release fades fast to the last frame).
    const qint64 last = std::min<qint64>(blocks, std::max<qint64>(3, span));
    // Ending this close to its loudest, a sample was cut short whatever its fade (a pluck
    // whose tail a player loops).
    // Its last 10 ms (a short last block joined to the one before).
    const qint64 lastFrames = frames - (blocks - 1) * block;
    const double lastLevel = lastFrames >= block / 2 || blocks < 2
        ? raw.back()
        : decibels((energy[size_t(blocks - 1)] * double(lastFrames) + energy[size_t(blocks - 2)] * double(block)) / double(lastFrames + block));
    const bool loudTail = lastLevel >= rawTop - kCutLoudDb && lastLevel >= kSilentTailDb;
    if (tailLevel >= rawTop - kCutWhileSoundingDb && tailLevel >= kSilentTailDb
        && (loudTail || slope(raw, blocks - last, blocks) >= -kCutDecayDbPerSecond)) {
        // The attack ends where the level first comes near the loudest that follows and
        // no longer falls from an overshoot.
        std::vector<double> loudestAfter(level);
        for (qint64 i = blocks - 2; i >= 0; --i)
            loudestAfter[size_t(i)] = std::max(level[size_t(i)], loudestAfter[size_t(i) + 1]);
        qint64 b = 0;
        while (b < blocks - 1 && level[size_t(b)] < loudestAfter[size_t(b)] - 6)
            ++b;
        while (b < blocks - 1 && level[size_t(b)] - level[size_t(std::min(b + span, blocks - 1))] > kSteadyDb)
            ++b;
        held.cutWhileSounding = true;
        held.runStart = b * block;
        held.start = std::min(b + std::min(guard, (blocks - b) / 4), blocks - 1) * block;
        held.end = frames;
        held.fade = blocks - b >= 2 * span ? slope(level, b, blocks) : slope(raw, b, blocks);
        held.below = top - std::accumulate(level.begin() + b, level.end(), 0.0) / double(blocks - b);
        if (held.fade < -kCutDecayDbPerSecond && !loudTail)
            held.reason = QCoreApplication::translate("LoopFinder", "decays to silence, no held part") ;
        else if (held.end - held.start < kMinCutHeldFrames)
            held.reason = QCoreApplication::translate("LoopFinder", "too short");
        return held;
    }
    qint64 bestStart = 0, bestLength = 0;
    for (qint64 b = 0; b < blocks;) {
        qint64 e = b;
        while (e < blocks && steady(e))
            ++e;
        if (e - b > bestLength)
            bestStart = b, bestLength = e - b;
        b = e + 1;
    }
    // Its edges, where the level already leaves the run's middle, go: a release fades slowly at first.
    qint64 runEnd = bestStart + bestLength;
    if (bestLength > 0) {
        std::vector<double> sorted(level.begin() + bestStart, level.begin() + runEnd);
        std::nth_element(sorted.begin(), sorted.begin() + bestLength / 2, sorted.end());
        const double middle = sorted[size_t(bestLength / 2)];
        while (runEnd > bestStart + 1 && std::fabs(level[size_t(runEnd - 1)] - middle) > kEdgeDb)
            --runEnd;
        while (bestStart < runEnd - 1 && std::fabs(level[size_t(bestStart)] - middle) > kEdgeDb)
            ++bestStart;
    }
    held.runStart = bestStart * block;
    held.start = (bestStart + guard) * block;
    held.end = std::min(frames, (runEnd - guard) * block);
    if (bestLength == 0 || double(held.end - held.start) < kMinHeldSeconds * double(block) / kBlockSeconds)
        held.reason = QCoreApplication::translate("LoopFinder", "decays to silence, no held part") ;
    held.fade = slope(level, bestStart, runEnd);
    if (runEnd > bestStart)
        held.below = top - std::accumulate(level.begin() + bestStart, level.begin() + runEnd, 0.0) / double(runEnd - bestStart);
    if (!held.reason.isEmpty())
        return held;
    if (held.fade < -kHeldDecayDbPerSecond)
        held.reason = QCoreApplication::translate("LoopFinder", "decays to silence, no held part");
    return held;
}

// ---- pitch

struct Pitch {
    double period = 0;
    double aperiodicity = 1;
};

// YIN: the first dip of the cumulative mean normalised difference below the
// threshold (so an octave below is not taken), refined by a parabola.
Pitch estimatePeriod(const float *x, qint64 window, int maxLag)
{
    std::vector<double> d(size_t(maxLag) + 2, 0.0), cmnd(size_t(maxLag) + 2, 1.0);
    double running = 0;
    for (int tau = 1; tau <= maxLag + 1; ++tau) {
        double sum = 0;
        for (qint64 j = 0; j < window; ++j) {
            const double diff = double(x[j]) - x[j + tau];
            sum += diff * diff;
        }
        d[size_t(tau)] = sum;
        running += sum;
        cmnd[size_t(tau)] = running > 0 ? sum * tau / running : 1.0;
    }
    int best = 2;
    while (best <= maxLag && cmnd[size_t(best)] >= kYinThreshold)
        ++best;
    if (best > maxLag)
        best = int(std::min_element(cmnd.begin() + 2, cmnd.begin() + maxLag + 1) - cmnd.begin());
    while (best < maxLag && cmnd[size_t(best) + 1] < cmnd[size_t(best)])
        ++best;
    const double a = d[size_t(best) - 1], b = d[size_t(best)], c = d[size_t(best) + 1];
    const double bend = a - 2 * b + c;
    const double shift = bend > 0 ? std::clamp(0.5 * (a - c) / bend, -0.5, 0.5) : 0.0;
    return {best + shift, cmnd[size_t(best)]};
}

// ---- spectral envelope: energy in third-octave bands, relative to the total

std::vector<double> envelope(const float *x, qint64 length, int rate)
{
    size_t n = 2048;
    while (n > 64 && qint64(n) > length)
        n >>= 1;
    const Fft fft(n);
    std::vector<double> power(n / 2, 0.0);
    std::vector<Complex> a(n);
    const qint64 frames = std::max<qint64>(1, std::min<qint64>(8, length / qint64(n)));
    const qint64 hop = frames > 1 ? (length - qint64(n)) / (frames - 1) : 0;
    for (qint64 f = 0; f < frames; ++f) {
        for (size_t i = 0; i < n; ++i) {
            const double hann = 0.5 - 0.5 * std::cos(2 * M_PI * double(i) / double(n));
            a[i] = qint64(i) < length ? x[f * hop + qint64(i)] * hann : 0.0;
        }
        fft.transform(a, false);
        for (size_t k = 0; k < n / 2; ++k)
            power[k] += std::norm(a[k]);
    }
    std::vector<double> bands;
    double total = 0;
    const double binHz = double(rate) / double(n);
    for (double low = 60; low < std::min(12000.0, rate / 2.0); low *= std::pow(2.0, 1.0 / 3)) {
        const size_t from = size_t(low / binHz), to = std::min(n / 2, std::max(from + 1, size_t(low * std::pow(2.0, 1.0 / 3) / binHz)));
        double sum = 0;
        for (size_t k = from; k < to; ++k)
            sum += power[k];
        bands.push_back(sum);
        total += sum;
    }
    for (double &b : bands)
        b = decibels(b / (total + 1e-30));
    return bands;
}

// How far two envelopes differ in dB, over the bands within 40 dB of the strongest.
double envelopeDistance(const std::vector<double> &a, const std::vector<double> &b)
{
    const double top = std::max(*std::max_element(a.begin(), a.end()), *std::max_element(b.begin(), b.end()));
    double sum = 0, count = 0;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::max(a[i], b[i]) >= top - 40) {
            const double d = std::max(a[i], top - 50) - std::max(b[i], top - 50);
            sum += d * d, ++count;
        }
    return count > 0 ? std::sqrt(sum / count) : 0.0;
}

// ---- the search

struct Candidate {
    qint64 start = 0, end = 0;
    double length = 0; // fractional, from a parabola through the seam's residual
    double error = 1;  // residual energy at the seam over the energy compared: 0 identical, 1 unrelated
    double timbre = -1;
};

// For each trial end, the residual of the waveform around every earlier start
// against the waveform around that end (one FFT cross-correlation for two
// ends); the local minima are the candidate starts.
std::vector<Candidate> seamCandidates(const std::vector<float> &mono, qint64 origin, qint64 heldStart, qint64 heldEnd,
                                      qint64 half, qint64 minLength, int rate)
{
    const qint64 length = qint64(mono.size());
    const qint64 template_ = 2 * half;
    const Fft fft(powerOfTwoAtLeast(length + template_));
    const size_t n = fft.size();
    std::vector<Complex> signal(n, 0.0);
    for (qint64 i = 0; i < length; ++i)
        signal[size_t(i)] = mono[size_t(i)];
    fft.transform(signal, false);
    std::vector<double> squares(size_t(length) + 1, 0.0);
    for (qint64 i = 0; i < length; ++i)
        squares[size_t(i) + 1] = squares[size_t(i)] + double(mono[size_t(i)]) * mono[size_t(i)];
    auto energyAt = [&](qint64 from) { return squares[size_t(from + template_)] - squares[size_t(from)]; };

    const qint64 endSpan = std::min<qint64>(qint64(kEndSpanSeconds * rate), (heldEnd - heldStart) / 5);
    std::vector<qint64> ends;
    for (int j = 0; j < kEnds; ++j) {
        const qint64 e = heldEnd - endSpan * j / kEnds;
        if (ends.empty() || ends.back() != e)
            ends.push_back(e);
    }
    std::vector<Candidate> found;
    std::vector<Complex> work(n);
    for (size_t pair = 0; pair < ends.size(); pair += 2) {
        const qint64 e1 = ends[pair], e2 = pair + 1 < ends.size() ? ends[pair + 1] : ends[pair];
        std::fill(work.begin(), work.end(), Complex(0.0));
        for (qint64 j = 0; j < template_; ++j)
            work[size_t(j)] = Complex(mono[size_t(e1 - origin - half + j)], mono[size_t(e2 - origin - half + j)]);
        fft.transform(work, false);
        // Both templates at once: of z = work[k] = T1 + i T2 (the two real templates' spectra), conj(z[n - k])
        // = T1 - i T2: S conj(T1) + i S conj(T2), the two correlations as the real and
        // imaginary parts, is S z[n - k].
        std::vector<Complex> product(n);
        const double *w = reinterpret_cast<const double *>(work.data()), *x = reinterpret_cast<const double *>(signal.data());
        double *out = reinterpret_cast<double *>(product.data());
        for (size_t k = 0; k < n; ++k) {
            const size_t m = 2 * ((n - k) % n);
            out[2 * k] = x[2 * k] * w[m] - x[2 * k + 1] * w[m + 1];
            out[2 * k + 1] = x[2 * k] * w[m + 1] + x[2 * k + 1] * w[m];
        }
        fft.transform(product, true);
        for (int which = 0; which < (e2 != e1 ? 2 : 1); ++which) {
            const qint64 e = which == 0 ? e1 : e2;
            const double endEnergy = energyAt(e - origin - half);
            const qint64 first = std::max(heldStart, origin + half), last = e - minLength;
            if (last <= first + 2)
                continue;
            std::vector<double> error(size_t(last - first + 1));
            for (qint64 s = first; s <= last; ++s) {
                const qint64 at = s - origin - half;
                const double cross = which == 0 ? product[size_t(at)].real() : product[size_t(at)].imag();
                const double both = energyAt(at) + endEnergy;
                error[size_t(s - first)] = both > 0 ? std::clamp((both - 2 * cross) / both, 0.0, 2.0) : 1.0;
            }
            for (qint64 s = first + 1; s < last; ++s) {
                const double a = error[size_t(s - first - 1)], b = error[size_t(s - first)], c = error[size_t(s - first + 1)];
                if (b <= a && b < c) {
                    const double bend = a - 2 * b + c;
                    const double shift = bend > 0 ? std::clamp(0.5 * (a - c) / bend, -0.5, 0.5) : 0.0;
                    // Moving the start later by shift shortens the loop.
                    found.push_back({s, e, double(e - s) - shift, b});
                }
            }
        }
    }
    return found;
}

// A sample of a cycle or a few, cut short (a designer's single-cycle wave), has too
// few periods for the estimate: its loop ends in its last frames, spans a good part
// of it and is the longest whose end the frames on both sides come back to at its
// start (from lowest, the first frame at hand, to to, one past the last that sounds).
struct CycleSeam {
    qint64 start = 0, end = 0;
    double error = 2;
};

CycleSeam cycleSeam(const float *x, qint64 lowest, qint64 from, qint64 to)
{
    CycleSeam best;
    const qint64 lastEnds = std::max<qint64>(8, (to - from) / 8);
    const qint64 step = std::max<qint64>(1, lastEnds / 16);
    for (qint64 e = to; e >= std::max(from + kMinCycleFrames, to - lastEnds); e -= step)
        for (qint64 s = from; e - s >= std::max(kMinCycleFrames, qint64(kCycleShare * double(to - from))); ++s) {
            // Before the seam an eighth of the loop, as far as the sample reaches (a noise
            // matches a few frames by chance, not a longer stretch); after it the few frames
            // the sample holds past the end.
            const qint64 w = std::clamp<qint64>((e - s) / 8, kCycleSeamFrames, 8 * kCycleSeamFrames);
            double diff = 0, both = 0;
            int pairs = 0;
            for (qint64 j = 1; j <= w && s - j >= lowest; ++j, ++pairs) {
                const double a = x[e - j], b = x[s - j];
                diff += (a - b) * (a - b), both += a * a + b * b;
            }
            for (qint64 j = 0; j < kCycleSeamFrames && e + j < to; ++j, ++pairs) {
                const double a = x[e + j], b = x[s + j];
                diff += (a - b) * (a - b), both += a * a + b * b;
            }
            const double error = pairs >= 3 && both > 0 ? diff / both : 2.0;
            if (error <= kCycleError && (e - s > best.end - best.start || (e - s == best.end - best.start && error < best.error)))
                best = {s, e, error};
        }
    return best;
}

} // namespace

FoundLoop findLoop(const FrameReader &read, qint64 frames, int channels, int rate)
{
    FoundLoop loop;
    if (frames < 16 || channels < 1 || rate < 1000) {
        loop.reason = QCoreApplication::translate("LoopFinder", "too short");
        return loop;
    }
    const Levels levels = measureLevels(read, frames, channels, rate);
    if (!levels.finite) { // a float source may hold anything
        loop.reason = QCoreApplication::translate("LoopFinder", "samples not finite");
        return loop;
    }
    if (levels.peak < 1e-5f) {
        loop.reason = QStringLiteral("silent");
        return loop;
    }
    Held held = findHeld(levels, levels.sounding);
    if (!held.reason.isEmpty()) {
        loop.reason = held.reason;
        return loop;
    }
    // Only the last seconds of a long held part: memory stays bounded.
    held.start = std::max(held.start, held.end - qint64(kMaxAnalysedSeconds * rate));
    const int maxLag = int(std::min<qint64>(qint64(rate / kLowestPitchHz), (held.end - held.start) / 3));
    const qint64 margin = qint64(std::ceil(maxLag)) + qint64(kMatchSeconds * rate);
    const qint64 origin = std::max<qint64>(0, held.start - margin), stop = std::min(frames, held.end + margin);
    std::vector<float> mono(size_t(stop - origin), 0.0f);
    {
        std::vector<float> buffer(size_t(std::min<qint64>(kReadChunk, stop - origin) * channels));
        for (qint64 at = origin; at < stop; at += kReadChunk) {
            const qint64 count = std::min(kReadChunk, stop - at);
            const qint64 got = std::clamp<qint64>(read(at, count, buffer.data()), 0, count);
            for (qint64 i = 0; i < got; ++i) {
                float sum = 0;
                for (int c = 0; c < channels; ++c)
                    sum += buffer[size_t(i * channels + c)];
                mono[size_t(at - origin + i)] = sum / float(channels);
            }
        }
    }
    const float *x = mono.data() - origin; // x[frame] for frames origin..stop
    const qint64 heldLength = held.end - held.start;
    // A few cycles cut short loop where the frames around their end come back.
    const bool fewCycles = held.cutWhileSounding && held.end - std::max(origin, held.runStart) <= qint64(kCyclesAtMost * rate / kLowestPitchHz);
    const auto wholeCycles = [&](const QString &otherwise) {
        FoundLoop cycles;
        cycles.reason = otherwise;
        const CycleSeam seam = fewCycles ? cycleSeam(x, origin, std::max(origin, held.runStart), held.end) : CycleSeam();
        if (seam.error <= kCycleError)
            cycles.found = true, cycles.reason.clear(), cycles.start = seam.start, cycles.end = seam.end;
        return cycles;
    };
    if (maxLag < 4)
        return wholeCycles(QCoreApplication::translate("LoopFinder", "too short"));

    // A held note keeps its pitch and its timbre: compare the quarters of the held part.
    const Pitch pitch = estimatePeriod(x + held.start + (heldLength - 2 * maxLag - 1) / 2, std::min<qint64>(maxLag, heldLength - maxLag - 2), maxLag);
    const bool periodic = pitch.aperiodicity <= kMaxAperiodicity && pitch.period >= 2;
    // A short or fading sample cut while it sounds needs a pitch: a noise that fades
    // (a cymbal) decays to silence, a held one (wind) loops.
    // A tail that keeps fading far below its strike (a cymbal, a bell left ringing) decays
    // whatever its pitch: its level holds only for the few dB around any one moment.
    if ((held.fade < -kNoiseFadeDbPerSecond && held.below > kNoiseBelowDb)
        || (!periodic && (held.fade < -kNoiseFadeDbPerSecond || held.below > kNoiseBelowDb))) {
        loop.reason = QCoreApplication::translate("LoopFinder", "decays to silence, no held part");
        return loop;
    }
    // Nor does a noise that swells for a while (strokes coming one after another in a
    // rhythm clip); the level of a few cycles says nothing of it.
    if (!periodic && held.fade > kNoiseFadeDbPerSecond && heldLength >= qint64(kSwellSeconds * rate)) {
        loop.reason = QCoreApplication::translate("LoopFinder", "no steady sound");
        return loop;
    }
    // A short one without a pitch found (a single cycle or a few) loops only where its
    // waveform repeats closely.
    const bool mustRepeat = held.cutWhileSounding && !periodic && heldLength < qint64(kMinHeldSeconds * rate);
    if (heldLength >= 4 * qint64(2 * maxLag + 2)) {
        const qint64 quarter = heldLength / 4;
        std::vector<double> periods;
        std::vector<std::vector<double>> envelopes;
        for (int q = 0; q < 4; ++q) {
            const float *part = x + held.start + q * quarter;
            const Pitch p = estimatePeriod(part + (quarter - 2 * maxLag - 1) / 2, maxLag, maxLag);
            if (p.aperiodicity <= kMaxAperiodicity && p.period >= 2)
                periods.push_back(p.period);
            if (quarter >= 1024)
                envelopes.push_back(envelope(part, quarter, rate));
        }
        double timbre = 0;
        for (size_t i = 0; i < envelopes.size(); ++i)
            for (size_t j = i + 1; j < envelopes.size(); ++j)
                timbre = std::max(timbre, envelopeDistance(envelopes[i], envelopes[j]));
        double glide = 0;
        for (const double p : periods) { // an octave slip of the estimate is no glide
            const double ratio = p / periods.front();
            glide = std::max(glide, std::fabs(ratio / std::exp2(std::round(std::log2(ratio))) - 1));
        }
        if (timbre > kMaxTimbreChangeDb) {
            loop.reason = QCoreApplication::translate("LoopFinder", "no steady sound");
            return loop;
        }
        // Voiced and unvoiced quarters with a changing timbre: speech.
        if (glide > kMaxGlide || (periods.size() >= 1 && periods.size() <= 2 && timbre > kMaxTimbreChangeDb / 2)) {
            loop.reason = QCoreApplication::translate("LoopFinder", "no steady pitch");
            return loop;
        }
    }

    const qint64 half = std::clamp<qint64>(std::max<qint64>(qint64(kMatchSeconds * rate), periodic ? qint64(std::ceil(pitch.period)) : 0),
                                          2, std::max<qint64>(2, heldLength / (mustRepeat ? 16 : 8)));
    const qint64 heldEnd = std::min(held.end, stop - half);
    const qint64 minLength = std::max<qint64>({2 * half, periodic ? qint64(std::ceil(pitch.period)) : 0, heldLength / 10});
    std::vector<Candidate> candidates = seamCandidates(mono, origin, std::max(held.start, origin + half), heldEnd, half, minLength, rate);
    if (candidates.empty())
        return wholeCycles(QCoreApplication::translate("LoopFinder", "too short"));
    // The longest of the clean seams; failing any, the longest of those nearly as good
    // as the best. Among them the first whose two sides share their spectral envelope.
    const double best = std::min_element(candidates.begin(), candidates.end(), [](const Candidate &a, const Candidate &b) {
                            return a.error < b.error;
                        })->error;
    if (mustRepeat && best > kRepeatError)
        return wholeCycles(QCoreApplication::translate("LoopFinder", "no steady pitch"));
    const bool clean = best <= kCleanError;
    // A note that ends (it has a release) after a brief hold with no seam near clean: too
    // short a loop would buzz, a long one does not fit.
    if (best > kNearCleanError && !held.cutWhileSounding && heldLength < qint64(2 * kLongHeldLoopSeconds * rate)) {
        loop.reason = QCoreApplication::translate("LoopFinder", "too short");
        return loop;
    }
    if (!clean) {
        // No clean seam: a long span, crossfaded, keeps an ensemble's movement; a short
        // one would buzz. The best of those at least half the held part long, when one
        // matches fairly or none matches well.
        const qint64 longSpan = std::max(minLength, heldLength / 2);
        const double fair = std::max(kEnsembleError, best);
        // A held part of 0.6 s or more keeps at least 0.3 s.
        const qint64 shortest = std::any_of(candidates.begin(), candidates.end(), [&](const Candidate &c) { return c.end - c.start >= longSpan && c.error <= fair; })
            ? longSpan : heldLength >= qint64(2 * kLongHeldLoopSeconds * rate) ? qint64(kLongHeldLoopSeconds * rate) : 0;
        if (std::any_of(candidates.begin(), candidates.end(), [&](const Candidate &c) { return c.end - c.start >= shortest; }))
            std::erase_if(candidates, [&](const Candidate &c) { return c.end - c.start < shortest; });
    }
    const double floor = std::min_element(candidates.begin(), candidates.end(), [](const Candidate &a, const Candidate &b) {
                             return a.error < b.error;
                         })->error;
    const double limit = clean ? kCleanError : floor + std::max(0.02, 0.5 * floor);
    std::erase_if(candidates, [&](const Candidate &c) { return c.error > limit; });
    // Among the longest (within 15%), the closest match: the seam of a steady tone
    // then falls where whole periods come closest to whole frames.
    qint64 longest = 0;
    for (const Candidate &c : candidates)
        longest = std::max(longest, c.end - c.start);
    const auto rank = [&](const Candidate &c) { return std::pair(c.end - c.start < longest * 85 / 100, c.error); };
    std::sort(candidates.begin(), candidates.end(), [&](const Candidate &a, const Candidate &b) { return rank(a) < rank(b); });
    const qint64 side = std::min<qint64>(2048, std::max<qint64>(256, heldLength / 8));
    const Candidate *chosen = nullptr;
    double chosenCost = std::numeric_limits<double>::max();
    for (size_t i = 0, tried = 0; i < candidates.size() && tried < 24; ++i) {
        Candidate &c = candidates[i];
        ++tried;
        const qint64 before = std::min(side, std::min(c.start, c.end) - origin), after = std::min(side, stop - std::max(c.start, c.end));
        if (before + after < 64) {
            c.timbre = 0;
        } else {
            c.timbre = envelopeDistance(envelope(x + c.start - before, before + after, rate), envelope(x + c.end - before, before + after, rate));
        }
        if (c.timbre <= kSeamTimbreDb) {
            chosen = &c;
            break;
        }
        if (const double cost = c.error + c.timbre / 40; cost < chosenCost)
            chosenCost = cost, chosen = &c;
    }
    if (!chosen) {
        loop.reason = QCoreApplication::translate("LoopFinder", "too short");
        return loop;
    }
    loop.found = true;
    loop.start = chosen->start;
    loop.end = chosen->end;
    if (periodic) {
        const int k = std::max(1, int(std::lround(chosen->length / pitch.period)));
        loop.periods = k;
        loop.period = chosen->length / k;
    }
    if (chosen->error > kCleanError) {
        // Long enough to hide the seam, short of the loop, after the attack.
        const qint64 length = loop.end - loop.start;
        const qint64 wanted = std::min<qint64>(qint64(kMaxCrossfadeSeconds * rate), length / 3);
        const qint64 atLeast = std::min<qint64>(length / 3, std::max<qint64>(qint64(0.01 * rate), qint64(2 * pitch.period)));
        loop.crossfade = std::max<qint64>(1, std::min(std::max(wanted, atLeast), loop.start - held.runStart));
    }
    return loop;
}

FoundLoop findLoop(const float *samples, qint64 frames, int channels, int rate)
{
    const FrameReader read = [&](qint64 from, qint64 count, float *out) {
        const qint64 n = std::clamp<qint64>(std::min(count, frames - from), 0, count);
        std::copy(samples + from * channels, samples + (from + n) * channels, out);
        return n;
    };
    return findLoop(read, frames, channels, rate);
}

FoundLoop findLoopInFile(const QString &path)
{
    SoundFile file(path);
    FoundLoop loop;
    if (!file.isOpen()) {
        loop.reason = QStringLiteral("unreadable: ") + file.errorString();
        return loop;
    }
    const SF_INFO &info = file.info();
    if (const auto own = file.firstLoop()) {
        loop.found = loop.own = true;
        std::tie(loop.start, loop.end) = *own;
        return loop;
    }
    const FrameReader read = [&](qint64 from, qint64 count, float *out) -> qint64 {
        if (sf_seek(file.handle(), from, SEEK_SET) != from)
            return 0;
        return sf_readf_float(file.handle(), out, count);
    };
    return findLoop(read, info.frames, info.channels, info.samplerate);
}

void applyCrossfade(float *samples, qint64 frames, int channels, const FoundLoop &loop)
{
    const qint64 length = loop.end - loop.start;
    const qint64 fade = loop.end <= frames ? std::min({loop.crossfade, loop.start, length}) : 0;
    for (qint64 i = 0; i < fade; ++i) {
        // Equal power: the two sides of a seam are mostly unrelated.
        const double angle = M_PI / 2 * double(i + 1) / double(fade);
        const float out = float(std::cos(angle)), in = float(std::sin(angle));
        float *at = samples + (loop.end - fade + i) * channels;
        for (int c = 0; c < channels; ++c)
            at[c] = out * at[c] + in * at[c - length * channels];
    }
}

FoundLoop FoundLoop::resampled(double ratio, qint64 origin) const
{
    FoundLoop r = *this;
    r.start = std::llround(double(start - origin) * ratio);
    r.end = r.start + (periods > 0 ? std::llround(periods * period * ratio) : std::llround(double(end - start) * ratio));
    r.crossfade = std::llround(double(crossfade) * ratio);
    r.period = period * ratio;
    return r;
}

QString FoundLoop::description() const
{
    if (!found)
        return QCoreApplication::translate("LoopFinder", "no loop: ") + reason;
    QString text = QCoreApplication::translate("LoopFinder", "loop %1-%2").arg(start).arg(end);
    if (crossfade > 0)
        text += QCoreApplication::translate("LoopFinder", ", crossfade %1").arg(crossfade);
    return text;
}

} // namespace tamo::wav
