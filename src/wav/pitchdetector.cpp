// SPDX-License-Identifier: GPL-3.0-or-later
#include "wav/pitchdetector.h"

#include "wav/soundfile.h"

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace tamo::wav {

namespace {

using Complex = std::complex<double>;

constexpr double kLowestHz = 26;     // below A0
constexpr double kHighestHz = 4500;  // above C8
constexpr double kThreshold = 0.1;   // YIN's absolute threshold
constexpr double kVoicedDip = 0.35;  // a frame dipping less is not periodic
constexpr double kConfidentDip = 0.2;
constexpr double kAgreeCents = 40;
constexpr int kMostFrames = 8;
constexpr int kFewestFrames = 3;

double noteOf(double hz) { return 69 + 12 * std::log2(hz / 440); }

std::size_t powerOfTwoAtLeast(std::size_t n)
{
    std::size_t size = 1;
    while (size < n)
        size <<= 1;
    return size;
}

// In place, radix 2; inverse without the 1/n.
void fft(std::vector<Complex> &a, bool inverse)
{
    const std::size_t n = a.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const double angle = 2 * std::numbers::pi / double(len) * (inverse ? 1 : -1);
        const Complex step(std::cos(angle), std::sin(angle));
        for (std::size_t i = 0; i < n; i += len) {
            Complex w(1);
            for (std::size_t k = 0; k < len / 2; ++k) {
                const Complex u = a[i + k], v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                w *= step;
            }
        }
    }
}

struct FrameReading {
    double period = 0; // in samples
    double dip = 1;    // d' at the chosen lag: 0 perfectly periodic, about 1 noise
};

// One rate's frame sizes and the buffers YIN reuses from frame to frame.
class Yin {
public:
    explicit Yin(int rate)
        : minLag(std::max(2, int(rate / kHighestHz))), maxLag(int(std::ceil(rate / kLowestHz))),
          window(std::max(maxLag, int(rate * 0.046))), length(window + maxLag),
          m_size(powerOfTwoAtLeast(std::size_t(length)))
    {
    }

    // x holds length samples.
    FrameReading measure(const float *x)
    {
        // a = the first window, b = the whole frame, packed as one complex FFT.
        m_z.assign(m_size, Complex());
        for (int j = 0; j < length; ++j)
            m_z[std::size_t(j)] = Complex(j < window ? x[j] : 0.0, x[j]);
        fft(m_z, false);
        m_product.resize(m_size);
        for (std::size_t k = 0; k < m_size; ++k) {
            const Complex zk = m_z[k], zn = std::conj(m_z[(m_size - k) % m_size]);
            const Complex a = (zk + zn) * 0.5, b = (zk - zn) * Complex(0, -0.5);
            m_product[k] = std::conj(a) * b;
        }
        fft(m_product, true);
        // d(tau) = sum a^2 + sum of the window at tau squared - 2 r(tau).
        m_prefix.assign(std::size_t(length) + 1, 0.0);
        for (int j = 0; j < length; ++j)
            m_prefix[std::size_t(j) + 1] = m_prefix[std::size_t(j)] + double(x[j]) * x[j];
        const double scale = 1.0 / double(m_size);
        m_d.assign(std::size_t(maxLag) + 2, 0.0);
        m_dn.assign(std::size_t(maxLag) + 2, 1.0);
        const double head = m_prefix[std::size_t(window)];
        double sum = 0;
        for (int tau = 1; tau <= maxLag; ++tau) {
            const double shifted = m_prefix[std::size_t(tau + window)] - m_prefix[std::size_t(tau)];
            const double d = std::max(0.0, head + shifted - 2 * m_product[std::size_t(tau)].real() * scale);
            m_d[std::size_t(tau)] = d;
            sum += d;
            m_dn[std::size_t(tau)] = sum > 0 ? d * tau / sum : 1.0;
        }
        int best = -1;
        for (int tau = minLag; tau <= maxLag; ++tau) {
            if (m_dn[std::size_t(tau)] < kThreshold) {
                while (tau + 1 <= maxLag && m_dn[std::size_t(tau) + 1] < m_dn[std::size_t(tau)])
                    ++tau;
                best = tau;
                break;
            }
        }
        if (best < 0)
            best = int(std::min_element(m_dn.begin() + minLag, m_dn.begin() + maxLag + 1) - m_dn.begin());
        FrameReading reading{double(best), m_dn[std::size_t(best)]};
        if (best > 1 && best < maxLag) {
            const double l = m_d[std::size_t(best) - 1], c = m_d[std::size_t(best)], r = m_d[std::size_t(best) + 1];
            const double bend = l - 2 * c + r;
            if (bend > 0)
                reading.period += std::clamp(0.5 * (l - r) / bend, -0.5, 0.5);
        }
        return reading;
    }

    const int minLag, maxLag, window, length;

private:
    std::size_t m_size;
    std::vector<Complex> m_z, m_product;
    std::vector<double> m_prefix, m_d, m_dn;
};

// The power spectrum of the held part's first samples, Hann windowed, to judge
// octaves by.
class Spectrum {
public:
    Spectrum(const float *x, qint64 frames, int rate) : m_rate(rate)
    {
        const std::size_t used = std::size_t(std::min<qint64>(frames, qint64(powerOfTwoAtLeast(std::size_t(rate) / 3))));
        std::vector<Complex> a(powerOfTwoAtLeast(used));
        for (std::size_t i = 0; i < used; ++i)
            a[i] = x[i] * (0.5 - 0.5 * std::cos(2 * std::numbers::pi * double(i) / double(used)));
        fft(a, false);
        m_power.resize(a.size() / 2);
        for (std::size_t i = 0; i < m_power.size(); ++i)
            m_power[i] = std::norm(a[i]);
        m_binHz = double(rate) / double(a.size());
    }

    // The strongest bin within 3% (at least a bin) of hz.
    double at(double hz) const
    {
        const double spread = std::max(hz * 0.03, m_binHz);
        if (hz + spread <= 0)
            return 0;
        const auto from = std::size_t(std::max(0.0, std::floor((hz - spread) / m_binHz)));
        const auto to = std::min(m_power.size(), std::size_t(std::ceil((hz + spread) / m_binHz)) + 1);
        double most = 0;
        for (std::size_t i = from; i < to; ++i)
            most = std::max(most, m_power[i]);
        return most;
    }
    // The frequency of the strongest bin within 3% of hz, between bins.
    double peakHz(double hz) const
    {
        const double spread = std::max(hz * 0.03, m_binHz);
        const auto from = std::size_t(std::max(1.0, std::floor((hz - spread) / m_binHz)));
        const auto to = std::min(m_power.size() - 1, std::size_t(std::ceil((hz + spread) / m_binHz)) + 1);
        std::size_t best = from;
        for (std::size_t i = from; i < to; ++i)
            best = m_power[i] > m_power[best] ? i : best;
        if (best < 1 || best + 1 >= m_power.size())
            return double(best) * m_binHz;
        const double l = std::log(m_power[best - 1] + 1e-30), c = std::log(m_power[best] + 1e-30), r = std::log(m_power[best + 1] + 1e-30);
        const double bend = l - 2 * c + r;
        return (double(best) + (bend < 0 ? std::clamp(0.5 * (l - r) / bend, -0.5, 0.5) : 0.0)) * m_binHz;
    }
    // Whether hz stands at least 6 dB above the spectrum a little either side.
    bool isPeak(double hz) const
    {
        const double away = std::max(hz * 0.1, 4 * m_binHz);
        return at(hz) > 4 * std::max(at(hz - away), at(hz + away));
    }
    // The power of multiples k * hz, k from first in steps of 2, below 0.45 * rate.
    double harmonics(double hz, int first) const
    {
        double sum = 0;
        for (int k = first; k <= 16 && k * hz < 0.45 * m_rate; k += 2)
            sum += at(k * hz);
        return sum;
    }

private:
    int m_rate;
    double m_binHz = 1;
    std::vector<double> m_power;
};

// An octave the spectrum contradicts: -12 when a real fundamental lies an octave
// below (YIN took the strong octave partial), +12 when there are no odd harmonics
// (YIN took twice the period), else 0.
int octaveCorrection(const Spectrum &spectrum, double hz)
{
    const double half = hz / 2;
    if (half >= kLowestHz) {
        const double odd = spectrum.harmonics(half, 1), even = spectrum.harmonics(half, 2);
        double strongest = 0;
        for (int k = 2; k <= 8; k += 2)
            strongest = std::max(strongest, spectrum.at(k * half));
        if (spectrum.isPeak(half) && spectrum.at(half) >= 0.01 * strongest && odd >= 0.02 * even)
            return -12;
    }
    if (2 * hz <= kHighestHz && spectrum.harmonics(hz, 1) < 0.003 * spectrum.harmonics(hz, 2))
        return 12;
    return 0;
}

// Whether the octave above hz is as likely: hz's own partial lies 30 dB or more
// below the strongest of its first 16, and the partials within 20 dB of that one
// sit on hz's harmonic series within 30 cents of each other (a bell's do not).
bool octaveOpen(const Spectrum &spectrum, double hz, int rate)
{
    double top = 0;
    for (int k = 1; k <= 16 && k * hz < 0.45 * rate; ++k)
        top = std::max(top, spectrum.at(k * hz));
    if (top <= 0 || spectrum.at(hz) >= top * 1e-3)
        return false;
    double low = 1e9, high = -1e9;
    for (int k = 2; k <= 8 && k * hz < 0.45 * rate; ++k) {
        if (spectrum.at(k * hz) < top * 0.01)
            continue;
        const double cents = 1200 * std::log2(spectrum.peakHz(k * hz) / (k * hz));
        low = std::min(low, cents), high = std::max(high, cents);
    }
    return high >= low && high - low < 30;
}

} // namespace

PitchReading detectPitch(const float *mono, qint64 frames, int rate)
{
    PitchReading result;
    if (rate < 8000 || !mono) {
        result.reason = QCoreApplication::translate("PitchDetector", "an unusable rate");
        return result;
    }
    Yin yin(rate);
    const qint64 spare = frames - yin.length;
    const qint64 shortestHop = yin.window / 2;
    if (spare < (kFewestFrames - 1) * shortestHop) {
        result.reason = QCoreApplication::translate("PitchDetector", "too short to hold a note");
        return result;
    }
    const int count = int(std::min<qint64>(kMostFrames, 1 + spare / shortestHop));
    const qint64 hop = spare / (count - 1);
    std::vector<FrameReading> readings;
    for (int i = 0; i < count; ++i)
        readings.push_back(yin.measure(mono + i * hop));

    std::vector<double> voiced, dips;
    for (const FrameReading &r : readings) {
        dips.push_back(r.dip);
        if (r.dip < kVoicedDip)
            voiced.push_back(1200 * std::log2(double(rate) / r.period)); // cents above 1 Hz
    }
    std::sort(dips.begin(), dips.end());
    const double medianDip = dips[dips.size() / 2];
    if (voiced.size() * 2 < readings.size()) {
        result.reason = QCoreApplication::translate("PitchDetector", "no periodic tone (noise, a drum or a breath)");
        return result;
    }
    std::vector<double> sorted = voiced;
    std::sort(sorted.begin(), sorted.end());
    const double median = sorted[sorted.size() / 2];
    double sum = 0;
    int agreeing = 0;
    for (const double cents : voiced) {
        if (std::abs(cents - median) <= kAgreeCents)
            sum += cents, ++agreeing;
    }
    const double hz = std::exp2(sum / agreeing / 1200);
    result.hz = hz;
    result.note = noteOf(hz);
    const double agreement = double(agreeing) / double(readings.size());
    result.confidence = std::clamp((1 - medianDip) * agreement, 0.0, 1.0);
    if (agreement < 0.75) {
        result.reason = QCoreApplication::translate("PitchDetector", "its pitch moves (a sweep, a voice or a drum)");
        return result;
    }
    if (medianDip > kConfidentDip) {
        result.reason = QCoreApplication::translate("PitchDetector", "too noisy to name a pitch");
        return result;
    }
    const Spectrum spectrum(mono, frames, rate);
    result.octaveGuard = octaveCorrection(spectrum, hz);
    if (result.octaveGuard != 0) {
        result.hz = hz * std::exp2(result.octaveGuard / 12.0);
        result.note = noteOf(result.hz);
    }
    result.octaveUpToo = octaveOpen(spectrum, result.hz, rate);
    result.confident = true;
    return result;
}

PitchReading detectPitchInFile(const QString &path, const PitchWindow &window)
{
    PitchReading result;
    SoundFile file(path);
    if (!file.isOpen()) {
        result.reason = QCoreApplication::translate("PitchDetector", "unreadable: %1").arg(file.errorString());
        return result;
    }
    const int rate = file.info().samplerate, channels = file.info().channels;
    const qint64 total = file.info().frames;
    if (rate < 8000 || channels < 1) {
        result.reason = QCoreApplication::translate("PitchDetector", "an unusable rate");
        return result;
    }
    const qint64 start = std::clamp<qint64>(window.start, 0, total);
    const qint64 end = window.end < 0 ? total : std::clamp(window.end, start, total);
    qint64 loopStart = window.loopStart, loopEnd = window.loopEnd;
    if (SF_INSTRUMENT instrument; loopEnd <= loopStart && window.ownLoop && file.instrument(&instrument) && instrument.loop_count > 0)
        loopStart = instrument.loops[0].start, loopEnd = instrument.loops[0].end;
    const Yin yin(rate);
    const qint64 needed = yin.length + (kFewestFrames - 1) * (yin.window / 2);
    const qint64 longest = rate; // one second is enough to judge a held note

    // Reads [from, to) as mono.
    std::vector<float> block;
    const auto readMono = [&](qint64 from, qint64 to, std::vector<float> &mono) {
        mono.assign(std::size_t(std::max<qint64>(0, to - from)), 0.0f);
        if (to <= from || sf_seek(file.handle(), from, SEEK_SET) < 0)
            return false;
        block.resize(std::size_t(4096 * channels));
        for (qint64 at = 0; at < to - from;) {
            const sf_count_t got = sf_readf_float(file.handle(), block.data(), std::min<qint64>(4096, to - from - at));
            if (got <= 0)
                return false;
            for (sf_count_t i = 0; i < got; ++i) {
                float s = 0;
                for (int c = 0; c < channels; ++c)
                    s += block[std::size_t(i * channels + c)];
                mono[std::size_t(at + i)] = s / float(channels);
            }
            at += got;
        }
        return true;
    };

    std::vector<float> held;
    if (loopStart >= start && loopEnd <= end && loopEnd - loopStart >= 16) {
        // The loop is what sustains: repeated, as a player plays it.
        const qint64 from = std::max(loopStart, loopEnd - longest);
        std::vector<float> loop;
        if (!readMono(from, loopEnd, loop)) {
            result.reason = QCoreApplication::translate("PitchDetector", "unreadable: %1").arg(file.errorString());
            return result;
        }
        held = loop;
        while (qint64(held.size()) < needed)
            held.insert(held.end(), loop.begin(), loop.end());
    } else {
        // The level in 10 ms blocks, one pass, to find the held part.
        const qint64 blockFrames = std::max(1, rate / 100);
        std::vector<double> level;
        std::vector<float> chunk;
        for (qint64 at = start; at < end; at += blockFrames * 64) {
            if (!readMono(at, std::min(end, at + blockFrames * 64), chunk)) {
                result.reason = QCoreApplication::translate("PitchDetector", "unreadable: %1").arg(file.errorString());
                return result;
            }
            for (std::size_t b = 0; b < chunk.size(); b += std::size_t(blockFrames)) {
                double power = 0;
                const std::size_t stop = std::min(chunk.size(), b + std::size_t(blockFrames));
                for (std::size_t i = b; i < stop; ++i)
                    power += double(chunk[i]) * chunk[i];
                level.push_back(power / double(stop - b));
            }
        }
        if (level.empty()) {
            result.reason = QCoreApplication::translate("PitchDetector", "too short to hold a note");
            return result;
        }
        const double peak = *std::max_element(level.begin(), level.end());
        // The attack's end: the first moment within 3 dB of the peak (a steady tone's
        // very loudest block may lie anywhere).
        const auto loudest = std::size_t(std::find_if(level.begin(), level.end(), [peak](double l) { return l >= 0.5 * peak; }) - level.begin());
        if (peak < 1e-8) {
            result.reason = QCoreApplication::translate("PitchDetector", "silent");
            return result;
        }
        std::size_t last = level.size() - 1;
        while (last > loudest && level[last] < peak * 1e-4)
            --last;
        // A hit dies away; a note that is held takes longer than 0.3 s to fall 40 dB.
        if (last - loudest < 30) {
            result.reason = QCoreApplication::translate("PitchDetector", "no held part: it dies away at once (a drum or a hit)");
            return result;
        }
        const qint64 soundEnd = start + qint64(last + 1) * blockFrames;
        qint64 from = start + qint64(loudest + 5) * blockFrames;
        const qint64 to = std::min({end, soundEnd, from + longest});
        if (to - from < needed)
            from = std::max(start + qint64(loudest) * blockFrames, to - needed);
        if (!readMono(from, to, held)) {
            result.reason = QCoreApplication::translate("PitchDetector", "unreadable: %1").arg(file.errorString());
            return result;
        }
    }
    return detectPitch(held.data(), qint64(held.size()), rate);
}

KeyAndFine keyAndFineFor(double note)
{
    const double cents = std::round(note * 100);
    if (std::abs(cents - 100 * std::round(note)) <= 5)
        return {std::clamp(int(std::round(note)), 0, 127), 0};
    const int key = int(std::ceil(cents / 100));
    if (key < 0 || key > 127)
        return {std::clamp(key, 0, 127), 0};
    return {key, int(key * 100 - cents)};
}

} // namespace tamo::wav
