// SPDX-License-Identifier: GPL-3.0-or-later
#include "sfz/sfzimport.h"

#include "sfz/stereopair.h"

#include "wav/layermix.h"

#include "msp/valueformats.h"
#include "util/shortname.h"
#include "wav/soundfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <queue>
#include <string_view>
#include <tuple>
#include <vector>

namespace tamo::sfz {

namespace {

using namespace Qt::StringLiterals;
using msp::SampleField;

// Layers mixed into one sample at most, and the longest mix (seconds).
constexpr qsizetype kMostLayers = 8;
constexpr qint64 kLongestMix = 60;

enum class Use {
    LowKey,
    HighKey,
    Key,
    KeyCenter,
    Transpose,
    Tune,
    KeyTrack,
    Volume,
    Amplitude,
    Attack,
    Decay,
    Sustain,
    Release,
    LowVelocity,
    HighVelocity,
    SequencePosition,
    LowRandom,
    Consumed,
    Offset,
    End,
    LoopStart,
    LoopEnd,
    SwitchLast,
    SwitchDefault,
    Trigger,
    LoopMode,
    Sample,
};
constexpr int kUseCount = int(Use::Sample) + 1;

struct OpcodeRule {
    std::string_view opcode;
    Use use;
    double fallback; // SFZ's own default, when no header sets the opcode
    double lowest;   // values are clamped into lowest..highest, as players do
    double highest;
    double top;      // times: the seconds that reach the top of the field's range
};

// The one table from SFZ opcodes to MSP sample fields. An opcode missing here is
// reported as not expressed, never applied. Key values arrive as MIDI numbers
// (c4 = 60) with octave_offset and note_offset already applied; MIDI 60 is what the
// editor shows as C3, so a MIDI number is stored as it is.
//
// Envelope times: the instrument's own curves are unknown, so a logarithmic scale
// with a 10 ms knee keeps short times apart and reaches the top of each field at
// `top` seconds. Envelope fields are written only when the SFZ sets them; when it
// sets decay or sustain, both are written (the other at its SFZ default), since
// the one means nothing without the other. Absent ones keep the slot defaults.
constexpr std::array kRules{
    //         opcode             use                  default  lowest  highest top
    // START: stored one below the first key (StartNoteName shows it + 1).
    OpcodeRule{"lokey",           Use::LowKey,           0,     -1,    127,   0},
    // END: the last key.
    OpcodeRule{"hikey",           Use::HighKey,        127,     -1,    127,   0},
    // lokey, hikey and pitch_keycenter at once.
    OpcodeRule{"key",             Use::Key,             60,     -1,    127,   0},
    // KEY: the key that plays the recording unshifted, less the whole semitones
    // of transpose and tune (see below).
    OpcodeRule{"pitch_keycenter", Use::KeyCenter,       60,      0,    127,   0},
    // transpose * 100 + tune cents = s: KEY moves down by floor(s / 100) and FINE
    // takes the rest, 0..99 cents upwards (FineValue's inverse). A KEY pushed out of
    // 0..127 keeps the root and drops the tuning, and says so.
    OpcodeRule{"transpose",       Use::Transpose,        0,   -127,    127,   0},
    OpcodeRule{"tune",            Use::Tune,             0,  -9600,   9600,   0},
    // PITCH: 0 is FIXED, 100 STANDARD; anything else is reported and left STANDARD.
    OpcodeRule{"pitch_keytrack",  Use::KeyTrack,       100,  -1200,   1200,   0},
    // VOLUME = 127 * 10^(dB / 40), the MIDI volume curve; above 0 dB clipped at 127.
    OpcodeRule{"volume",          Use::Volume,           0,   -144,      6,   0},
    // Percent of full amplitude, folded into the dB of volume.
    OpcodeRule{"amplitude",       Use::Amplitude,      100,      0,    100,   0},
    // ATTACK (Reverse127): seconds on the time scale, 0..127.
    OpcodeRule{"ampeg_attack",    Use::Attack,           0,      0,    100,  10},
    // DECAY (Reverse99): seconds on the time scale, 0..99.
    OpcodeRule{"ampeg_decay",     Use::Decay,            0,      0,    100,  20},
    // SUSTAIN = 127 * percent / 100.
    OpcodeRule{"ampeg_sustain",   Use::Sustain,        100,      0,    100,   0},
    // RELEASE (Reverse96): seconds on the time scale, 0..96.
    OpcodeRule{"ampeg_release",   Use::Release,      0.001,      0,    100,  20},
    // Velocity layers: only the one covering velocity 100 is kept.
    OpcodeRule{"lovel",           Use::LowVelocity,      0,      0,    127,   0},
    OpcodeRule{"hivel",           Use::HighVelocity,   127,      0,    127,   0},
    // Round robins and random alternates: only the first is kept.
    OpcodeRule{"seq_position",    Use::SequencePosition, 1,      1,    100,   0},
    OpcodeRule{"seq_length",      Use::Consumed,         1,      1,    100,   0},
    OpcodeRule{"lorand",          Use::LowRandom,        0,      0,      1,   0},
    OpcodeRule{"hirand",          Use::Consumed,         1,      0,      1,   0},
    // The window and loop of the file, in its frames; end and loop_end are the last
    // frames played, inclusive. They become the zone's cut of the file.
    OpcodeRule{"offset",          Use::Offset,           0,      0,  4294967295., 0},
    OpcodeRule{"end",             Use::End,              0,      0,  4294967295., 0},
    OpcodeRule{"loop_start",      Use::LoopStart,        0,      0,  4294967295., 0},
    OpcodeRule{"loop_end",        Use::LoopEnd,          0,      0,  4294967295., 0},
    // Key switches: only the default articulation (sw_default, else the lowest
    // sw_last) is kept; sw_lokey and sw_hikey only bound the switch keys.
    OpcodeRule{"sw_last",         Use::SwitchLast,       0,      0,    127,   0},
    OpcodeRule{"sw_default",      Use::SwitchDefault,    0,      0,    127,   0},
    OpcodeRule{"sw_lokey",        Use::Consumed,         0,      0,    127,   0},
    OpcodeRule{"sw_hikey",        Use::Consumed,         0,      0,    127,   0},
    // Regions played on key down (attack, first, legato) are kept.
    OpcodeRule{"trigger",         Use::Trigger,          0,      0,      0,   0},
    // no_loop and one_shot: no loop; loop_continuous and loop_sustain: the loop.
    OpcodeRule{"loop_mode",       Use::LoopMode,         0,      0,      0,   0},
    // The sound file; its stored name is made from the file's name (see nameSamples).
    OpcodeRule{"sample",          Use::Sample,           0,      0,      0,   0},
};

constexpr bool eachUseOnce()
{
    for (int use = 0; use < kUseCount; ++use) {
        int count = 0;
        for (const OpcodeRule &rule : kRules)
            count += rule.use == Use(use) && rule.use != Use::Consumed ? 1 : 0;
        if (count > 1)
            return false;
    }
    return true;
}
static_assert(eachUseOnce());

const OpcodeRule *ruleFor(QStringView name)
{
    // Older spellings players still read.
    if (name == u"loopstart")
        name = u"loop_start";
    else if (name == u"loopend")
        name = u"loop_end";
    for (const OpcodeRule &rule : kRules) {
        if (name == QLatin1StringView(rule.opcode.data(), qsizetype(rule.opcode.size())))
            return &rule;
    }
    return nullptr;
}

const OpcodeRule &ruleOf(Use use)
{
    return *std::find_if(kRules.begin(), kRules.end(), [use](const OpcodeRule &r) { return r.use == use; });
}

// Labels and hints only name things for a player's screen: nothing is lost.
bool isMetadata(const QString &name)
{
    return name.endsWith(u"_label") || name.startsWith(u"label_cc") || name.startsWith(u"hint_");
}

// amp_velcurve_64 and amp_velcurve_100 are one opcode to the reader of the report.
QString opcodeFamily(const QString &name)
{
    static const QRegularExpression trailingNumber(u"\\d+$"_s);
    return QString(name).replace(trailingNumber, u"N"_s);
}

struct Values {
    std::array<double, kUseCount> number{};
    std::array<bool, kUseCount> given{};
    QString sample;
    QString trigger = u"attack"_s;
    QString loopMode; // empty: not given
    SourcePlace samplePlace;
    bool keyCenterFromFile = false;

    double operator[](Use use) const { return number[size_t(use)]; }
    bool isGiven(Use use) const { return given[size_t(use)]; }
    void set(Use use, double value)
    {
        number[size_t(use)] = value;
        given[size_t(use)] = true;
    }
};

struct Zone {
    Values values;
    SourcePlace place;
    int lowKey = 0;
    int highKey = 127;
    int keyCenter = 60;
    int lowVelocity = 0;
    int highVelocity = 127;
    QString path; // absolute, once resolved
    wav::SourceCut cut;
    double pan = 0;   // -100 (left) .. 100 (right)
    QString nameBase; // what its name is made from when not its file's name
};

// What the import needs of a sound file, read once per file.
struct FileFacts {
    qint64 frames = -1; // -1: libsndfile cannot read it
    bool hasLoop = false;
    qint64 loopStart = -1, loopEnd = -1; // its one forward loop, end one past
    int unityNote = -1; // the sampler chunk's, -1 when none
};

FileFacts readFacts(const QString &path)
{
    FileFacts facts;
    const wav::SoundFile file(path);
    if (!file.isOpen())
        return facts;
    facts.frames = file.info().frames;
    SF_INSTRUMENT instrument{};
    if (file.instrument(&instrument)) {
        facts.hasLoop = instrument.loop_count > 0;
        if (instrument.loop_count == 1 && instrument.loops[0].mode == SF_LOOP_FORWARD) {
            facts.loopStart = instrument.loops[0].start;
            facts.loopEnd = instrument.loops[0].end; // libsndfile counts it one past
        }
        if (quint8(instrument.basenote) <= 127)
            facts.unityNote = quint8(instrument.basenote);
    }
    return facts;
}

// The stick's name for a file's base name (util::stickName), room left for suffix
// at its end ("Strings Ensemble C3" gives "STRENSC3", "Piano D1" with "_2"
// "PNO_D1_2"), padded to 8.
QByteArray readableName(const QString &baseName, const QString &suffix)
{
    const QString stem = util::stickName(baseName, std::max<qsizetype>(1, msp::kSampleNameSize - suffix.size()));
    return (stem + suffix).toLatin1().leftJustified(msp::kSampleNameSize, ' ');
}

int rounded(double value)
{
    return int(std::nearbyint(value));
}

// As the editor names keys (C3 is 60), with the MIDI numbers the SFZ text uses.
QString keyText(int low, int high)
{
    if (low == high)
        return u"%1 (MIDI %2)"_s.arg(msp::NoteName(low)).arg(low);
    return u"%1-%2 (MIDI %3-%4)"_s.arg(msp::NoteName(low), msp::NoteName(high)).arg(low).arg(high);
}

QString describe(const Zone &zone)
{
    return QCoreApplication::translate("SfzImport", "  %1, keys %2, velocity %3-%4 (%5)").arg(QFileInfo(zone.values.sample).fileName(),
                                                     keyText(zone.lowKey, zone.highKey))
        .arg(zone.lowVelocity)
        .arg(zone.highVelocity)
        .arg(zone.place.text());
}

// The import's state while it runs: what it found, what it left out and why.
class Importer {
public:
    SfzImport result;

    Importer(const QString &folder, qsizetype regionCount, const QStringList &notes, Layers layers)
        : m_folder(folder), m_regionCount(regionCount), m_notes(notes), m_layers(layers)
    {
    }

    void run(const SfzDocument &document)
    {
        if (document.error.isSet()) {
            result.error = document.error;
            return;
        }
        QList<Zone> zones;
        for (const Region &region : document.regions) {
            Zone zone;
            zone.place = region.place;
            if (const Opcode *pan = region.find(u"pan"))
                zone.pan = pan->value.toDouble();
            if (!resolve(region, zone.values))
                return;
            if (keep(zone))
                zones.append(zone);
        }
        for (const Opcode &opcode : document.controlOpcodes)
            noteUnexpressed(opcode);
        finish(zones);
    }

    void run(const QList<RegionValues> &regions)
    {
        QList<Zone> zones;
        for (const RegionValues &region : regions) {
            Zone zone;
            zone.place = region.place;
            zone.pan = region.pan;
            valuesOf(region, zone.values);
            if (keep(zone))
                zones.append(zone);
        }
        finish(zones);
    }

    // What is kept of a failed import: only its error.
    SfzImport done() &&
    {
        if (!result.ok()) {
            result.samples.clear();
            result.report.clear();
        }
        return std::move(result);
    }

private:
    const QString m_folder; // where relative samples start
    const qsizetype m_regionCount;
    const QStringList m_notes; // the parser's
    const Layers m_layers;

    // The regions kept, one sample each from here on.
    void finish(QList<Zone> &zones)
    {
        chooseArticulation(zones);
        chooseVelocityLayer(zones);
        QHash<QString, FileFacts> facts;
        for (Zone &zone : zones) {
            if (!findSampleFile(zone))
                return;
            auto known = facts.constFind(zone.path);
            if (known == facts.cend())
                known = facts.insert(zone.path, readFacts(zone.path));
            if (zone.values.keyCenterFromFile)
                keyCenterFromFile(zone, *known);
            zone.cut = cutOf(zone, *known);
        }
        pairChannels(zones, facts);
        oneSoundPerKey(zones, facts);
        mergeToFit(zones);
        nameSamples(zones);
        writeReport();
    }

    QStringList m_mixed, m_layered, m_unmixed, m_tooManyLayers, m_loopsAgain;
    int m_mixes = 0; // files written
    QMap<QString, SourcePlace> m_unexpressed; // by opcode family
    QList<std::pair<QString, QStringList>> m_leftOut; // reason, regions
    QStringList m_velocity, m_merged, m_approximated, m_stereo;
    QHash<QString, QString> m_stereoFiles; // written stereo pairs by their two sides
    QHash<QString, QString> m_found; // sample as written -> path on disk
    QStringList m_readPast;
    QSet<QString> m_seenUnexpressed;
    QHash<QString, const OpcodeRule *> m_rules; // by opcode name, null when none

    void noteUnexpressed(const Opcode &opcode)
    {
        // Every region repeats its headers' opcodes: each name is looked at once.
        if (m_seenUnexpressed.contains(opcode.name))
            return;
        m_seenUnexpressed.insert(opcode.name);
        if (!isMetadata(opcode.name) && !m_unexpressed.contains(opcodeFamily(opcode.name)))
            m_unexpressed.insert(opcodeFamily(opcode.name), opcode.place);
    }

    const OpcodeRule *cachedRuleFor(const QString &name)
    {
        auto found = m_rules.constFind(name);
        if (found == m_rules.cend())
            found = m_rules.insert(name, ruleFor(name));
        return *found;
    }

    void leaveOut(const QString &reason, const QString &region)
    {
        auto it = std::find_if(m_leftOut.begin(), m_leftOut.end(), [&](const auto &entry) { return entry.first == reason; });
        if (it == m_leftOut.end())
            it = m_leftOut.insert(m_leftOut.end(), {reason, {}});
        it->second.append(region);
    }

    bool fail(const QString &message, const SourcePlace &place)
    {
        result.error = {message, place};
        return false;
    }

    bool resolve(const Region &region, Values &values)
    {
        for (const OpcodeRule &rule : kRules)
            values.number[size_t(rule.use)] = rule.fallback;
        for (const Opcode &opcode : region.opcodes) {
            const OpcodeRule *rule = cachedRuleFor(opcode.name);
            if (!rule) {
                noteUnexpressed(opcode);
                continue;
            }
            if (rule->use == Use::Sample) {
                values.sample = opcode.value;
                values.samplePlace = opcode.place;
                continue;
            }
            if (rule->use == Use::Trigger || rule->use == Use::LoopMode) {
                (rule->use == Use::Trigger ? values.trigger : values.loopMode) = opcode.value;
                continue;
            }
            if (rule->use == Use::KeyCenter && opcode.value == u"sample") {
                values.keyCenterFromFile = true;
                continue;
            }
            bool ok = false;
            const double number = opcode.value.toDouble(&ok);
            if ((!ok || !std::isfinite(number)) && rule->use == Use::Consumed) {
                // Read for nothing: a slip here changes nothing that is imported.
                const QString note = SfzError{QCoreApplication::translate("SfzImport", "\"%1\" is not a number for %2; it is read past").arg(
                    shownValue(opcode.value), opcode.name), opcode.place}.text();
                if (!m_readPast.contains(note))
                    m_readPast << note;
                continue;
            }
            if (!ok || !std::isfinite(number))
                return fail(QCoreApplication::translate("SfzImport", "\"%1\" is not a number for %2").arg(shownValue(opcode.value), opcode.name), opcode.place);
            const double value = std::clamp(number, rule->lowest, rule->highest);
            if (rule->use == Use::Key) {
                values.set(Use::LowKey, value);
                values.set(Use::HighKey, value);
                values.set(Use::KeyCenter, value);
                values.keyCenterFromFile = false;
            } else {
                values.set(rule->use, value);
                if (rule->use == Use::KeyCenter)
                    values.keyCenterFromFile = false;
            }
        }
        return true;
    }

    // The typed values as the opcodes would give them, each within its rule's limits.
    static void valuesOf(const RegionValues &region, Values &values)
    {
        for (const OpcodeRule &rule : kRules)
            values.number[size_t(rule.use)] = rule.fallback;
        values.sample = region.sample;
        values.samplePlace = region.place;
        const auto set = [&values](Use use, std::optional<double> value) {
            const OpcodeRule &rule = ruleOf(use);
            if (value && std::isfinite(*value))
                values.set(use, std::clamp(*value, rule.lowest, rule.highest));
        };
        set(Use::LowKey, region.lowKey);
        set(Use::HighKey, region.highKey);
        set(Use::KeyCenter, region.keyCenter);
        set(Use::LowVelocity, region.lowVelocity);
        set(Use::HighVelocity, region.highVelocity);
        set(Use::Transpose, region.transpose);
        set(Use::Tune, region.tune);
        set(Use::KeyTrack, region.keyTrack);
        set(Use::Volume, region.volume);
        set(Use::Attack, region.attack);
        set(Use::Decay, region.decay);
        set(Use::Sustain, region.sustain);
        set(Use::Release, region.release);
    }

    bool keep(Zone &zone)
    {
        const Values &v = zone.values;
        zone.lowKey = rounded(v[Use::LowKey]);
        zone.highKey = rounded(v[Use::HighKey]);
        zone.keyCenter = rounded(v[Use::KeyCenter]);
        zone.lowVelocity = rounded(v[Use::LowVelocity]);
        zone.highVelocity = rounded(v[Use::HighVelocity]);
        if (v.sample.isEmpty())
            leaveOut(QCoreApplication::translate("SfzImport", "Regions without a sample, left out:"), describe(zone));
        else if (v.sample.startsWith(u'*'))
            leaveOut(QCoreApplication::translate("SfzImport", "Regions playing a built-in generator (*sine, *noise, ...), left out:"), describe(zone));
        else if (v.trigger != u"attack" && v.trigger != u"first" && v.trigger != u"legato")
            leaveOut(QCoreApplication::translate("SfzImport", "Regions played on release or other triggers, left out:"), describe(zone));
        else if (rounded(v[Use::SequencePosition]) != 1 || v[Use::LowRandom] > 0)
            leaveOut(QCoreApplication::translate("SfzImport", "Round robins and random alternates: the first is kept, left out:"), describe(zone));
        else if (zone.highKey < zone.lowKey || zone.highKey < 0 || zone.lowKey > 127)
            leaveOut(QCoreApplication::translate("SfzImport", "Regions no key plays, left out:"), describe(zone));
        else {
            zone.lowKey = std::max(zone.lowKey, 0);
            const QString note = QCoreApplication::translate("SfzImport", "Regions with trigger=%1 play on every key down, as attack regions").arg(v.trigger);
            if (v.trigger != u"attack" && !m_velocity.contains(note))
                m_velocity << note;
            return true;
        }
        return false;
    }

    // One velocity layer fits a key: the one that plays at velocity 100 (or, when
    // none does, the loudest).
    void chooseVelocityLayer(QList<Zone> &zones)
    {
        const auto layer = [](const Zone &z) { return std::pair{z.lowVelocity, z.highVelocity}; };
        QList<std::pair<int, int>> layers;
        for (const Zone &zone : std::as_const(zones)) {
            if (!layers.contains(layer(zone)))
                layers.append(layer(zone));
        }
        if (layers.size() < 2)
            return;
        const auto covers100 = [](std::pair<int, int> l) { return l.first <= 100 && 100 <= l.second; };
        const bool any100 = std::any_of(layers.begin(), layers.end(), covers100);
        const auto loudest = *std::max_element(layers.begin(), layers.end(),
                                               [](auto a, auto b) { return a.second < b.second; });
        const auto kept = [&](const Zone &z) { return any100 ? covers100(layer(z)) : layer(z) == loudest; };
        QStringList keptLayers;
        for (const auto &l : std::as_const(layers)) {
            if (any100 ? covers100(l) : l == loudest)
                keptLayers << u"%1-%2"_s.arg(l.first).arg(l.second);
        }
        m_velocity << QCoreApplication::translate("SfzImport", "Only one velocity layer fits a key: of %1 layers, kept velocity %2, %3").arg(
            QString::number(layers.size()), keptLayers.join(u", "_s),
            any100 ? QCoreApplication::translate("SfzImport", "the one playing at velocity 100") : QCoreApplication::translate("SfzImport", "the loudest (none plays at velocity 100)"));
        for (const Zone &zone : std::as_const(zones)) {
            if (!kept(zone))
                leaveOut(QCoreApplication::translate("SfzImport", "Other velocity layers, left out:"), describe(zone));
        }
        zones.removeIf([&](const Zone &z) { return !kept(z); });
    }

    // Relative to the top file's folder, as players read them; a path whose case
    // differs on disk is still found (libraries are often made on Windows).
    bool findSampleFile(Zone &zone)
    {
        const QString written = zone.values.sample;
        auto found = m_found.constFind(written);
        if (found == m_found.cend())
            found = m_found.insert(written, util::findPathCaseInsensitive(m_folder, written));
        if (found->isEmpty()) {
            const QString path = QDir::cleanPath(QDir(m_folder).absoluteFilePath(written));
            return fail(QCoreApplication::translate("SfzImport", "The sample file \"%1\" does not exist").arg(QDir::toNativeSeparators(path)),
                        zone.values.samplePlace);
        }
        zone.path = *found;
        return true;
    }

    // Key switches choose one articulation at a time; the keyboard plays one, so the
    // default one (sw_default, else the lowest switch) is kept.
    void chooseArticulation(QList<Zone> &zones)
    {
        std::optional<int> wanted;
        QList<int> switches;
        for (const Zone &zone : std::as_const(zones)) {
            if (!wanted && zone.values.isGiven(Use::SwitchDefault))
                wanted = rounded(zone.values[Use::SwitchDefault]);
            if (zone.values.isGiven(Use::SwitchLast) && !switches.contains(rounded(zone.values[Use::SwitchLast])))
                switches << rounded(zone.values[Use::SwitchLast]);
        }
        if (switches.size() < 2)
            return;
        const int kept = wanted && switches.contains(*wanted) ? *wanted : *std::min_element(switches.begin(), switches.end());
        const auto other = [&](const Zone &z) {
            return z.values.isGiven(Use::SwitchLast) && rounded(z.values[Use::SwitchLast]) != kept;
        };
        const QString reason = QCoreApplication::translate("SfzImport", "Key-switched articulations other than the one on %1 (%2), left out:").arg(
            keyText(kept, kept), wanted && kept == *wanted ? u"sw_default"_s : QCoreApplication::translate("SfzImport", "the lowest switch"));
        for (const Zone &zone : std::as_const(zones)) {
            if (other(zone))
                leaveOut(reason, describe(zone));
        }
        zones.removeIf(other);
    }

    void keyCenterFromFile(Zone &zone, const FileFacts &facts)
    {
        if (facts.unityNote >= 0) {
            zone.keyCenter = facts.unityNote;
            return;
        }
        m_approximated << QCoreApplication::translate("SfzImport", "  %1: pitch_keycenter=sample, but the file names no unity note; KEY is %2").arg(
            QFileInfo(zone.path).fileName(), msp::NoteName(zone.keyCenter));
    }

    // The zone's window and loop in frames of its file: SFZ's end and loop_end are
    // last frames, the cut's are one past. What lies outside the file is clamped.
    wav::SourceCut cutOf(const Zone &zone, const FileFacts &facts)
    {
        const Values &v = zone.values;
        const QString who = QFileInfo(zone.path).fileName();
        const qint64 frames = facts.frames;
        wav::SourceCut cut;
        cut.start = v.isGiven(Use::Offset) ? qint64(v[Use::Offset]) : 0;
        cut.end = v.isGiven(Use::End) ? qint64(v[Use::End]) + 1 : -1;
        if (frames >= 0 && cut.start >= frames) {
            m_approximated << QCoreApplication::translate("SfzImport", "  %1: offset=%2 lies beyond its %3 frames; it plays from the start").arg(who).arg(cut.start).arg(frames);
            cut.start = 0;
        }
        if (frames >= 0 && cut.end > frames) {
            m_approximated << QCoreApplication::translate("SfzImport", "  %1: end=%2 lies beyond its %3 frames; it plays to its end").arg(who).arg(cut.end - 1).arg(frames);
            cut.end = frames;
        }
        if (cut.end >= 0 && cut.end <= cut.start) {
            m_approximated << QCoreApplication::translate("SfzImport", "  %1: end=%2 comes before offset=%3; it plays to its end").arg(who).arg(cut.end - 1).arg(cut.start);
            cut.end = -1;
        }
        if (cut.end == frames)
            cut.end = -1;
        const qint64 stop = cut.end >= 0 ? cut.end : frames;
        const QString &mode = v.loopMode;
        const bool points = v.isGiven(Use::LoopStart) || v.isGiven(Use::LoopEnd);
        if (mode == u"no_loop" || mode == u"one_shot") {
            cut.loop = wav::SourceCut::Loop::None;
        } else if (!mode.isEmpty() && mode != u"loop_continuous" && mode != u"loop_sustain") {
            m_approximated << QCoreApplication::translate("SfzImport", "  %1: loop_mode=%2 is not known; its own loop is kept").arg(who, mode);
        } else if (points && (!mode.isEmpty() || facts.hasLoop)) {
            // Without loop_mode the file's own loop says whether it loops at all.
            qint64 loopStart = v.isGiven(Use::LoopStart) ? qint64(v[Use::LoopStart]) : cut.start;
            qint64 loopEnd = v.isGiven(Use::LoopEnd) ? qint64(v[Use::LoopEnd]) + 1 : stop;
            if (stop >= 0 && loopEnd > stop) {
                m_approximated << QCoreApplication::translate("SfzImport", "  %1: loop_end=%2 lies beyond the frames played; the loop ends at %3").arg(who)
                                      .arg(loopEnd - 1).arg(stop - 1);
                loopEnd = stop;
            }
            if (loopStart < cut.start) {
                m_approximated << QCoreApplication::translate("SfzImport", "  %1: loop_start=%2 lies before offset=%3; the loop starts there").arg(who)
                                      .arg(loopStart).arg(cut.start);
                loopStart = cut.start;
            }
            if (loopEnd <= loopStart) {
                m_approximated << QCoreApplication::translate("SfzImport", "  %1: the loop %2-%3 holds no frame played; it plays without a loop").arg(who)
                                      .arg(v[Use::LoopStart]).arg(v[Use::LoopEnd]);
                cut.loop = wav::SourceCut::Loop::None;
            } else if (loopStart != facts.loopStart || loopEnd != facts.loopEnd) {
                // The file's own loop, written again, stays as it is: the file may be copied.
                cut.loop = wav::SourceCut::Loop::Forward;
                cut.loopStart = loopStart;
                cut.loopEnd = loopEnd;
            }
        }
        return cut;
    }

    // Zones playing the same file with the same cut share one name (one written
    // file); any other source gets a name of its own, readable and stable.
    void nameSamples(const QList<Zone> &zones)
    {
        QHash<QString, QByteArray> nameOf; // by source
        QHash<QString, int> cutsOfFile;
        QSet<QByteArray> taken; // in upper case: the stick's file system ignores case
        for (const Zone &zone : zones) {
            const QString source = sourceKey(zone);
            auto name = nameOf.constFind(source);
            if (name == nameOf.cend()) {
                const QString base = zone.nameBase.isEmpty() ? QFileInfo(zone.path).completeBaseName() : zone.nameBase;
                int nth = ++cutsOfFile[zone.path];
                QByteArray made = readableName(base, nth > 1 ? u"_%1"_s.arg(nth) : QString());
                while (taken.contains(made.toUpper()))
                    made = readableName(base, u"_%1"_s.arg(++nth));
                taken.insert(made.toUpper());
                name = nameOf.insert(source, made);
            }
            result.samples.append(sampleOf(zone, *name));
        }
    }

    static QString sourceKey(const Zone &zone)
    {
        const wav::SourceCut &c = zone.cut;
        return u"%1|%2|%3|%4|%5|%6"_s.arg(zone.path).arg(c.start).arg(c.end).arg(int(c.loop)).arg(c.loopStart).arg(c.loopEnd);
    }

    // A region panned hard left (pan <= -50, or its sample named "_L") and one hard
    // right playing the same keys, velocities, root and tuning are one stereo sound:
    // their windows go into one stereo file (the shorter ending in silence, the right
    // at the left one's rate) that plays with the left one's loop and values, in the
    // middle. Sides tuned apart are layers.
    void pairChannels(QList<Zone> &zones, const QHash<QString, FileFacts> &facts)
    {
        const auto side = [](const Zone &z) {
            return z.pan <= -50 ? -1 : z.pan >= 50 ? 1 : z.pan == 0 ? channelOfName(QFileInfo(z.path).completeBaseName()) : 0;
        };
        const auto partners = [](const Zone &a, const Zone &b) {
            return std::tie(a.lowKey, a.highKey, a.lowVelocity, a.highVelocity, a.keyCenter)
                    == std::tie(b.lowKey, b.highKey, b.lowVelocity, b.highVelocity, b.keyCenter)
                && a.values[Use::Transpose] == b.values[Use::Transpose] && a.values[Use::Tune] == b.values[Use::Tune]
                && a.values[Use::KeyTrack] == b.values[Use::KeyTrack];
        };
        QList<bool> gone(zones.size(), false);
        for (qsizetype i = 0; i < zones.size(); ++i) {
            for (qsizetype j = 0; j < zones.size() && side(zones.at(i)) == -1 && !gone.at(i); ++j) {
                Zone &left = zones[i];
                const Zone &right = zones.at(j);
                if (gone.at(j) || side(right) != 1 || !partners(left, right))
                    continue;
                if (left.path == right.path && left.cut == right.cut) { // one sound panned both ways: the middle
                    m_stereo << u"  %1"_s.arg(QFileInfo(left.path).fileName());
                    gone[j] = true;
                    break;
                }
                // The same two sides on other keys or velocities play the same file.
                const QString sides = sourceKey(left) + u" + "_s + sourceKey(right);
                QString path = m_stereoFiles.value(sides);
                if (path.isEmpty()) {
                    if (!result.files)
                        result.files = std::make_shared<QTemporaryDir>();
                    path = result.files->filePath(u"stereo%1.wav"_s.arg(m_stereoFiles.size() + 1));
                    PairRates rates;
                    if (!result.files->isValid() || !writeStereoPair(left.path, left.cut, right.path, right.cut, path, &rates).isEmpty())
                        continue;
                    m_stereoFiles.insert(sides, path);
                    m_stereo << u"  %1 + %2"_s.arg(QFileInfo(left.path).fileName(), QFileInfo(right.path).fileName());
                    if (rates.right != rates.left)
                        m_stereo << QCoreApplication::translate("SfzImport", "  %1: right side resampled from %2 Hz to %3 Hz to pair it with the left")
                                        .arg(QFileInfo(right.path).fileName())
                                        .arg(rates.right)
                                        .arg(rates.left);
                }
                // The left one's loop, now in frames of the written window.
                wav::SourceCut cut;
                cut.loop = left.cut.loop == wav::SourceCut::Loop::None ? wav::SourceCut::Loop::None : wav::SourceCut::Loop::Keep;
                if (const auto loop = loopInWindow(left.cut, facts.value(left.path))) {
                    cut.loop = wav::SourceCut::Loop::Forward;
                    cut.loopStart = loop->first;
                    cut.loopEnd = loop->second;
                }
                left.nameBase = nameWithoutChannel(QFileInfo(left.path).completeBaseName());
                left.path = path;
                left.cut = cut;
                left.pan = 0;
                gone[j] = true;
                break;
            }
        }
        for (qsizetype i = zones.size() - 1; i >= 0; --i) {
            if (gone.at(i))
                zones.removeAt(i);
        }
    }

    // The loop a zone plays, in frames of its window: its own or its file's.
    static std::optional<std::pair<qint64, qint64>> loopInWindow(const wav::SourceCut &cut, const FileFacts &own)
    {
        if (cut.loop == wav::SourceCut::Loop::Forward)
            return std::pair{cut.loopStart - cut.start, cut.loopEnd - cut.start};
        if (cut.loop == wav::SourceCut::Loop::Keep && own.hasLoop && own.loopStart >= cut.start && own.loopStart < own.loopEnd
            && (cut.end < 0 || own.loopEnd <= cut.end))
            return std::pair{own.loopStart - cut.start, own.loopEnd - cut.start};
        return std::nullopt;
    }

    // The keyboard sounds one sample a key: where zones share keys, each run of keys
    // they share becomes one zone whose sample mixes them (Layers::Mix); otherwise
    // they stay, and the report names the keys.
    void oneSoundPerKey(QList<Zone> &zones, const QHash<QString, FileFacts> &facts)
    {
        const auto on = [&](int key) {
            QList<qsizetype> found;
            for (qsizetype i = 0; i < zones.size(); ++i) {
                if (zones.at(i).lowKey <= key && key <= zones.at(i).highKey)
                    found << i;
            }
            return found;
        };
        QList<std::tuple<int, int, QList<qsizetype>>> runs;
        bool layered = false;
        for (int key = 0; key <= 127;) {
            const QList<qsizetype> here = on(key);
            int last = key;
            while (last < 127 && on(last + 1) == here)
                ++last;
            layered = layered || here.size() > 1;
            runs.append({key, last, here});
            key = last + 1;
        }
        if (!layered || m_layers == Layers::AsGiven)
            return;
        QList<Zone> made;
        // By what is mixed, each layer against the first: one sound, one file; with
        // the dB the mix's first zone was raised by.
        QHash<QString, std::pair<std::optional<Zone>, double>> mixes;
        for (const auto &[low, high, here] : std::as_const(runs)) {
            const auto restricted = [&, low = low, high = high](Zone zone) {
                zone.lowKey = low;
                zone.highKey = high == 127 ? std::max(zone.highKey, high) : high;
                return zone;
            };
            if (here.size() == 1)
                made << restricted(zones.at(here.first()));
            if (here.size() < 2)
                continue;
            QStringList names;
            QString key;
            const Zone &base = zones.at(here.first());
            // Pans count where they differ (mixLayers: equal pans give a mono mix).
            const bool onePan = std::all_of(here.begin(), here.end(), [&](qsizetype i) { return zones.at(i).pan == base.pan; });
            for (const qsizetype i : here) {
                const Zone &z = zones.at(i);
                names << (z.nameBase.isEmpty() ? QFileInfo(z.path).fileName() : z.nameBase); // a stereo pair by its sides' name
                key += u"%1 %2 %3 %4|"_s.arg(sourceKey(z)).arg(pitchShift(base, z)).arg(levelDb(z) - levelDb(base)).arg(onePan ? 0.0 : z.pan);
            }
            const QString line = u"  %1: %2"_s.arg(keyText(low, high), names.join(u" + "_s));
            if (m_layers == Layers::First) { // the zones stay as they are
                m_layered << line;
                continue;
            }
            auto mix = mixes.constFind(key);
            if (mix == mixes.cend()) {
                QString why;
                std::optional<Zone> mixed = mixZones(zones, here, facts, why);
                if (!mixed)
                    m_unmixed << u"%1 (%2)"_s.arg(line, why);
                const double raised = mixed ? mixed->values[Use::Volume] - base.values[Use::Volume] : 0.0;
                mix = mixes.insert(key, {mixed, raised});
            }
            if (mix->first) {
                m_mixed << line;
                if (here.size() > kMostLayers)
                    m_tooManyLayers << u"  %1: %2"_s.arg(keyText(low, high)).arg(here.size() - kMostLayers);
                Zone zone = base; // its own envelope and level, the mix's sound
                const Zone &mixed = *mix->first;
                zone.path = mixed.path;
                zone.cut = mixed.cut;
                zone.nameBase = mixed.nameBase;
                zone.pan = mixed.pan;
                if (mix->second != 0)
                    zone.values.set(Use::Volume, base.values[Use::Volume] + mix->second);
                made << restricted(zone);
            } else {
                for (const qsizetype i : here)
                    made << restricted(zones.at(i));
            }
        }
        if (m_layers == Layers::Mix)
            zones = made;
    }

    // The layers' sound at the first one's root: each layer by its own keycenter,
    // transpose, tune and keytrack against the first's, its rate, volume and pan. The
    // loop is sought again on the mix; the first one's values play it, its volume
    // raised by what the mix took to fit full scale.
    static double pitchShift(const Zone &first, const Zone &z) // cents, at the first one's root
    {
        const auto cents = [](const Zone &zone) { return zone.values[Use::Transpose] * 100 + zone.values[Use::Tune]; };
        return (first.keyCenter - z.keyCenter) * z.values[Use::KeyTrack] + cents(z) - cents(first);
    }
    static double levelDb(const Zone &z)
    {
        return std::max(-144.0, z.values[Use::Volume] + 20 * std::log10(std::max(z.values[Use::Amplitude], 1e-9) / 100));
    }

    std::optional<Zone> mixZones(const QList<Zone> &zones, const QList<qsizetype> &here, const QHash<QString, FileFacts> &facts, QString &why)
    {
        const Zone &first = zones.at(here.first());
        std::vector<wav::MixPart> parts;
        int rate = 0;
        for (qsizetype n = 0; n < std::min<qsizetype>(here.size(), kMostLayers); ++n) {
            const Zone &z = zones.at(here.at(n));
            SoundWindow window;
            if (!readWindow(z.path, z.cut, window) || window.channels > 2) {
                why = QCoreApplication::translate("SfzImport", "%1 is not a mono or stereo file that can be read").arg(QFileInfo(z.path).fileName());
                return std::nullopt;
            }
            if (n == 0)
                rate = window.rate;
            wav::MixPart part;
            part.channels = window.channels;
            part.samples = std::move(window.samples);
            if (const auto loop = loopInWindow(z.cut, facts.value(z.path))) {
                part.looped = true;
                part.loopStart = loop->first;
                part.loopEnd = loop->second;
            }
            part.ratio = double(window.rate) / rate * std::exp2(pitchShift(first, z) / 1200);
            part.gain = std::pow(10.0, (levelDb(z) - levelDb(first)) / 20);
            part.pan = std::clamp(z.pan, -100.0, 100.0) / 100;
            parts.push_back(std::move(part));
        }
        const bool firstLooped = parts.front().looped;
        const qint64 firstLoopStart = parts.front().loopStart, firstLoopEnd = parts.front().loopEnd;
        const wav::LayerMix mix = wav::mixLayers(parts, rate, kLongestMix * qint64(rate));
        if (!mix.ok) {
            why = QCoreApplication::translate("SfzImport", "a layer cannot be brought to the pitch of the first");
            return std::nullopt;
        }
        if (!result.files)
            result.files = std::make_shared<QTemporaryDir>();
        const QString path = result.files->filePath(u"mix%1.wav"_s.arg(++m_mixes));
        if (!result.files->isValid() || !(why = writeFloatWav(path, mix.samples, mix.channels, rate)).isEmpty())
            return std::nullopt;
        Zone zone = first;
        zone.nameBase = first.nameBase.isEmpty() ? QFileInfo(first.path).completeBaseName() : first.nameBase;
        zone.path = path;
        zone.cut = {};
        zone.cut.loop = wav::SourceCut::Loop::None;
        zone.pan = 0;
        const QString who = QFileInfo(zone.nameBase).fileName();
        if (mix.looped || (mix.loopSought && firstLooped)) {
            zone.cut.loop = wav::SourceCut::Loop::Forward;
            zone.cut.loopStart = mix.looped ? mix.loopStart : firstLoopStart;
            zone.cut.loopEnd = mix.looped ? mix.loopEnd : firstLoopEnd;
        }
        if (mix.looped)
            m_loopsAgain << QCoreApplication::translate("SfzImport", "  %1: loop %2-%3 found on the mix").arg(who).arg(mix.loopStart).arg(mix.loopEnd);
        else if (mix.loopSought)
            m_loopsAgain << QCoreApplication::translate("SfzImport", "  %1: no loop found on the mix; %2").arg(who,
                firstLooped ? QCoreApplication::translate("SfzImport", "the first layer's loop is kept") : QCoreApplication::translate("SfzImport", "it plays without a loop"));
        if (mix.scale < 1) // the mix was made quieter to fit: the zone plays it louder
            zone.values.set(Use::Volume, first.values[Use::Volume] - 20 * std::log10(mix.scale));
        return zone;
    }

    // More than 64 zones: the two neighbours of one layer whose union is narrowest
    // become one (the same sound twice costs nothing), until 64 are left; of equal
    // ones the lowest goes first. The sample whose root lies nearest the middle of
    // the union plays it. A queue of neighbour pairs keeps this O(n log n).
    void mergeToFit(QList<Zone> &zones)
    {
        struct Span {
            int lowKey, highKey, keyCenter, lowVelocity, highVelocity, sound;
            qsizetype zone;
        };
        QHash<QString, int> sounds;
        std::vector<Span> spans;
        for (qsizetype i = 0; i < zones.size(); ++i) {
            const Zone &z = zones.at(i);
            const QString key = sourceKey(z);
            if (!sounds.contains(key))
                sounds.insert(key, int(sounds.size()));
            const int sound = sounds.value(key);
            spans.push_back({z.lowKey, z.highKey, z.keyCenter, z.lowVelocity, z.highVelocity, sound, i});
        }
        std::stable_sort(spans.begin(), spans.end(), [](const Span &a, const Span &b) {
            return std::tie(a.lowVelocity, a.highVelocity, a.lowKey, a.keyCenter, a.highKey)
                 < std::tie(b.lowVelocity, b.highVelocity, b.lowKey, b.keyCenter, b.highKey);
        });
        const size_t n = spans.size();
        std::vector<size_t> next(n), previous(n);
        std::vector<int> version(n, 0);
        std::vector<bool> alive(n, true);
        for (size_t i = 0; i < n; ++i) {
            next[i] = i + 1;
            previous[i] = i == 0 ? n : i - 1;
        }
        struct Pair {
            int cost;
            size_t left, right;
            int leftVersion, rightVersion;
            bool operator>(const Pair &o) const { return std::tie(cost, left) > std::tie(o.cost, o.left); }
        };
        std::priority_queue<Pair, std::vector<Pair>, std::greater<>> queue;
        const auto offer = [&](size_t left, size_t right) {
            if (left >= n || right >= n)
                return;
            const Span &a = spans[left];
            const Span &b = spans[right];
            if (a.lowVelocity != b.lowVelocity || a.highVelocity != b.highVelocity)
                return;
            const bool sameSound = a.sound == b.sound && a.keyCenter == b.keyCenter;
            const int cost = sameSound ? -1 : std::max(a.highKey, b.highKey) - std::min(a.lowKey, b.lowKey);
            queue.push({cost, left, right, version[left], version[right]});
        };
        for (size_t i = 0; i + 1 < n; ++i)
            offer(i, i + 1);
        size_t count = n;
        while (count > size_t(msp::kMaxSamples) && !queue.empty()) {
            const Pair pair = queue.top();
            queue.pop();
            if (!alive[pair.left] || !alive[pair.right] || next[pair.left] != pair.right
                || version[pair.left] != pair.leftVersion || version[pair.right] != pair.rightVersion)
                continue;
            const Span a = spans[pair.left];
            const Span b = spans[pair.right];
            const int low = std::min(a.lowKey, b.lowKey);
            const int high = std::max(a.highKey, b.highKey);
            const bool keepA = std::abs(2 * a.keyCenter - low - high) <= std::abs(2 * b.keyCenter - low - high);
            Span kept = keepA ? a : b;
            const Span &gone = keepA ? b : a;
            m_merged << QCoreApplication::translate("SfzImport", "  %1 now plays keys %2, in place of %3 (keys %4)").arg(
                QFileInfo(zones.at(kept.zone).path).fileName(), keyText(low, high),
                QFileInfo(zones.at(gone.zone).path).fileName(), keyText(gone.lowKey, gone.highKey));
            kept.lowKey = low;
            kept.highKey = high;
            spans[pair.left] = kept;
            ++version[pair.left];
            alive[pair.right] = false;
            next[pair.left] = next[pair.right];
            if (next[pair.right] < n)
                previous[next[pair.right]] = pair.left;
            --count;
            offer(previous[pair.left], pair.left);
            offer(pair.left, next[pair.left]);
        }
        std::vector<Span> left;
        for (size_t i = 0; i < n; ++i) {
            if (alive[i])
                left.push_back(spans[i]);
        }
        std::stable_sort(left.begin(), left.end(), [](const Span &a, const Span &b) {
            return std::tie(a.lowKey, a.keyCenter, a.highKey) < std::tie(b.lowKey, b.keyCenter, b.highKey);
        });
        QList<Zone> merged;
        for (const Span &span : left) {
            Zone zone = zones.at(span.zone);
            zone.lowKey = span.lowKey;
            zone.highKey = span.highKey;
            if (merged.size() < msp::kMaxSamples)
                merged.append(zone);
            else
                leaveOut(QCoreApplication::translate("SfzImport", "Beyond 64 samples, left out:"), describe(zone));
        }
        zones = merged;
    }

    static int timeStep(double seconds, int top, double topSeconds)
    {
        constexpr double knee = 0.01;
        const double step = top * std::log1p(seconds / knee) / std::log1p(topSeconds / knee);
        return std::clamp(rounded(step), 0, top);
    }

    ImportedSample sampleOf(const Zone &zone, const QByteArray &name)
    {
        const Values &v = zone.values;
        ImportedSample sample;
        sample.sourcePath = zone.path;
        sample.name = name;
        sample.cut = zone.cut;
        sample.lowKey = zone.lowKey;
        sample.highKey = std::min(zone.highKey, 127);
        sample.place = zone.place;
        // A stereo pair or a mix is named by its sources, not by the file made of them.
        const QString who = zone.nameBase.isEmpty() ? QFileInfo(zone.path).fileName() : QFileInfo(zone.nameBase).fileName();
        auto &f = sample.fields;
        f[SampleField::StartKey] = *msp::storedStartNote(sample.lowKey);
        f[SampleField::EndKey] = quint8(sample.highKey);

        const int cents = rounded(v[Use::Transpose] * 100 + v[Use::Tune]);
        const int semitones = cents >= 0 ? cents / 100 : -((-cents + 99) / 100); // floor
        int key = zone.keyCenter - semitones;
        int fine = cents - 100 * semitones;
        if (key < 0 || key > 127) {
            m_approximated << QCoreApplication::translate("SfzImport", "  %1: a tuning of %2 cents does not fit; KEY is kept at %3, untuned").arg(who).arg(cents)
                                  .arg(msp::NoteName(zone.keyCenter));
            key = zone.keyCenter;
            fine = 0;
        }
        f[SampleField::Key] = quint8(key);
        f[SampleField::Fine] = *msp::storedValue(msp::ValueFormat::Fine, fine, 0);

        if (v.isGiven(Use::KeyTrack)) {
            const int track = rounded(v[Use::KeyTrack]);
            if (track != 0 && track != 100)
                m_approximated << QCoreApplication::translate("SfzImport", "  %1: pitch_keytrack=%2 is not expressed; PITCH stays STANDARD").arg(who).arg(track);
            f[SampleField::PitchMode] = track == 0 ? 1 : 0;
        }
        if (v.isGiven(Use::Volume) || v.isGiven(Use::Amplitude)) {
            const double dB = v[Use::Volume] + 20 * std::log10(v[Use::Amplitude] / 100);
            if (dB > 0.05)
                m_approximated << QCoreApplication::translate("SfzImport", "  %1: a volume of %2 dB is above full; VOLUME is 127").arg(who).arg(dB, 0, 'f', 1);
            f[SampleField::Volume] = quint8(std::clamp(rounded(127 * std::pow(10.0, dB / 40)), 0, 127));
        }
        if (v.isGiven(Use::Attack))
            f[SampleField::Attack] = *msp::storedValue(msp::ValueFormat::Reverse127,
                                                       timeStep(v[Use::Attack], 127, ruleOf(Use::Attack).top), 0);
        if (v.isGiven(Use::Decay) || v.isGiven(Use::Sustain)) {
            f[SampleField::Decay] = *msp::storedValue(msp::ValueFormat::Reverse99,
                                                      timeStep(v[Use::Decay], 99, ruleOf(Use::Decay).top), 0);
            f[SampleField::Sustain] = quint8(rounded(127 * v[Use::Sustain] / 100));
        }
        if (v.isGiven(Use::Release))
            f[SampleField::Release] = *msp::storedValue(msp::ValueFormat::Reverse96,
                                                        timeStep(v[Use::Release], 96, ruleOf(Use::Release).top), 0);
        return sample;
    }

    void writeReport()
    {
        QStringList &report = result.report;
        report << QCoreApplication::translate("SfzImport", "%1 regions read, %2 samples made").arg(m_regionCount).arg(result.samples.size());
        report << m_notes << m_readPast;
        if (!m_unexpressed.isEmpty()) {
            report << QCoreApplication::translate("SfzImport", "Opcodes the keyboard cannot express, left out:");
            for (auto it = m_unexpressed.cbegin(); it != m_unexpressed.cend(); ++it)
                report << QCoreApplication::translate("SfzImport", "  %1 (first at %2)").arg(it.key(), it.value().text());
        }
        report << m_velocity;
        for (const auto &[reason, regions] : std::as_const(m_leftOut))
            report << reason << regions;
        if (!m_merged.isEmpty())
            report << QCoreApplication::translate("SfzImport", "More than 64 regions: neighbouring zones merged:") << m_merged;
        if (!m_stereo.isEmpty())
            report << QCoreApplication::translate("SfzImport", "Left and right regions playing together, now one stereo sample each:") << m_stereo;
        if (!m_mixed.isEmpty())
            report << QCoreApplication::translate("SfzImport", "Layers sounding together on a key, mixed into one sample (each at its level, pan and tuning):") << m_mixed;
        if (!m_tooManyLayers.isEmpty())
            report << QCoreApplication::translate("SfzImport", "More than %1 layers on a key: the first %1 mixed, the others (counted) left out:").arg(kMostLayers) << m_tooManyLayers;
        if (!m_loopsAgain.isEmpty())
            report << QCoreApplication::translate("SfzImport", "Loops sought again on the mixed sound:") << m_loopsAgain;
        if (!m_unmixed.isEmpty())
            report << QCoreApplication::translate("SfzImport", "Warning: layers that could not be mixed, kept as overlapping samples: the keyboard sounds only the first:") << m_unmixed;
        if (!m_layered.isEmpty())
            report << QCoreApplication::translate("SfzImport", "Warning: layers sounding together on a key, kept as overlapping samples (--layers first): the keyboard sounds only the first:") << m_layered;
        if (!m_approximated.isEmpty())
            report << QCoreApplication::translate("SfzImport", "Approximated:") << m_approximated;
    }
};

} // namespace

SfzImport importRegions(const QList<RegionValues> &regions, const QString &folder, Layers layers)
{
    Importer importer(folder, regions.size(), {}, layers);
    importer.run(regions);
    return std::move(importer).done();
}

SfzImport importSfz(const SfzDocument &document, Layers layers)
{
    Importer importer(document.folder, document.regions.size(), document.notes, layers);
    importer.run(document);
    return std::move(importer).done();
}

SfzImport importSfz(const QString &path, Layers layers)
{
    return importSfz(parseSfzFile(path), layers);
}

bool fillMspRecord(const SfzImport &import, msp::MspRecord &record)
{
    if (!import.ok() || import.samples.size() > msp::kMaxSamples)
        return false;
    record = msp::MspRecord::newDocument();
    record.setGlobal(msp::GlobalField::SampleCount, quint8(import.samples.size()));
    for (int slot = 1; slot <= import.samples.size(); ++slot) {
        const ImportedSample &sample = import.samples.at(slot - 1);
        record.setSampleName(slot, sample.name);
        for (auto it = sample.fields.cbegin(); it != sample.fields.cend(); ++it)
            record.setSample(it.key(), slot, it.value());
    }
    return true;
}

} // namespace tamo::sfz
