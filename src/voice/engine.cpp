// SPDX-License-Identifier: GPL-3.0-or-later
#include "voice/engine.h"

#include "voice/voicemodel.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tamo::voice {

namespace {

// The interpolator: a Kaiser-windowed sinc of kHalfTaps zero crossings each side,
// stretched when a note plays faster than the sample so that what would fold over
// is filtered out first; its images lie more than 70 dB down. Kernels are kept for
// cutoffs a quarter octave apart (the next one down is used), each at kPhases + 1
// fractional positions, read linearly between two.
constexpr int kHalfTaps = 8;
constexpr double kKaiserBeta = 8.0;
constexpr int kPhases = 256;
// Past two octaves up the kernel stops stretching: higher steps alias a little rather than cost more.
constexpr int kFamilies = 9;
constexpr int kMaxHalfTaps = 4 * kHalfTaps;
static_assert(kMaxHalfTaps + 2 <= kSamplePad);

double besselI0(double x)
{
    double sum = 1, term = 1;
    for (int k = 1; k < 40; ++k) {
        term *= (x / (2 * k)) * (x / (2 * k));
        sum += term;
    }
    return sum;
}

struct Kernel {
    double cutoff = 1;
    int half = kHalfTaps;
    // kPhases rows of 2 * half taps, then as many differences to the next row's.
    std::vector<float> weights;
};

const std::array<Kernel, kFamilies> &kernels()
{
    static const std::array<Kernel, kFamilies> all = [] {
        std::array<Kernel, kFamilies> k;
        for (int f = 0; f < kFamilies; ++f) {
            Kernel &kernel = k[std::size_t(f)];
            kernel.cutoff = std::exp2(-f / 4.0);
            kernel.half = 2 * int(std::ceil(kHalfTaps / kernel.cutoff / 2 - 1e-9)); // taps a multiple of 4
            const int taps = 2 * kernel.half;
            std::vector<float> rows(std::size_t((kPhases + 1) * taps));
            for (int p = 0; p <= kPhases; ++p) {
                for (int j = 0; j < taps; ++j) {
                    const double x = std::abs(double(j - kernel.half + 1) - double(p) / kPhases) * kernel.cutoff;
                    const double r = x / kHalfTaps;
                    const double window = r < 1 ? besselI0(kKaiserBeta * std::sqrt(1 - r * r)) / besselI0(kKaiserBeta) : 0.0;
                    const double sinc = x == 0 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
                    rows[std::size_t(p * taps + j)] = float(kernel.cutoff * sinc * window);
                }
            }
            kernel.weights.resize(std::size_t(2 * kPhases * taps));
            for (int p = 0; p < kPhases; ++p) {
                for (int j = 0; j < taps; ++j) {
                    const std::size_t at = std::size_t(p * taps + j);
                    kernel.weights[std::size_t(2 * p * taps + j)] = rows[at];
                    kernel.weights[std::size_t((2 * p + 1) * taps + j)] = rows[at + std::size_t(taps)] - rows[at];
                }
            }
        }
        return k;
    }();
    return all;
}

int familyOf(double step) { return std::clamp(int(std::ceil(4 * std::log2(step) - 1e-9)), 0, kFamilies - 1); }

double dbToGain(double db) { return std::pow(10.0, db / 20.0); }

} // namespace

Engine::Engine(std::shared_ptr<const VoiceSet> set, double rate)
    : m_set(std::move(set)), m_rate(rate > 0 ? rate : 44100.0), m_voices(std::size_t(std::max(1, kVoiceModel.voices)))
{
    kernels();
}

void Engine::noteOn(int channel, int key, int velocity)
{
    channel &= 15;
    if (velocity <= 0) {
        noteOff(channel, key);
        return;
    }
    const Zone *zone = m_set ? m_set->zoneFor(key) : nullptr;
    if (!zone || !zone->sample || zone->sample->frames == 0)
        return;
    // The same key again: the old note lets go and rings out on its own voice.
    for (Voice &v : m_voices) {
        if (v.stage != Stage::Off && v.channel == channel && v.key == key && (v.held || v.sustained))
            release(v);
    }
    const VoiceModel &m = kVoiceModel;
    Voice &v = freeVoice();
    v = Voice{};
    v.channel = channel;
    v.key = key;
    v.held = true;
    v.age = ++m_notes;
    v.zone = zone;
    const double semitones = (zone->fixedPitch ? 0.0 : key - zone->rootKey) + zone->fineCents / 100.0 + m_set->tuneSemitones;
    v.step = std::exp2(semitones / 12.0) * zone->sample->rate / m_rate;
    v.gain = zone->gain * std::pow(std::clamp(velocity, 1, 127) / 127.0, m.velocityExponent) * m.mixGain;
    const double fall = std::log(dbToGain(m.fallDb));
    v.decayFactor = zone->decay > 0 ? std::exp(fall / (zone->decay * m_rate)) : 0.0;
    v.releaseFactor = std::exp(fall / (std::max(zone->release, m.shortestRelease) * m_rate));
    if (zone->attack > 0) {
        v.stage = Stage::Attack;
        v.attackStep = 1.0 / (zone->attack * m_rate);
    } else {
        v.stage = Stage::Decay;
        v.level = 1.0;
    }
}

void Engine::noteOff(int channel, int key)
{
    channel &= 15;
    for (Voice &v : m_voices) {
        if (v.stage == Stage::Off || !v.held || v.channel != channel || v.key != key)
            continue;
        v.held = false;
        if (m_pedal[std::size_t(channel)])
            v.sustained = true;
        else
            release(v);
    }
}

void Engine::controlChange(int channel, int controller, int value)
{
    channel &= 15;
    if (controller == 64) {
        m_pedal[std::size_t(channel)] = value >= 64;
        if (value < 64) {
            for (Voice &v : m_voices) {
                if (v.stage != Stage::Off && v.channel == channel && v.sustained)
                    release(v);
            }
        }
    } else if (controller == 120) {
        for (Voice &v : m_voices) {
            if (v.channel == channel)
                v.stage = Stage::Off;
        }
    } else if (controller == 123) {
        for (Voice &v : m_voices) {
            if (v.stage != Stage::Off && v.channel == channel && (v.held || v.sustained))
                release(v);
        }
    }
}

void Engine::pitchBend(int channel, int value)
{
    m_bend[std::size_t(channel & 15)] = (std::clamp(value, 0, 16383) - 8192) / 8192.0 * kVoiceModel.pitchBendSemitones;
}

void Engine::reset()
{
    for (Voice &v : m_voices)
        v.stage = Stage::Off;
    m_pedal.fill(false);
    m_bend.fill(0.0);
}

int Engine::soundingVoices() const
{
    return int(std::count_if(m_voices.begin(), m_voices.end(), [](const Voice &v) { return v.stage != Stage::Off; }));
}

void Engine::release(Voice &voice) const
{
    voice.held = false;
    voice.sustained = false;
    if (voice.stage != Stage::Off)
        voice.stage = Stage::Release;
}

Engine::Voice &Engine::freeVoice()
{
    Voice *oldest = nullptr, *oldestReleased = nullptr;
    for (Voice &v : m_voices) {
        if (v.stage == Stage::Off)
            return v;
        if (!oldest || v.age < oldest->age)
            oldest = &v;
        if (v.stage == Stage::Release && (!oldestReleased || v.age < oldestReleased->age))
            oldestReleased = &v;
    }
    return oldestReleased ? *oldestReleased : *oldest;
}

void Engine::render(float *stereo, int frames)
{
    std::fill(stereo, stereo + 2 * std::size_t(std::max(frames, 0)), 0.0f);
    for (Voice &v : m_voices) {
        if (v.stage != Stage::Off)
            renderVoice(v, stereo, frames);
    }
}

template <int Taps, bool Stereo>
void Engine::renderVoiceWith(Voice &v, float *stereo, int frames)
{
    const SampleData &s = *v.zone->sample;
    const double step = v.step * std::exp2(m_bend[std::size_t(v.channel)] / 12.0);
    constexpr int half = Taps / 2;
    const float *weights = kernels()[std::size_t(familyOf(step))].weights.data();
    const float *left = s.data[0].data();
    const float *right = Stereo ? s.data[1].data() : left;
    const double silent = dbToGain(kVoiceModel.silentDb);
    const double sustain = v.zone->sustain;
    const double loopLength = double(s.loopEnd - s.loopStart);
    for (int f = 0; f < frames; ++f) {
        switch (v.stage) {
        case Stage::Attack:
            v.level += v.attackStep;
            if (v.level >= 1.0) {
                v.level = 1.0;
                v.stage = Stage::Decay;
            }
            break;
        case Stage::Decay:
            v.level = sustain + (v.level - sustain) * v.decayFactor;
            if (std::abs(v.level - sustain) < 1e-6) {
                v.level = sustain;
                v.stage = Stage::Sustain;
            }
            break;
        case Stage::Sustain: break;
        case Stage::Release: v.level *= v.releaseFactor; break;
        case Stage::Off: return;
        }
        if ((v.stage == Stage::Release || v.stage == Stage::Sustain) && v.level < silent) {
            v.stage = Stage::Off;
            return;
        }
        const double whole = std::floor(v.position);
        const double phase = (v.position - whole) * kPhases;
        const int p = std::min(int(phase), kPhases - 1);
        const float t = float(phase - p);
        // Taps at frames whole - half + 1 .. whole + half.
        const float *a = weights + std::ptrdiff_t(2 * p) * Taps;
        const float *d = a + Taps;
        const std::size_t first = std::size_t(qint64(whole) + kSamplePad - half + 1);
        const float *x = left + first;
        const float *y = right + first;
        float l = 0, r = 0;
        for (int j = 0; j < Taps; ++j) {
            const float w = a[j] + t * d[j];
            l += w * x[j];
            if constexpr (Stereo)
                r += w * y[j];
        }
        if constexpr (!Stereo)
            r = l;
        const float gain = float(v.gain * v.level);
        stereo[2 * f] += l * gain;
        stereo[2 * f + 1] += r * gain;
        v.position += step;
        if (s.looped) {
            if (v.position >= double(s.loopEnd))
                v.position = double(s.loopStart) + std::fmod(v.position - double(s.loopStart), loopLength);
        } else if (v.position >= double(s.frames)) {
            v.stage = Stage::Off;
            return;
        }
    }
}

void Engine::renderVoice(Voice &v, float *stereo, int frames)
{
    const double step = v.step * std::exp2(m_bend[std::size_t(v.channel)] / 12.0);
    const bool two = v.zone->sample->channels > 1;
    switch (kernels()[std::size_t(familyOf(step))].half * 2) {
    case 16: return two ? renderVoiceWith<16, true>(v, stereo, frames) : renderVoiceWith<16, false>(v, stereo, frames);
    case 20: return two ? renderVoiceWith<20, true>(v, stereo, frames) : renderVoiceWith<20, false>(v, stereo, frames);
    case 24: return two ? renderVoiceWith<24, true>(v, stereo, frames) : renderVoiceWith<24, false>(v, stereo, frames);
    case 28: return two ? renderVoiceWith<28, true>(v, stereo, frames) : renderVoiceWith<28, false>(v, stereo, frames);
    case 32: return two ? renderVoiceWith<32, true>(v, stereo, frames) : renderVoiceWith<32, false>(v, stereo, frames);
    case 40: return two ? renderVoiceWith<40, true>(v, stereo, frames) : renderVoiceWith<40, false>(v, stereo, frames);
    case 48: return two ? renderVoiceWith<48, true>(v, stereo, frames) : renderVoiceWith<48, false>(v, stereo, frames);
    case 56: return two ? renderVoiceWith<56, true>(v, stereo, frames) : renderVoiceWith<56, false>(v, stereo, frames);
    default: return two ? renderVoiceWith<64, true>(v, stereo, frames) : renderVoiceWith<64, false>(v, stereo, frames);
    }
}

} // namespace tamo::voice
