// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cmath>

namespace tamo::voice {

// How the engine reads the record's sound bytes. The keyboard's own envelope times
// and velocity curve are not documented: this is a model, and every constant of it
// is here. The time scale is the one the SFZ import uses to turn seconds into steps,
// so that an imported instrument plays back with the times it came with.
struct VoiceModel {
    // ATTACK (shown 0..127), DECAY (0..99) and RELEASE (0..96): the shown step s of
    // top lasts knee * (exp(s / top * ln(1 + longest / knee)) - 1) seconds.
    double timeKnee = 0.01;
    double longestAttack = 10.0;
    double longestDecay = 20.0;
    double longestRelease = 20.0;
    // A release of 0 still fades this long, so that no note ends with a click.
    double shortestRelease = 0.005;
    // Attack rises linearly; decay and release fall exponentially, reaching this level
    // (relative to where they start) when their time is up.
    double fallDb = -60.0;
    // A voice quieter than this is over and its place is free.
    double silentDb = -96.0;
    // SUSTAIN 0..127 is a share of the full level, linearly.
    double sustainTop = 127.0;
    // Gains: velocity, VOLUME (per slot) and LEVEL (global) as (value / reference)^exponent.
    // Velocity squared is MIDI's usual 40 dB curve; VOLUME is read as the SFZ import
    // writes it (127 * 10^(dB / 40)); LEVEL 64, a new document's, is unity.
    double velocityExponent = 2.0;
    double volumeReference = 127.0;
    double volumeExponent = 2.0;
    double levelReference = 64.0;
    double levelExponent = 2.0;
    // FINE (stored 0..252) raises the slot by up to 99 cents; FINE TUNE (stored
    // 0..128, 64 the middle) moves the whole set by one cent a step.
    double fineCentsPerByte = 99.0 / 252.0;
    double fineTuneCentsPerStep = 1.0;
    // The pitch wheel's range, each way.
    double pitchBendSemitones = 2.0;
    // Voices sounding at once; past that the oldest released voice gives way, else the oldest.
    int voices = 32;
    // Headroom of the mix, so that a chord of loud samples does not clip at once.
    double mixGain = 0.5;

    // Seconds of a time step shown as `shown` of `top`, the longest being `longest`.
    double seconds(int shown, int top, double longest) const
    {
        if (shown <= 0 || top <= 0)
            return 0.0;
        return timeKnee * std::expm1(double(shown) / top * std::log1p(longest / timeKnee));
    }
};

inline constexpr VoiceModel kVoiceModel{};

} // namespace tamo::voice
