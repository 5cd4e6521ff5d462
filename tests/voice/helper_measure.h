// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Measures of rendered sound, independent of the engine: YIN pitch, RMS level and a
// windowed spectrum.

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

namespace tamo::test::measure {

// Frames from..to (seconds) of one channel of interleaved stereo.
inline std::vector<double> window(const std::vector<float> &stereo, double rate, double from, double to, int channel = 0)
{
    std::vector<double> x;
    const auto frames = std::ptrdiff_t(stereo.size() / 2);
    for (auto i = std::ptrdiff_t(from * rate); i < std::min(frames, std::ptrdiff_t(to * rate)); ++i)
        x.push_back(stereo[std::size_t(2 * i + channel)]);
    return x;
}

// YIN: the cumulative-mean-normalised difference's first dip below 0.1, refined by a parabola.
inline double pitch(const std::vector<double> &x, double rate, double lowest = 40, double highest = 4000)
{
    const auto maxLag = std::size_t(rate / lowest), minLag = std::size_t(rate / highest);
    if (x.size() < 2 * maxLag + 2)
        return 0;
    const std::size_t n = x.size() - maxLag;
    std::vector<double> d(maxLag + 2, 0.0);
    double sum = 0;
    for (std::size_t lag = 1; lag <= maxLag + 1; ++lag) {
        double s = 0;
        for (std::size_t i = 0; i < n; ++i)
            s += (x[i] - x[i + lag]) * (x[i] - x[i + lag]);
        sum += s;
        d[lag] = sum > 0 ? s * double(lag) / sum : 1.0;
    }
    // The first dip below the threshold, else (no clear period) the deepest.
    std::size_t best = 0;
    for (std::size_t lag = std::max<std::size_t>(minLag, 2); lag <= maxLag; ++lag) {
        if (d[lag] < 0.1 && d[lag] <= d[lag + 1]) {
            best = lag;
            break;
        }
        if (best == 0 || d[lag] < d[best])
            best = lag;
    }
    if (best == 0)
        return 0;
    const double a = d[best - 1], b = d[best], c = d[best + 1];
    const double shift = (a - 2 * b + c) != 0 ? 0.5 * (a - c) / (a - 2 * b + c) : 0.0;
    return rate / (double(best) + shift);
}

inline double cents(double measured, double expected) { return 1200 * std::log2(measured / expected); }

inline double rmsDb(const std::vector<double> &x)
{
    double s = 0;
    for (const double v : x)
        s += v * v;
    return 10 * std::log10(s / double(std::max<std::size_t>(x.size(), 1)) + 1e-30);
}

// The magnitude spectrum (dB against a full-scale sine) of the first power of two
// of frames, Blackman-Harris windowed: a sine's leakage is 92 dB down 4 bins away.
inline std::vector<double> spectrumDb(std::vector<double> x)
{
    std::size_t n = 1;
    while (n * 2 <= x.size())
        n *= 2;
    std::vector<std::complex<double>> a(n);
    for (std::size_t i = 0; i < n; ++i) {
        const double t = 2 * std::numbers::pi * double(i) / double(n);
        a[i] = x[i] * (0.35875 - 0.48829 * std::cos(t) + 0.14128 * std::cos(2 * t) - 0.01168 * std::cos(3 * t));
    }
    for (std::size_t i = 1, j = 0; i < n; ++i) { // bit reversal, then butterflies
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const std::complex<double> w = std::polar(1.0, -2 * std::numbers::pi / double(len));
        for (std::size_t i = 0; i < n; i += len) {
            std::complex<double> wk = 1;
            for (std::size_t k = 0; k < len / 2; ++k, wk *= w) {
                const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * wk;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
    std::vector<double> db(n / 2);
    for (std::size_t i = 0; i < n / 2; ++i)
        db[i] = 20 * std::log10(std::abs(a[i]) / (0.35875 * double(n) / 2) + 1e-30);
    return db;
}

} // namespace tamo::test::measure
