// SPDX-License-Identifier: GPL-3.0-or-later
#include "wav/loopfinder.h"
#include "wav/sourceanalysis.h"

#include "wav/soundfile.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace tamo::wav {

namespace {

constexpr double kBlockSeconds = 0.005;      // level resolution
constexpr double kSteadySpanSeconds = 0.1;   // a held level changes by at most...
constexpr double kSteadyDb = 1.5;            // ...this much over that span (15 dB/s)
constexpr double kAttackDb = 3.0;            // the attack ends this close to the loudest
constexpr double kAudibleDb = 12.0;          // a sustain quieter than this below the loudest is a tail
constexpr double kCutWhileSoundingDb = 12.0; // ending this close to the loudest: cut while held
constexpr double kGuardSeconds = 0.05;       // kept off the edges of a sustain
constexpr double kMinSustainSeconds = 0.15;
constexpr double kLowestPitchHz = 40.0;
constexpr double kYinThreshold = 0.15;
constexpr double kMaxAperiodicity = 0.3;  // YIN's normalised difference at the period
constexpr double kMaxSpread = 0.008;      // of the period across the sustain: 14 cents
constexpr double kCleanMismatch = 0.002;  // about -54 dB of the peak: no audible click
constexpr int kMatchHalfWidth = 3;        // frames compared on each side of the loop point
constexpr double kRoundingSlack = 0.25;   // frames a loop length may differ from whole periods
constexpr double kLongestSearch = 0.25;   // loop lengths tried: the longest down to this share of it
constexpr qint64 kSearchBudget = 4000000; // loop points compared, bounding long sources

struct Sustain {
    qint64 start = 0, end = 0;
    bool cutWhileSounding = false; // made to be looped: no need to prove a steady pitch
    QString reason; // why there is none
};

// The held part: after the attack, the longest run whose level changes
// slowly, or the end of a sample cut while it still sounds.
Sustain findSustain(const std::vector<float> &mono, int rate)
{
    const qint64 frames = qint64(mono.size());
    const qint64 block = std::max<qint64>(1, qint64(rate * kBlockSeconds));
    const qint64 blocks = (frames + block - 1) / block;
    std::vector<double> energy(size_t(blocks), 0.0);
    for (qint64 i = 0; i < frames; ++i)
        energy[size_t(i / block)] += double(mono[size_t(i)]) * mono[size_t(i)];
    std::vector<double> level(static_cast<size_t>(blocks));
    for (qint64 b = 0; b < blocks; ++b) { // smoothed over four blocks, so low notes do not ripple
        const qint64 from = std::max<qint64>(0, b - 1), to = std::min(blocks, b + 3);
        double sum = 0;
        for (qint64 i = from; i < to; ++i)
            sum += energy[size_t(i)];
        level[size_t(b)] = 10.0 * std::log10(sum / double(std::min(frames, to * block) - from * block) + 1e-20);
    }
    const double top = *std::max_element(level.begin(), level.end());
    // The attack ends where the level first comes near the loudest; a flat sustain
    // may hold its loudest block anywhere.
    const qint64 attackEnd = qint64(std::find_if(level.begin(), level.end(), [&](double l) { return l >= top - kAttackDb; }) - level.begin());
    const qint64 span = std::max<qint64>(1, qint64(kSteadySpanSeconds / kBlockSeconds));
    auto steady = [&](qint64 b) {
        return level[size_t(b)] >= top - kAudibleDb
            && std::fabs(level[size_t(b)] - level[size_t(std::min(b + span, blocks - 1))]) <= kSteadyDb;
    };
    const qint64 guard = qint64(kGuardSeconds / kBlockSeconds);
    if (level.back() >= top - kCutWhileSoundingDb) {
        qint64 b = blocks - 1;
        while (b > attackEnd && steady(b - 1))
            --b;
        const qint64 start = std::min(b + std::min(guard, (blocks - b) / 4), blocks - 1);
        return {start * block, frames, true, {}};
    }
    qint64 bestStart = 0, bestLength = 0;
    for (qint64 b = attackEnd; b < blocks;) {
        qint64 e = b;
        while (e < blocks && steady(e))
            ++e;
        if (e - b > bestLength)
            bestStart = b, bestLength = e - b;
        b = e + 1;
    }
    if (double(bestLength) * kBlockSeconds < kMinSustainSeconds + 2 * kGuardSeconds)
        return {0, 0, false, QCoreApplication::translate("LoopFinder", "percussive decay, no sustain")};
    return {(bestStart + guard) * block, std::min(frames, (bestStart + bestLength - guard) * block), false, {}};
}

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

double difference(const float *x, qint64 lag, qint64 window)
{
    double sum = 0;
    for (qint64 j = 0; j < window; ++j) {
        const double diff = double(x[j]) - x[j + lag];
        sum += diff * diff;
    }
    return sum;
}

struct Lag {
    double lag = 0; // fractional, from a parabola through the best lag and its neighbours
    bool ok = false;
};

// The lag within centre +- radius at which window frames from x best match
// those that many frames later. Coarse steps first: a long window makes every
// lag costly.
Lag bestLag(const float *x, qint64 length, qint64 centre, qint64 radius, qint64 window)
{
    constexpr double kNone = std::numeric_limits<double>::max();
    auto sumAt = [&](qint64 lag) { return lag < 1 || lag + window > length ? kNone : difference(x, lag, window); };
    const qint64 step = std::max<qint64>(1, radius / 8);
    qint64 best = centre;
    double bestSum = sumAt(centre);
    for (qint64 lag = centre - radius; lag <= centre + radius; lag += step)
        if (const double sum = sumAt(lag); sum < bestSum)
            bestSum = sum, best = lag;
    for (qint64 lag = best - step + 1, around = best; lag < around + step; ++lag)
        if (const double sum = sumAt(lag); sum < bestSum)
            bestSum = sum, best = lag;
    if (bestSum == kNone)
        return {};
    const double a = sumAt(best - 1), c = sumAt(best + 1);
    const double bend = a < kNone && c < kNone ? a - 2 * bestSum + c : 0.0;
    return {double(best) + (bend > 0 ? std::clamp(0.5 * (a - c) / bend, -0.5, 0.5) : 0.0), true};
}

// The period measured over ever longer spans of whole periods (sixteen times longer
// each step), so that a non-integer period is known to a small fraction of a
// frame. The windows compared are long (a fifth of a second, the last one half
// the sustain), which averages out vibrato: a short one would follow its wander,
// several frames either way, and could slip by a whole period.
double refinePeriod(const float *x, qint64 length, double period, int rate)
{
    const qint64 longWindow = std::max<qint64>(1, length / 2);
    double k = 1;
    for (bool last = false; !last;) {
        qint64 window = std::max<qint64>(qint64(std::ceil(2 * period)), std::min<qint64>(rate / 5, length / 4));
        double next = k * 16;
        if ((next + 16) * period >= double(length - longWindow)) {
            window = longWindow;
            next = std::floor((double(length - window) - period / 2) / period);
            last = true;
        }
        if (next <= k)
            break;
        k = next;
        const Lag lag = bestLag(x, length, std::llround(k * period), std::max<qint64>(1, qint64(period / 3)), window);
        if (!lag.ok)
            break;
        period = lag.lag / k;
    }
    return period;
}

// How far the period measured over a few periods at the sustain's start, middle
// and end strays, relative to the period: a held note keeps it, speech glides.
double periodSpread(const float *x, qint64 length, double period)
{
    const qint64 window = std::max<qint64>(qint64(std::ceil(3 * period)), 16);
    const qint64 room = length - window - qint64(std::ceil(1.2 * period));
    if (room < 0)
        return 0;
    double low = period, high = period;
    for (const qint64 at : {qint64(0), room / 2, room}) {
        const Lag lag = bestLag(x + at, length - at, std::llround(period), std::max<qint64>(1, qint64(period / 8)), window);
        low = std::min(low, lag.ok ? lag.lag : 0.0), high = std::max(high, lag.ok ? lag.lag : 2 * period);
    }
    return (high - low) / period;
}

struct Candidate {
    qint64 start = 0, length = 0;
    int periods = 0;
    double cost = std::numeric_limits<double>::max(); // sum of squared differences
};

// The longest length of whole periods with a clean pair of loop points; failing
// that, the pair that matches best among the lengths tried. A pair matches when
// the frames around both points agree and so does the level over the period
// before them (rms), which a few frames at a zero crossing cannot tell.
Candidate searchLoop(const float *x, int channels, const std::vector<double> &rms, qint64 lo, qint64 hi,
                     double period, double cleanCost)
{
    const int kmax = int(std::floor(double(hi - lo) / period));
    const int kmin = std::max(1, int(kmax * kLongestSearch));
    const int width = kMatchHalfWidth;
    // With lengths to spare, only those close to whole periods: the slack left
    // covers an error in the measured period.
    const double slack = kmax - kmin >= 8 ? kRoundingSlack : 0.5;
    Candidate best;
    qint64 compared = 0;
    for (int k = kmax; k >= kmin && compared < kSearchBudget; --k) {
        const qint64 length = qint64(std::llround(k * period));
        if (std::fabs(double(length) - k * period) > slack)
            continue;
        Candidate here{0, length, k};
        for (qint64 s = lo; s + length <= hi; ++s) {
            const float *a = x + (s - width) * channels, *b = a + length * channels;
            const double levelStep = rms[size_t(s)] - rms[size_t(s + length)];
            double sum = levelStep * levelStep * double((2 * width + 1) * channels);
            for (int j = 0; j < (2 * width + 1) * channels && sum < here.cost; ++j) {
                const double diff = double(a[j]) - b[j];
                sum += diff * diff;
            }
            if (sum < here.cost)
                here.start = s, here.cost = sum;
            ++compared;
        }
        if (here.cost <= cleanCost)
            return here;
        if (here.cost < best.cost)
            best = here;
    }
    return best;
}

} // namespace

FoundLoop findLoop(const float *samples, qint64 frames, int channels, int rate)
{
    FoundLoop loop;
    if (frames < 16 || channels < 1 || rate < 1000) {
        loop.reason = QCoreApplication::translate("LoopFinder", "too short");
        return loop;
    }
    std::vector<float> mono(size_t(frames), 0.0f);
    float peak = 0;
    bool finite = true;
    for (qint64 i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            const float v = samples[i * channels + c];
            mono[size_t(i)] += v / float(channels);
            peak = std::max(peak, std::fabs(v));
            finite = finite && std::isfinite(v);
        }
    }
    if (!finite) { // a float source may hold anything
        loop.reason = QCoreApplication::translate("LoopFinder", "samples not finite");
        return loop;
    }
    if (peak < 1e-5f) {
        loop.reason = QStringLiteral("silent");
        return loop;
    }
    const Sustain sustain = findSustain(mono, rate);
    if (!sustain.reason.isEmpty()) {
        loop.reason = sustain.reason;
        return loop;
    }
    const qint64 length = sustain.end - sustain.start;
    const int maxLag = int(std::min<qint64>(qint64(rate / kLowestPitchHz), length / 3));
    if (maxLag < 4) {
        loop.reason = QCoreApplication::translate("LoopFinder", "too short");
        return loop;
    }
    const qint64 yinAt = sustain.start + (length - 2 * maxLag - 1) / 2;
    const Pitch pitch = estimatePeriod(mono.data() + yinAt, maxLag, maxLag);
    // A sample cut while it sounds is made to be looped; it is often too short for
    // a reliable pitch check, so only the loop points' match decides.
    if (pitch.aperiodicity <= kMaxAperiodicity || sustain.cutWhileSounding)
        loop.period = refinePeriod(mono.data() + sustain.start, length, pitch.period, rate);
    if (!(loop.period >= 2) // also when not a number
        || (!sustain.cutWhileSounding && (pitch.aperiodicity > kMaxAperiodicity || periodSpread(mono.data() + sustain.start, length, loop.period) > kMaxSpread))) {
        loop.reason = QCoreApplication::translate("LoopFinder", "no steady pitch");
        return loop;
    }
    const qint64 lo = std::max<qint64>(sustain.start, kMatchHalfWidth);
    const qint64 hi = std::min<qint64>(sustain.end, frames - kMatchHalfWidth - 1);
    const double compared = double((2 * kMatchHalfWidth + 1) * channels);
    const double cleanCost = kCleanMismatch * kCleanMismatch * double(peak) * peak * compared;
    if (double(hi - lo) < loop.period + 1) {
        loop.reason = QCoreApplication::translate("LoopFinder", "too short");
        return loop;
    }
    std::vector<double> squares(size_t(frames) + 1, 0.0), rms(size_t(frames), 0.0);
    for (qint64 i = 0; i < frames; ++i)
        squares[size_t(i) + 1] = squares[size_t(i)] + double(mono[size_t(i)]) * mono[size_t(i)];
    const qint64 span = std::max<qint64>(1, std::llround(loop.period));
    for (qint64 i = span; i < frames; ++i)
        rms[size_t(i)] = std::sqrt(std::max(0.0, squares[size_t(i)] - squares[size_t(i - span)]) / double(span));
    const Candidate best = searchLoop(samples, channels, rms, lo, hi, loop.period, cleanCost);
    if (best.length == 0) { // every length was out of reach
        loop.reason = QCoreApplication::translate("LoopFinder", "too short");
        return loop;
    }
    loop.found = true;
    loop.start = best.start;
    loop.end = best.start + best.length;
    loop.periods = best.periods;
    if (best.cost > cleanCost)
        loop.crossfade = std::min({qint64(std::max(2 * loop.period, rate * 0.01)), best.length / 2, best.start});
    return loop;
}

FoundLoop findLoopInFile(const QString &path)
{
    SoundFile file(path);
    if (!file.isOpen()) {
        FoundLoop loop;
        loop.reason = QStringLiteral("unreadable: ") + file.errorString();
        return loop;
    }
    const SF_INFO &info = file.info();
    const qint64 frames = std::min<qint64>(info.frames, kMostLoopSearchFrames); // memory stays bounded
    std::vector<float> samples(size_t(frames) * size_t(info.channels));
    const qint64 read = sf_readf_float(file.handle(), samples.data(), frames);
    return findLoop(samples.data(), std::max<qint64>(read, 0), info.channels, info.samplerate);
}

void applyCrossfade(float *samples, qint64 frames, int channels, const FoundLoop &loop)
{
    const qint64 length = loop.end - loop.start;
    const qint64 fade = loop.end <= frames ? std::min({loop.crossfade, loop.start, length}) : 0;
    for (qint64 i = 0; i < fade; ++i) {
        const float rise = float(i + 1) / float(fade);
        float *at = samples + (loop.end - fade + i) * channels;
        for (int c = 0; c < channels; ++c)
            at[c] = (1 - rise) * at[c] + rise * at[c - length * channels];
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
