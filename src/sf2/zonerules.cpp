// SPDX-License-Identifier: GPL-3.0-or-later
#include "sf2/zonerules.h"

#include <cmath>

namespace tamo::sf2 {

namespace {

// The defaults of the generators read, and the range players clamp sums into.
// A sum of attenuation below 0 plays louder in the reference player, until a note's whole
// attenuation (its velocity's included) reaches 0: at velocity 100, about -215 cB.
constexpr std::array kRanges{
    Range{Generator::Attenuation, kLoudestAttenuation, 1440, 0},
    Range{Generator::CoarseTune, -120, 120, 0},
    Range{Generator::FineTune, -99, 99, 0},
    Range{Generator::Pan, -500, 500, 0},
    Range{Generator::ScaleTuning, 0, 1200, 100},
    Range{Generator::VolEnvDelay, kShortestTime, 5000, kShortestTime},
    Range{Generator::VolEnvAttack, kShortestTime, 8000, kShortestTime},
    Range{Generator::VolEnvHold, kShortestTime, 5000, kShortestTime},
    Range{Generator::VolEnvDecay, kShortestTime, 8000, kShortestTime},
    Range{Generator::VolEnvSustain, 0, 1440, 0},
    Range{Generator::VolEnvRelease, kShortestTime, 8000, kShortestTime},
    Range{Generator::FilterCutoff, 1500, 13500, 13500},
    Range{Generator::FixedKey, kUnset, 127, kUnset},
    Range{Generator::FixedVelocity, kUnset, 127, kUnset},
    Range{Generator::RootKey, kUnset, 127, kUnset},
    Range{Generator::ModLfoDelay, kShortestTime, 5000, kShortestTime},
    Range{Generator::VibLfoDelay, kShortestTime, 5000, kShortestTime},
    Range{Generator::ModEnvDelay, kShortestTime, 5000, kShortestTime},
    Range{Generator::ModEnvAttack, kShortestTime, 8000, kShortestTime},
    Range{Generator::ModEnvHold, kShortestTime, 5000, kShortestTime},
    Range{Generator::ModEnvDecay, kShortestTime, 8000, kShortestTime},
    Range{Generator::ModEnvRelease, kShortestTime, 8000, kShortestTime},
};

} // namespace

const Range *rangeOf(Generator g)
{
    for (const Range &range : kRanges) {
        if (range.generator == g)
            return &range;
    }
    return nullptr;
}

// The level in dB a zone plays at in the reference player, as the keyboard's VOLUME
// gets it. Initial attenuation counts 0.04 dB a centibel, not 0.1: the player keeps the
// scale of the hardware the format came from, and the fonts are voiced by ear on it.
// A mono zone is panned with constant power, half its power on each side, where the
// keyboard plays a mono sample full on both: 3 dB less. Stereo, and a left and right
// pair (which becomes one stereo sample, or a mix with each layer at its pan), put
// each side on its own.
double zoneLevelDb(int attenuation, bool mono)
{
    return -kAttenuationShare / 10 * attenuation + (mono ? -10 * std::log10(2.0) : 0.0);
}

double seconds(int timecents)
{
    return timecents <= kShortestTime ? 0.0 : std::pow(2.0, timecents / 1200.0);
}

// The volume envelope as the reference player runs it: decay and release fall 96 dB
// in their time, linearly in dB, and sustain counts 0.096 dB a centibel; an SFZ time
// as the import reads it (the keyboard's) is a fall of 60 dB, the sustain a share of
// the amplitude approached from above. The decay is scaled so that its fall starts at
// the same rate in dB; the keyboard has no hold, so the hold's energy goes into a
// longer decay (a fall of 60 dB in d seconds holds the energy of d / (6 ln 10) s at full).
constexpr double kEnvelopeFallDb = 96, kKeyboardFallDb = 60, kSustainDbPerCentibel = 0.096;

double sustainShare(int sustain)
{
    return std::pow(10.0, -kSustainDbPerCentibel * sustain / 20.0);
}

double decaySeconds(int decay, int hold, int sustain)
{
    const double holdAsDecay = seconds(hold) * kKeyboardFallDb * std::log(10.0) / 10;
    return (seconds(decay) * kKeyboardFallDb / kEnvelopeFallDb + holdAsDecay) * (1 - sustainShare(sustain));
}

double releaseSeconds(int release)
{
    return seconds(release) * kKeyboardFallDb / kEnvelopeFallDb;
}

} // namespace tamo::sf2
