#include "sfz/sfzimport.h"

#include "msp/valueformats.h"
#include "util/paths.h"
#include "util/shortname.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>
#include <vector>
#include <tuple>

namespace tamo::sfz {

namespace {

using namespace Qt::StringLiterals;
using msp::SampleField;

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
    Trigger,
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
    OpcodeRule{"tune",            Use::Tune,             0,   -100,    100,   0},
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
    // Only regions played on key down (attack) are kept.
    OpcodeRule{"trigger",         Use::Trigger,          0,      0,      0,   0},
    // The sound file; its stored name is derived as adding a file derives it.
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
};

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
    return u"  %1, keys %2, velocity %3-%4 (%5)"_s.arg(QFileInfo(zone.values.sample).fileName(),
                                                     keyText(zone.lowKey, zone.highKey))
        .arg(zone.lowVelocity)
        .arg(zone.highVelocity)
        .arg(zone.place.text());
}

// The import's state while it runs: what it found, what it left out and why.
class Importer {
public:
    SfzImport result;

    explicit Importer(const SfzDocument &document) : m_document(document) {}

    void run()
    {
        if (m_document.error.isSet()) {
            result.error = m_document.error;
            return;
        }
        QList<Zone> zones;
        for (const Region &region : m_document.regions) {
            Zone zone;
            zone.place = region.place;
            if (!resolve(region, zone.values))
                return;
            if (keep(zone))
                zones.append(zone);
        }
        for (const Opcode &opcode : m_document.controlOpcodes)
            noteUnexpressed(opcode);
        chooseVelocityLayer(zones);
        for (Zone &zone : zones) {
            if (!findSampleFile(zone))
                return;
        }
        mergeToFit(zones);
        QStringList paths;
        for (const Zone &zone : std::as_const(zones))
            paths << zone.path;
        const QStringList shortPaths = util::ShortFileNames(paths);
        for (qsizetype i = 0; i < zones.size(); ++i)
            result.samples.append(sampleOf(zones.at(i), shortPaths.at(i)));
        writeReport();
    }

private:
    const SfzDocument &m_document;
    QMap<QString, SourcePlace> m_unexpressed; // by opcode family
    QList<std::pair<QString, QStringList>> m_leftOut; // reason, regions
    QStringList m_velocity, m_merged, m_approximated;

    void noteUnexpressed(const Opcode &opcode)
    {
        if (!isMetadata(opcode.name) && !m_unexpressed.contains(opcodeFamily(opcode.name)))
            m_unexpressed.insert(opcodeFamily(opcode.name), opcode.place);
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
            const OpcodeRule *rule = ruleFor(opcode.name);
            if (!rule) {
                noteUnexpressed(opcode);
                continue;
            }
            if (rule->use == Use::Sample) {
                values.sample = opcode.value;
                values.samplePlace = opcode.place;
                continue;
            }
            if (rule->use == Use::Trigger) {
                values.trigger = opcode.value;
                continue;
            }
            if (rule->use == Use::KeyCenter && opcode.value == u"sample") {
                values.keyCenterFromFile = true;
                continue;
            }
            bool ok = false;
            const double number = opcode.value.toDouble(&ok);
            if (!ok || !std::isfinite(number))
                return fail(u"\"%1\" is not a number for %2"_s.arg(opcode.value, opcode.name), opcode.place);
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

    bool keep(Zone &zone)
    {
        const Values &v = zone.values;
        zone.lowKey = rounded(v[Use::LowKey]);
        zone.highKey = rounded(v[Use::HighKey]);
        zone.keyCenter = rounded(v[Use::KeyCenter]);
        zone.lowVelocity = rounded(v[Use::LowVelocity]);
        zone.highVelocity = rounded(v[Use::HighVelocity]);
        if (v.sample.isEmpty())
            leaveOut(u"Regions without a sample, left out:"_s, describe(zone));
        else if (v.sample.startsWith(u'*'))
            leaveOut(u"Regions playing a built-in generator (*sine, *noise, ...), left out:"_s, describe(zone));
        else if (v.trigger != u"attack")
            leaveOut(u"Regions played on release or other triggers, left out:"_s, describe(zone));
        else if (rounded(v[Use::SequencePosition]) != 1 || v[Use::LowRandom] > 0)
            leaveOut(u"Round robins and random alternates: the first is kept, left out:"_s, describe(zone));
        else if (zone.highKey < zone.lowKey || zone.highKey < 0 || zone.lowKey > 127)
            leaveOut(u"Regions no key plays, left out:"_s, describe(zone));
        else {
            zone.lowKey = std::max(zone.lowKey, 0);
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
        m_velocity << u"Only one velocity layer fits a key: of %1 layers, kept velocity %2, %3"_s.arg(
            QString::number(layers.size()), keptLayers.join(u", "_s),
            any100 ? u"the one playing at velocity 100"_s : u"the loudest (none plays at velocity 100)"_s);
        for (const Zone &zone : std::as_const(zones)) {
            if (!kept(zone))
                leaveOut(u"Other velocity layers, left out:"_s, describe(zone));
        }
        zones.removeIf([&](const Zone &z) { return !kept(z); });
    }

    // Relative to the top file's folder, as players read them; a name whose case
    // differs on disk is still found (libraries are often made on Windows).
    bool findSampleFile(Zone &zone)
    {
        const QString written = zone.values.sample;
        QString path = QDir::cleanPath(QDir(m_document.folder).absoluteFilePath(written));
        if (!QFileInfo(path).isFile()) {
            const QFileInfo info(path);
            const QString found = util::findFileCaseInsensitive(info.absolutePath(), info.fileName());
            if (found.isEmpty())
                return fail(u"The sample file \"%1\" does not exist"_s.arg(QDir::toNativeSeparators(path)),
                            zone.values.samplePlace);
            path = QDir(info.absolutePath()).filePath(found);
        }
        zone.path = path;
        return true;
    }

    // More than 64 zones: the two neighbours of one layer whose union is narrowest
    // become one (the same sound twice costs nothing), until 64 are left. The sample
    // whose root lies nearest the middle of the union plays it. The search runs on
    // small spans, so thousands of regions merge quickly.
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
            if (!sounds.contains(z.path))
                sounds.insert(z.path, int(sounds.size()));
            spans.push_back({z.lowKey, z.highKey, z.keyCenter, z.lowVelocity, z.highVelocity, sounds.value(z.path), i});
        }
        std::stable_sort(spans.begin(), spans.end(), [](const Span &a, const Span &b) {
            return std::tie(a.lowVelocity, a.highVelocity, a.lowKey, a.keyCenter, a.highKey)
                 < std::tie(b.lowVelocity, b.highVelocity, b.lowKey, b.keyCenter, b.highKey);
        });
        while (spans.size() > size_t(msp::kMaxSamples)) {
            size_t best = spans.size();
            int bestCost = 0;
            for (size_t i = 0; i + 1 < spans.size(); ++i) {
                const Span &a = spans[i];
                const Span &b = spans[i + 1];
                if (a.lowVelocity != b.lowVelocity || a.highVelocity != b.highVelocity)
                    continue;
                const bool sameSound = a.sound == b.sound && a.keyCenter == b.keyCenter;
                const int cost = sameSound ? -1 : std::max(a.highKey, b.highKey) - std::min(a.lowKey, b.lowKey);
                if (best == spans.size() || cost < bestCost) {
                    best = i;
                    bestCost = cost;
                }
            }
            if (best == spans.size())
                break;
            const Span a = spans[best];
            const Span b = spans[best + 1];
            const int low = std::min(a.lowKey, b.lowKey);
            const int high = std::max(a.highKey, b.highKey);
            const bool keepA = std::abs(2 * a.keyCenter - low - high) <= std::abs(2 * b.keyCenter - low - high);
            Span kept = keepA ? a : b;
            const Span &gone = keepA ? b : a;
            m_merged << u"  %1 now plays keys %2, in place of %3 (keys %4)"_s.arg(
                QFileInfo(zones.at(kept.zone).path).fileName(), keyText(low, high),
                QFileInfo(zones.at(gone.zone).path).fileName(), keyText(gone.lowKey, gone.highKey));
            kept.lowKey = low;
            kept.highKey = high;
            spans[best] = kept;
            spans.erase(spans.begin() + qsizetype(best) + 1);
        }
        std::stable_sort(spans.begin(), spans.end(), [](const Span &a, const Span &b) {
            return std::tie(a.lowKey, a.keyCenter, a.highKey) < std::tie(b.lowKey, b.keyCenter, b.highKey);
        });
        QList<Zone> merged;
        for (const Span &span : spans) {
            Zone zone = zones.at(span.zone);
            zone.lowKey = span.lowKey;
            zone.highKey = span.highKey;
            if (merged.size() < msp::kMaxSamples)
                merged.append(zone);
            else
                leaveOut(u"Beyond 64 samples, left out:"_s, describe(zone));
        }
        zones = merged;
    }

    static int timeStep(double seconds, int top, double topSeconds)
    {
        constexpr double knee = 0.01;
        const double step = top * std::log1p(seconds / knee) / std::log1p(topSeconds / knee);
        return std::clamp(rounded(step), 0, top);
    }

    // The name adding a file gives: the short name up to its first ".", 8 at most.
    static QByteArray derivedName(const QString &shortPath)
    {
        const QString shortName = util::fileNameExtract(shortPath);
        const qsizetype dot = shortName.indexOf(u'.');
        const QString base = (dot < 0 ? shortName : shortName.left(dot)).left(msp::kSampleNameSize);
        QStringEncoder encoder("windows-1252");
        QByteArray bytes = encoder.isValid() ? QByteArray(encoder.encode(base)) : base.toLatin1();
        return bytes.leftJustified(msp::kSampleNameSize, ' ');
    }

    ImportedSample sampleOf(const Zone &zone, const QString &shortPath)
    {
        const Values &v = zone.values;
        ImportedSample sample;
        sample.sourcePath = zone.path;
        sample.name = derivedName(shortPath);
        sample.lowKey = zone.lowKey;
        sample.highKey = std::min(zone.highKey, 127);
        sample.place = zone.place;
        const QString who = QFileInfo(zone.path).fileName();
        auto &f = sample.fields;
        f[SampleField::StartKey] = *msp::storedStartNote(sample.lowKey);
        f[SampleField::EndKey] = quint8(sample.highKey);

        if (v.keyCenterFromFile)
            m_approximated << u"  %1: pitch_keycenter=sample is not read from the file; KEY is %2"_s.arg(
                who, msp::NoteName(zone.keyCenter));
        const int cents = rounded(v[Use::Transpose] * 100 + v[Use::Tune]);
        const int semitones = cents >= 0 ? cents / 100 : -((-cents + 99) / 100); // floor
        int key = zone.keyCenter - semitones;
        int fine = cents - 100 * semitones;
        if (key < 0 || key > 127) {
            m_approximated << u"  %1: a tuning of %2 cents does not fit; KEY is kept at %3, untuned"_s.arg(who).arg(cents)
                                  .arg(msp::NoteName(zone.keyCenter));
            key = zone.keyCenter;
            fine = 0;
        }
        f[SampleField::Key] = quint8(key);
        f[SampleField::Fine] = *msp::storedValue(msp::ValueFormat::Fine, fine, 0);

        if (v.isGiven(Use::KeyTrack)) {
            const int track = rounded(v[Use::KeyTrack]);
            if (track != 0 && track != 100)
                m_approximated << u"  %1: pitch_keytrack=%2 is not expressed; PITCH stays STANDARD"_s.arg(who).arg(track);
            f[SampleField::PitchMode] = track == 0 ? 1 : 0;
        }
        if (v.isGiven(Use::Volume) || v.isGiven(Use::Amplitude)) {
            const double dB = v[Use::Volume] + 20 * std::log10(v[Use::Amplitude] / 100);
            if (dB > 0.05)
                m_approximated << u"  %1: a volume of %2 dB is above full; VOLUME is 127"_s.arg(who).arg(dB, 0, 'f', 1);
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
        report << u"%1 regions read, %2 samples made"_s.arg(m_document.regions.size()).arg(result.samples.size());
        report << m_document.notes;
        if (!m_unexpressed.isEmpty()) {
            report << u"Opcodes the keyboard cannot express, left out:"_s;
            for (auto it = m_unexpressed.cbegin(); it != m_unexpressed.cend(); ++it)
                report << u"  %1 (first at %2)"_s.arg(it.key(), it.value().text());
        }
        report << m_velocity;
        for (const auto &[reason, regions] : std::as_const(m_leftOut))
            report << reason << regions;
        if (!m_merged.isEmpty())
            report << u"More than 64 regions: neighbouring zones merged:"_s << m_merged;
        if (!m_approximated.isEmpty())
            report << u"Approximated:"_s << m_approximated;
        QHash<QByteArray, QString> owners;
        for (const ImportedSample &sample : std::as_const(result.samples)) {
            const QString owner = owners.value(sample.name);
            if (!owner.isEmpty() && owner != sample.sourcePath)
                report << u"%1 and %2 get the same stored name %3: rename one before exporting"_s.arg(
                    QFileInfo(owner).fileName(), QFileInfo(sample.sourcePath).fileName(),
                    QString::fromLatin1(sample.name.trimmed()));
            else
                owners.insert(sample.name, sample.sourcePath);
        }
    }
};

} // namespace

SfzImport importSfz(const SfzDocument &document)
{
    Importer importer(document);
    importer.run();
    if (!importer.result.ok()) {
        importer.result.samples.clear();
        importer.result.report.clear();
    }
    return std::move(importer.result);
}

SfzImport importSfz(const QString &path)
{
    return importSfz(parseSfzFile(path));
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
