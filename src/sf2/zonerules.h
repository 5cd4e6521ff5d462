// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sf2/soundfont.h"

#include <QCoreApplication>

#include <algorithm>
#include <array>
#include <utility>

// How a SoundFont's zones play: the generators' defaults and ranges, a preset zone
// over an instrument zone, and the level and envelope a player gives them.
namespace tamo::sf2 {

constexpr int kUnset = -1; // keynum, velocity, overridingRootKey
constexpr int kShortestTime = -12000; // timecents: instant
// The share of a zone's attenuation that players apply (FluidSynth, after the first
// hardware's players: 60 cB sound as 2.4 dB): the layers of a mix keep the balance
// the font is heard with.
constexpr double kAttenuationShare = 0.4;
constexpr int kLoudestAttenuation = -215; // centibels: the lowest sum that still plays louder

struct Range {
    Generator generator;
    int lowest, highest, fallback;
};

// The range and default of a generator; null for one not read.
const Range *rangeOf(Generator g);

// What the keyboard has no field for, by the generators that carry it (-1: none).
struct LeftOut {
    const char *what;
    std::array<int, 4> generators;
};
inline constexpr std::array kLeftOut{
    LeftOut{QT_TRANSLATE_NOOP("SoundFontExport", "LFOs (vibrato, tremolo)"), {5, 6, 13, -1}},         // mod/vib LFO to pitch, mod LFO to volume
    LeftOut{QT_TRANSLATE_NOOP("SoundFontExport", "filters"), {8, 9, 10, -1}},                         // cutoff, resonance, mod LFO to cutoff
    LeftOut{QT_TRANSLATE_NOOP("SoundFontExport", "the modulation envelope"), {7, 11, -1, -1}},        // to pitch, to cutoff
    LeftOut{QT_TRANSLATE_NOOP("SoundFontExport", "exclusive classes"), {57, -1, -1, -1}},
    LeftOut{QT_TRANSLATE_NOOP("SoundFontExport", "chorus and reverb sends"), {15, 16, -1, -1}},
    LeftOut{QT_TRANSLATE_NOOP("SoundFontExport", "volume envelope delay and hold"), {33, 35, 39, 40}}, // delay, hold, key to hold and decay
    LeftOut{QT_TRANSLATE_NOOP("SoundFontExport", "fixed keys and velocities"), {46, 47, -1, -1}},
};

// A preset zone over an instrument zone: the values one note plays with.
class ZoneValues {
public:
    ZoneValues(const sf2::Zone *presetZone, const sf2::Zone *presetGlobal, const sf2::Zone *instrumentZone,
               const sf2::Zone *instrumentGlobal)
        : m_preset(presetZone), m_presetGlobal(presetGlobal), m_instrument(instrumentZone),
          m_instrumentGlobal(instrumentGlobal)
    {
    }

    // The instrument's value (its zone, else its global zone, else the default).
    int instrumentValue(Generator g) const
    {
        if (m_instrument->has(g))
            return m_instrument->amount(g);
        if (m_instrumentGlobal && m_instrumentGlobal->has(g))
            return m_instrumentGlobal->amount(g);
        const Range *range = rangeOf(g);
        return range ? range->fallback : 0;
    }
    // What the preset adds.
    int presetValue(Generator g) const
    {
        if (m_preset->has(g))
            return m_preset->amount(g);
        return m_presetGlobal && m_presetGlobal->has(g) ? m_presetGlobal->amount(g) : 0;
    }
    // The sum, clamped as players clamp it.
    int value(Generator g) const
    {
        const int sum = instrumentValue(g) + presetValue(g);
        const Range *range = rangeOf(g);
        return range ? std::clamp(sum, range->lowest, range->highest) : sum;
    }
    bool isChanged(Generator g) const
    {
        const Range *range = rangeOf(g);
        return instrumentValue(g) != (range ? range->fallback : 0) || presetValue(g) != 0;
    }
    // Key and velocity ranges: the preset's and the instrument's, intersected.
    std::pair<int, int> range(Generator g) const
    {
        const auto of = [g](const sf2::Zone *zone, const sf2::Zone *global) {
            const sf2::Zone *from = zone->has(g) ? zone : global && global->has(g) ? global : nullptr;
            return from ? std::pair(from->low(g), from->high(g)) : std::pair(0, 127);
        };
        const auto p = of(m_preset, m_presetGlobal);
        const auto i = of(m_instrument, m_instrumentGlobal);
        return {std::max(p.first, i.first), std::min({p.second, i.second, 127})};
    }
    // Sample address offsets (instrument level only): fine + 32768 * coarse.
    qint64 offset(Generator fine, Generator coarse) const
    {
        return qint64(instrumentValue(fine)) + 32768 * qint64(instrumentValue(coarse));
    }
    int modulatorCount() const
    {
        return m_preset->modulatorCount + m_instrument->modulatorCount
             + (m_presetGlobal ? m_presetGlobal->modulatorCount : 0)
             + (m_instrumentGlobal ? m_instrumentGlobal->modulatorCount : 0);
    }

private:
    const sf2::Zone *m_preset, *m_presetGlobal, *m_instrument, *m_instrumentGlobal;
};

// The level in dB a zone plays at in the reference player (attenuation in centibels).
double zoneLevelDb(int attenuation, bool mono);
// Timecents as seconds; the shortest time is none.
double seconds(int timecents);
// The volume envelope as SFZ times (a fall of 60 dB) and sustain (a share of full).
double sustainShare(int sustain);
double decaySeconds(int decay, int hold, int sustain);
double releaseSeconds(int release);

} // namespace tamo::sf2
