// SPDX-License-Identifier: GPL-3.0-or-later
#include "voice/engine.h"

#include "voice/voicemodel.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tamo::voice {

namespace {

// The interpolator: a Kaiser-windowed sinc of kHalfTaps zero crossings each side,
// stretched by the step when a note plays faster than the sample (so that what
// would fold over is filtered out first). Its images lie more than 70 dB down.
constexpr int kHalfTaps = 8;
constexpr double kKaiserBeta = 8.0;
constexpr int kTableSteps = 1024; // table points per zero crossing, read linearly between
// Stretching stops at this many taps each side: steps above 8 alias a little rather than cost more.
constexpr int kMaxHalfTaps = kHalfTaps * 8;
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

const std::vector<float> &kernelTable()
{
    static const std::vector<float> table = [] {
        std::vector<float> t(kHalfTaps * kTableSteps + 2, 0.0f);
        for (int i = 0; i <= kHalfTaps * kTableSteps; ++i) {
            const double x = double(i) / kTableSteps;
            const double r = x / kHalfTaps;
            const double window = besselI0(kKaiserBeta * std::sqrt(std::max(0.0, 1 - r * r))) / besselI0(kKaiserBeta);
            const double sinc = i == 0 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
            t[std::size_t(i)] = float(sinc * window);
        }
        return t;
    }();
    return table;
}

double dbToGain(double db) { return std::pow(10.0, db / 20.0); }

} // namespace

Engine::Engine(std::shared_ptr<const VoiceSet> set, double rate)
    : m_set(std::move(set)), m_rate(rate > 0 ? rate : 44100.0), m_voices(std::size_t(std::max(1, kVoiceModel.voices))),
      m_weights(2 * kMaxHalfTaps + 2)
{
    kernelTable();
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

void Engine::renderVoice(Voice &v, float *stereo, int frames)
{
    const SampleData &s = *v.zone->sample;
    const std::vector<float> &table = kernelTable();
    const double step = v.step * std::exp2(m_bend[std::size_t(v.channel)] / 12.0);
    const double cutoff = std::max(1.0 / 8.0, std::min(1.0, 1.0 / step));
    const int half = std::min(kMaxHalfTaps, int(std::ceil(kHalfTaps / cutoff)));
    const double scale = cutoff * kTableSteps;
    const float *left = s.data[0].data();
    const float *right = s.channels > 1 ? s.data[1].data() : left;
    const double silent = dbToGain(kVoiceModel.silentDb);
    const double sustain = v.zone->sustain;
    const double loopLength = double(s.loopEnd - s.loopStart);
    float *w = m_weights.data();
    const int taps = 2 * half;
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
        const double frac = v.position - whole;
        // Taps at frames whole - half + 1 .. whole + half, weighted by their distance.
        for (int j = 0; j < taps; ++j) {
            const double u = std::abs(double(j - half + 1) - frac) * scale;
            const auto i = std::size_t(u);
            w[j] = i + 1 < table.size() ? table[i] + float(u - double(i)) * (table[i + 1] - table[i]) : 0.0f;
        }
        const std::size_t first = std::size_t(qint64(whole) + kSamplePad - half + 1);
        float l = 0, r = 0;
        for (int j = 0; j < taps; ++j) {
            l += w[j] * left[first + std::size_t(j)];
            r += w[j] * right[first + std::size_t(j)];
        }
        const float gain = float(v.gain * v.level * cutoff);
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

} // namespace tamo::voice
