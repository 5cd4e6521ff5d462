// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/soundfontexport.h"

#include "export/exportcommand.h"
#include "export/exportplan.h"
#include "export/keyboardexport.h"
#include "msp/msprecord.h"
#include "util/paths.h"
#include "util/shortname.h"
#include "msp/valueformats.h"
#include "sf2/zonerules.h"
#include "util/signals.h"
#include "util/workers.h"
#include "wav/layermix.h"
#include "wav/levels.h"
#include "wav/loopfinder.h"
#include "wav/resample.h"
#include "wav/samplewriter.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QThread>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <tuple>

namespace tamo::exporter {

namespace {

using namespace Qt::StringLiterals;
using sf2::Generator;
using sf2::decaySeconds;
using sf2::kAttenuationShare;
using sf2::kLeftOut;
using sf2::kShortestTime;
using sf2::LeftOut;
using sf2::releaseSeconds;
using sf2::seconds;
using sf2::sustainShare;
using sf2::ZoneValues;
using sf2::zoneLevelDb;

constexpr int kKeyboardRate = 44100;
// A preset's zones: 64 slots in each of up to 128 velocity layers, and the pairs of
// preset and instrument zones visited to find them.
constexpr qsizetype kMostZones = msp::kMaxSamples * 128;
constexpr qint64 kMostZonePairs = 8 * kMostZones;
const QString kCancelled = u"cancelled"_s;
// Layers mixed into one zone's sample at most, and the longest mix (seconds).
constexpr qsizetype kMostLayers = 8;
constexpr qint64 kLongestMix = 60;
// A mixed layer is held at most this many dB above the envelope that the zone keeps.
constexpr double kMostAbove = 12;
// Sides whose rates differ more than this stay apart: no font pairs them on purpose.
constexpr double kMostRateRatio = 8;

struct Resolved {
    int sample = 0;
    int rightSample = -1; // the right channel of a stereo pair
    int lowKey = 0, highKey = 127, lowVelocity = 0, highVelocity = 127;
    qint64 start = 0, end = 0; // frames of the sample
    bool looped = false;
    qint64 loopStart = 0, loopEnd = 0; // frames of the sample
    // The right channel's window and loop, in frames of its sample.
    qint64 rightStart = 0, rightEnd = 0;
    bool rightLooped = false;
    qint64 rightLoopStart = 0, rightLoopEnd = 0;
    int root = 60;
    double cents = 0; // coarse, fine and the sample's correction
    int pan = 0;
    int scaleTuning = 100;
    double runCents = 0; // a run of keys of a scale-tuned zone: its tuning at the middle
    int attenuation = 0;
    int attack = kShortestTime, decay = kShortestTime, sustain = 0, release = kShortestTime;
    int hold = kShortestTime, keyToHold = 0, keyToDecay = 0; // timecents, and timecents a key below 60
    int delay = kShortestTime; // the keyboard has none: a mix holds it
    int cutoff = 13500, modEnvToCutoff = 0; // the lowpass in absolute cents, and what the modulation envelope adds
    double modSustain = 1, modDecay = 0;     // that envelope's sustain (share of full) and decay (seconds)
    double modDelay = 0;                     // and its delay (seconds), before which it stays at 0
    int resonance = 0;                       // the lowpass's peak, centibels
    double filterDb = 0; // what the lowpass takes from the sample's level
    int zoneNumber = 0;
    QString instrument; // its name, and the zone's number in it, as an editor of the font shows them
    int instrumentZone = 0;
    bool isRight = false, isLeft = false;
    QString file; // the WAV written for it
    // Layers sounding with it on its keys at its velocities, mixed into its WAV at its root.
    std::vector<Resolved> others;
};

QString number(double value)
{
    static const QRegularExpression trailingZeros(u"\\.?0+$"_s);
    return QString::number(value, 'f', 4).remove(trailingZeros);
}

// A layer's volume envelope at the middle of keys low..high, as the reference player
// runs it: silent through its delay, up in amplitude through the attack, full through
// the hold, then down 96 dB in the decay time, linear in dB, to its sustain. Times in
// seconds; the sustain in dB (-96: silent).
struct EnvelopeShape {
    double delay = 0, attackEnd = 0, holdEnd = 0, sustainAt = 0, sustainDb = 0;
    double db(double at) const
    {
        if (at < delay)
            return -96;
        if (at < attackEnd)
            return std::max(-96.0, 20 * std::log10((at - delay) / (attackEnd - delay)));
        if (at <= holdEnd)
            return 0;
        return at >= sustainAt ? sustainDb : sustainDb * (at - holdEnd) / (sustainAt - holdEnd);
    }
};

// How much faster than written the keyboard plays a zone's sound at the middle of its keys.
double playedFaster(const Resolved &z)
{
    return std::exp2(((z.lowKey + z.highKey + 1) / 2 - z.root) * z.scaleTuning / 1200.0 + (z.cents + z.runCents) / 1200.0);
}

// withDelay false: as the keyboard plays it, which has no delay.
EnvelopeShape envelopeOf(const Resolved &layer, int lowKey, int highKey, bool withDelay = true)
{
    const int fromMiddle = 60 - (lowKey + highKey + 1) / 2;
    EnvelopeShape shape;
    shape.delay = withDelay ? seconds(layer.delay) : 0;
    shape.attackEnd = shape.delay + seconds(layer.attack);
    shape.holdEnd = shape.attackEnd + seconds(layer.hold + layer.keyToHold * fromMiddle);
    shape.sustainDb = std::max(-96.0, 20 * std::log10(std::max(sustainShare(layer.sustain), 1e-9)));
    shape.sustainAt = shape.holdEnd + seconds(layer.decay + layer.keyToDecay * fromMiddle) * -shape.sustainDb / 96;
    return shape;
}

// How long a layer sounds (seconds to 60 dB down, or to its sample's end), then how
// loud it holds.
std::pair<double, double> soundLength(const Resolved &layer, const EnvelopeShape &shape, double rate)
{
    const double sample = layer.looped ? HUGE_VAL : double(layer.end - layer.start) / std::max(rate, 1.0);
    const double envelope = shape.sustainDb > -60 ? HUGE_VAL : shape.holdEnd + (shape.sustainAt - shape.holdEnd) * 60 / -shape.sustainDb;
    return {std::min(sample, envelope), layer.looped ? shape.sustainDb : -96.0};
}

// "Violin L" and "Violin R" make "Violin".
QString withoutSide(const QString &name)
{
    static const QRegularExpression side(u"[\\s_\\-(]*[LlRr]\\)?$"_s);
    const QString stripped = QString(name).remove(side);
    return stripped.isEmpty() ? name : stripped;
}

// A file written for zones: its path and its loop, in its own frames.
struct Extracted {
    QString file;
    bool looped = false;
    qint64 loopStart = 0, loopEnd = 0;
    int attenuation = 0; // centibels a mix took off to fit, given back by the zone's volume
    int envelopeLayer = 0; // a mix: the layer whose envelope the zone keeps (0 its own, then its others)
};

// A zone's sound as written: interleaved frames at its sample's rate, and its loop.
struct Rendered {
    int channels = 1;
    std::vector<qint32> frames;
    bool looped = false;
    qint64 loopStart = 0, loopEnd = 0;
};

// What a written sound holds: its frames, channels, rate and loop.
QByteArray soundDigest(const Rendered &sound, quint32 rate)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const std::array<qint64, 5> shape{sound.channels, rate, sound.looped, sound.loopStart, sound.loopEnd};
    hash.addData(QByteArrayView(reinterpret_cast<const char *>(shape.data()), qsizetype(sizeof shape)));
    hash.addData(QByteArrayView(reinterpret_cast<const char *>(sound.frames.data()), qsizetype(sound.frames.size() * sizeof(qint32))));
    return hash.result();
}

// One channel: the window of a sample's frames and its loop, in frames of the window.
struct Side {
    const std::vector<qint32> *data = nullptr;
    qint64 start = 0, frames = 0;
    bool looped = false;
    qint64 loopStart = 0, loopEnd = 0;

    // Frame i: the loop again from its end until loopUntil, and past the window's
    // end; silence past the end of a side without a loop.
    qint32 at(qint64 i, qint64 loopUntil) const
    {
        qint64 from = i;
        if (looped && loopEnd > loopStart && i >= loopEnd && (i < loopUntil || i >= frames))
            from = loopStart + (i - loopStart) % (loopEnd - loopStart);
        else if (i >= frames)
            return 0;
        const qint64 index = start + from;
        return index >= 0 && index < qint64(data->size()) ? (*data)[size_t(index)] : 0;
    }
};

// How the two sides of a stereo pair become one sound: as long as the longer, or
// as the loop ends; loops of one length share one, starting where both have
// begun to loop; other loops run on (seek) for the loop finder to find one that
// suits both.
struct PairShape {
    qint64 frames = 0;
    bool looped = false;
    qint64 loopStart = 0, loopEnd = 0;
    qint64 loopUntil = 0; // Side::at
    bool seek = false;
};

PairShape pairShape(const Side &left, const Side &right, int rate)
{
    PairShape shape;
    shape.frames = std::max(left.frames, right.frames);
    if (!left.looped && !right.looped)
        return shape;
    shape.looped = true;
    const qint64 leftLength = left.loopEnd - left.loopStart, rightLength = right.loopEnd - right.loopStart;
    if (left.looped && right.looped && leftLength == rightLength) {
        shape.loopStart = std::max(left.loopStart, right.loopStart);
        shape.loopEnd = shape.loopUntil = shape.loopStart + leftLength;
        shape.frames = std::max(shape.frames, shape.loopEnd);
        return shape;
    }
    // Two seconds of the held sound past the later loop's end.
    shape.frames = std::max({shape.frames, left.looped ? left.loopEnd : 0, right.looped ? right.loopEnd : 0}) + 2 * qint64(rate);
    shape.loopUntil = shape.frames;
    shape.seek = true;
    return shape;
}

constexpr double kFullScale = 2147483648.0; // of qint32 frames

// A loop sought on the sound itself (crossfaded where no clean one exists), the
// sound then ending with it; false when none is found.
bool findLoopAgain(Rendered &sound, int rate)
{
    std::vector<float> samples(sound.frames.size());
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = float(double(sound.frames[i]) / kFullScale);
    const qint64 frames = qint64(samples.size()) / sound.channels;
    const wav::FoundLoop loop = wav::findLoop(samples.data(), frames, sound.channels, rate);
    if (!loop.found || loop.end > frames || loop.start >= loop.end)
        return false;
    wav::applyCrossfade(samples.data(), frames, sound.channels, loop);
    sound.frames = wav::fullScaleFrames(samples.data(), size_t(loop.end) * size_t(sound.channels));
    sound.looped = true;
    sound.loopStart = loop.start;
    sound.loopEnd = loop.end;
    return true;
}

class PresetImporter {
public:
    PresetImport result;

    PresetImporter(const sf2::SoundFont &font, int presetIndex, const std::atomic_bool *cancel = nullptr)
        : m_font(font), m_preset(font.presets.at(presetIndex)), m_cancel(cancel)
    {
    }

    // The zones resolved and checked, nothing written (SF3 windows and loops need the
    // decoded sample and are checked when it is written).
    bool check()
    {
        m_checkOnly = true;
        return resolve();
    }

    bool run(bool velocityLayers, const QString &baseName, bool mixLayers)
    {
        result.files = std::make_shared<QTemporaryDir>();
        if (!result.files->isValid())
            return fail(QCoreApplication::translate("SoundFontExport", "cannot make a temporary folder: %1").arg(result.files->errorString()));
        if (!resolve())
            return false;
        pairStereo();
        if (m_zones.isEmpty())
            return fail(QCoreApplication::translate("SoundFontExport", "preset %1 has no zone with a sample").arg(title()));
        m_mix = mixLayers;
        // Each set's zones, one sound per key; without velocity layers the others
        // go along for the import to name what it leaves out.
        QList<QList<Resolved>> sets;
        const QList<QList<int>> layers = velocityLayers ? splitLayers() : QList<QList<int>>{soundingAt(chosenVelocity())};
        for (const QList<int> &layer : layers) {
            sets << followScaleTuning(oneSoundPerKey(layer));
            for (qsizetype i = 0; !velocityLayers && i < m_zones.size(); ++i) {
                if (!layer.contains(int(i)))
                    sets.last() << m_zones.at(i);
            }
        }
        // Zones playing at velocity 100 are named first, so the kept layer gets the plain names.
        for (const bool at100 : {true, false}) {
            for (QList<Resolved> &set : sets) {
                for (Resolved &zone : set) {
                    if ((zone.lowVelocity <= 100 && 100 <= zone.highVelocity) == at100 && !extract(zone))
                        return false;
                }
            }
        }
        for (QList<Resolved> &set : sets)
            set = followFilter(set);
        writeNotes();
        ShortNames takenMsp;
        const QString base = baseName.isEmpty() ? uniqueShortBase(m_preset.name, takenMsp) : baseName;
        for (qsizetype i = 0; i < sets.size(); ++i) {
            PresetSet set;
            // Layers are mixed or said above.
            set.import = sfz::importRegions(regionsOf(sets.at(i), !velocityLayers), result.files->path(), sfz::Layers::AsGiven);
            if (!set.import.ok())
                return fail(set.import.error.text());
            QString name = base;
            if (sets.size() > 1) {
                const QString suffix = u"_%1"_s.arg(i + 1);
                name = base.left(msp::kSampleNameSize - suffix.size()) + suffix;
                result.report << QCoreApplication::translate("SoundFontExport", "Velocity layer %1 (%2):").arg(i + 1).arg(m_layerNames.value(i));
            }
            set.mspFileName = name + u".MSP"_s;
            result.report << set.import.report;
            result.sets << set;
        }
        return true;
    }

private:
    const sf2::SoundFont &m_font;
    const sf2::Preset &m_preset;
    QList<Resolved> m_zones;
    // The last samples read: zones mostly play one sample after another, and a
    // bank of long samples must not be held whole.
    QList<std::pair<int, std::shared_ptr<const sf2::SampleFrames>>> m_frames;
    QHash<QString, Extracted> m_written; // by what was cut
    QHash<QByteArray, QString> m_soundFiles; // the files written, by soundDigest
    QHash<QString, Rendered> m_rendered; // by soundKey
    QHash<int, qint64> m_lengths;      // decoded SF3 samples' frames
    qint64 m_extractedFrames = 0;
    ShortNames m_takenNames;
    QMap<QString, int> m_leftOut; // what, zones
    QString m_instrumentName; // of the zones being resolved
    int m_instrumentZone = 0;
    QStringList m_approximated;
    QStringList m_layerNames;
    int m_stereoPairs = 0;
    int m_paddedPairs = 0;
    QStringList m_resampledRights;
    bool m_mix = true;
    QStringList m_mixed, m_layered; // keys whose layers were mixed, or left overlapping
    QStringList m_tooManyLayers;
    QStringList m_loopsAgain;
    bool m_checkOnly = false;
    const std::atomic_bool *m_cancel = nullptr;

    QString title() const { return u"%1:%2 \"%3\""_s.arg(m_preset.bank).arg(m_preset.program).arg(m_preset.name); }

    bool fail(const QString &message)
    {
        result.error = message;
        return false;
    }

    std::shared_ptr<const sf2::SampleFrames> framesOf(int sample)
    {
        for (qsizetype i = 0; i < m_frames.size(); ++i) {
            if (m_frames.at(i).first == sample) {
                m_frames.move(i, 0);
                return m_frames.first().second;
            }
        }
        if (m_frames.size() >= 2) // a stereo pair
            m_frames.removeLast();
        m_frames.prepend({sample, std::make_shared<const sf2::SampleFrames>(sf2::sampleFrames(m_font, sample))});
        return m_frames.first().second;
    }

    bool resolve()
    {
        const sf2::Zone *presetGlobal = !m_preset.zones.isEmpty() && m_preset.zones.first().link < 0
                                          ? &m_preset.zones.first()
                                          : nullptr;
        int number = 0;
        qint64 pairs = 0;
        for (const sf2::Zone &presetZone : m_preset.zones) {
            if (presetZone.link < 0)
                continue;
            const sf2::Instrument &instrument = m_font.instruments.at(presetZone.link);
            const sf2::Zone *instrumentGlobal = !instrument.zones.isEmpty() && instrument.zones.first().link < 0
                                                  ? &instrument.zones.first()
                                                  : nullptr;
            m_instrumentName = instrument.name;
            m_instrumentZone = 0;
            for (const sf2::Zone &instrumentZone : instrument.zones) {
                if (instrumentZone.link < 0)
                    continue;
                // The work is bounded by what a set of MSPs can hold, not by the
                // product of the zone lists a small damaged file can name.
                if (++pairs > kMostZonePairs || m_zones.size() >= kMostZones)
                    return fail(QCoreApplication::translate("SoundFontExport", "preset %1 has more zones than the keyboard can hold (%2 at most)").arg(title()).arg(kMostZones));
                ++number, ++m_instrumentZone;
                if (!resolveZone(ZoneValues(&presetZone, presetGlobal, &instrumentZone, instrumentGlobal),
                                 instrumentZone.link, number))
                    return false;
            }
        }
        return true;
    }

    bool resolveZone(const ZoneValues &v, int sampleIndex, int number)
    {
        if (m_cancel && m_cancel->load())
            return fail(kCancelled);
        const sf2::SampleHeader &sample = m_font.samples.at(sampleIndex);
        Resolved z;
        z.zoneNumber = number;
        z.instrument = m_instrumentName;
        z.instrumentZone = m_instrumentZone;
        z.sample = sampleIndex;
        std::tie(z.lowKey, z.highKey) = v.range(Generator::KeyRange);
        std::tie(z.lowVelocity, z.highVelocity) = v.range(Generator::VelocityRange);
        if (z.lowKey > z.highKey || z.lowVelocity > z.highVelocity)
            return true; // no note reaches it
        if (sample.isRom()) {
            ++m_leftOut[QCoreApplication::translate("SoundFontExport", "zones playing samples of a sound chip's memory")];
            return true;
        }
        const QString who = u"preset %1, sample \"%2\""_s.arg(title(), sample.name);
        if (m_checkOnly && sample.isCompressed())
            return true;
        // SF2 lengths are in the header; SF3's only in the decoded stream.
        qint64 length = qint64(sample.end) - qint64(sample.start);
        if (!m_checkOnly && sample.isCompressed()) {
            if (const auto known = m_lengths.constFind(sampleIndex); known != m_lengths.cend()) {
                length = *known;
            } else {
                const std::shared_ptr<const sf2::SampleFrames> frames = framesOf(sampleIndex);
                if (!frames->error.isEmpty())
                    return fail(frames->error);
                length = qint64(frames->frames.size());
                m_lengths.insert(sampleIndex, length);
            }
        }
        z.start = v.offset(Generator::StartOffset, Generator::StartCoarseOffset);
        z.end = length + v.offset(Generator::EndOffset, Generator::EndCoarseOffset);
        if (z.start < 0 || z.end > length || z.end <= z.start)
            return fail(QCoreApplication::translate("SoundFontExport", "%1: its offsets give frames %2..%3, outside its %4 frames").arg(who).arg(z.start).arg(z.end).arg(
                length));
        const int modes = v.instrumentValue(Generator::SampleModes) & 3;
        z.looped = modes == 1 || modes == 3;
        z.loopStart = sample.loopStart + v.offset(Generator::StartLoopOffset, Generator::StartLoopCoarseOffset);
        z.loopEnd = sample.loopEnd + v.offset(Generator::EndLoopOffset, Generator::EndLoopCoarseOffset);
        if (z.looped && (z.loopStart < z.start || z.loopEnd > z.end || z.loopEnd <= z.loopStart))
            return fail(QCoreApplication::translate("SoundFontExport", "%1: its loop %2..%3 lies outside the sample (%4..%5)").arg(who)
                            .arg(z.loopStart)
                            .arg(z.loopEnd)
                            .arg(z.start)
                            .arg(z.end));
        const int rootKey = v.instrumentValue(Generator::RootKey);
        z.root = rootKey >= 0 ? rootKey : sample.originalPitch <= 127 ? sample.originalPitch : 60;
        z.cents = 100.0 * v.value(Generator::CoarseTune) + v.value(Generator::FineTune) + sample.pitchCorrection;
        z.pan = v.value(Generator::Pan);
        z.isLeft = z.pan < 0 || (z.pan == 0 && (sample.type & 4) != 0);
        z.isRight = z.pan > 0 || (z.pan == 0 && (sample.type & 2) != 0);
        z.scaleTuning = v.value(Generator::ScaleTuning);
        z.attenuation = v.value(Generator::Attenuation);
        z.attack = v.value(Generator::VolEnvAttack);
        z.decay = v.value(Generator::VolEnvDecay);
        z.sustain = v.value(Generator::VolEnvSustain);
        z.release = v.value(Generator::VolEnvRelease);
        z.hold = v.value(Generator::VolEnvHold);
        z.delay = v.value(Generator::VolEnvDelay);
        z.keyToHold = v.value(Generator::KeyToVolEnvHold);
        z.keyToDecay = v.value(Generator::KeyToVolEnvDecay);
        constexpr auto kModEnvDecay = Generator(28), kModEnvSustain = Generator(29); // sustain: 0.1 % below full
        z.cutoff = v.value(Generator::FilterCutoff);
        z.modEnvToCutoff = v.value(Generator::ModEnvToFilter);
        z.modSustain = 1 - std::clamp(int(v.value(kModEnvSustain)), 0, 1000) / 1000.0;
        z.modDecay = seconds(std::clamp(int(v.value(kModEnvDecay)), kShortestTime, 8000));
        z.modDelay = seconds(v.value(Generator::ModEnvDelay));
        z.resonance = std::clamp(v.value(Generator::FilterQ), 0, 960);
        if (v.modulatorCount() > 0)
            ++m_leftOut[QCoreApplication::translate("SoundFontExport", "modulators")];
        for (const LeftOut &leftOut : kLeftOut) {
            if (std::any_of(leftOut.generators.begin(), leftOut.generators.end(),
                            [&](int g) { return g >= 0 && v.isChanged(Generator(g)); }))
                ++m_leftOut[QCoreApplication::translate("SoundFontExport", leftOut.what)];
        }
        m_zones.append(z);
        return true;
    }

    // The right side's rate over the left's: its frames are played faster by this.
    double rightRatio(const Resolved &z) const
    {
        return z.rightSample < 0 ? 1.0 : double(m_font.samples.at(z.rightSample).sampleRate) / m_font.samples.at(z.sample).sampleRate;
    }

    // Stereo: a left and a right zone over the same keys and velocities become one
    // zone, partners at one rate, as long and looped alike first; sides of unequal
    // lengths, loops or rates are padded when written (renderOnce), never split.
    // The samples' links are not trusted: fonts that say nothing else leave them at 0.
    void pairStereo()
    {
        const auto alike = [this](const Resolved &left, const Resolved &right) {
            return m_font.samples.at(right.sample).sampleRate == m_font.samples.at(left.sample).sampleRate
                && right.end - right.start == left.end - left.start && right.looped == left.looped
                && (!left.looped
                    || (right.loopStart - right.start == left.loopStart - left.start
                        && right.loopEnd - right.start == left.loopEnd - left.start));
        };
        for (const bool strict : {true, false}) {
            for (qsizetype i = 0; i < m_zones.size(); ++i) {
                Resolved &left = m_zones[i];
                if (!left.isLeft || left.rightSample >= 0)
                    continue;
                for (qsizetype j = 0; j < m_zones.size(); ++j) {
                    const Resolved &right = m_zones.at(j);
                    if (j == i || !right.isRight || right.rightSample >= 0 || right.lowKey != left.lowKey
                        || right.highKey != left.highKey || right.lowVelocity != left.lowVelocity
                        || right.highVelocity != left.highVelocity || (strict && !alike(left, right))
                        || right.root != left.root || right.cents != left.cents || right.scaleTuning != left.scaleTuning)
                        continue;
                    const double ratio = double(m_font.samples.at(right.sample).sampleRate) / m_font.samples.at(left.sample).sampleRate;
                    if (ratio > kMostRateRatio || ratio < 1 / kMostRateRatio)
                        continue;
                    left.rightSample = right.sample;
                    left.rightStart = right.start;
                    left.rightEnd = right.end;
                    left.rightLooped = right.looped;
                    left.rightLoopStart = right.loopStart;
                    left.rightLoopEnd = right.loopEnd;
                    left.pan = 0;
                    m_zones.removeAt(j);
                    if (j < i)
                        --i;
                    ++m_stereoPairs;
                    break;
                }
            }
        }
        for (const Resolved &zone : std::as_const(m_zones)) {
            if (zone.rightSample < 0 && zone.pan != 0)
                ++m_leftOut[QCoreApplication::translate("SoundFontExport", "the pan of mono zones")];
        }
    }

    // The zone's sound as a WAV at its own rate: the window, the loop, the root
    // and the sample's pitch in its sampler chunk. Equal cuts share one file.
    bool extract(Resolved &z)
    {
        if (m_cancel && m_cancel->load())
            return fail(kCancelled);
        const sf2::SampleHeader &sample = m_font.samples.at(z.sample);
        const int rate = int(sample.sampleRate);
        QString key = soundKey(z);
        const double zoneDb = z.others.empty() ? 0.0 : zoneFilterDb(z); // each layer's filter measured once
        for (const Resolved &other : z.others) // a mix: each layer's sound and how it joins
            key += u" | %1 %2 %3 %4 %5 %6 %7 %8"_s.arg(soundKey(other)).arg(z.root).arg(z.cents).arg(z.attenuation).arg(z.pan)
                       .arg(other.root).arg(other.cents).arg(other.attenuation) + u" %1 %2 %3 %4"_s.arg(other.pan).arg(other.scaleTuning).arg(number(layerFilterDb(z, other, zoneDb))).arg(number(layerFilterDb(z, z, zoneDb)))
                   + envelopeKey(z, z) + envelopeKey(z, other) + u" %1"_s.arg(number(playedFaster(z)));
        // Zones playing one sound name one file, which the export writes once, whatever
        // their roots: each slot's KEY says its own, the file's chunk the first one's.
        Extracted done = m_written.value(key);
        if (done.file.isEmpty()) {
            // Many headers over one long sample would write it many times over: what a
            // preset writes is bounded by what the font holds.
            const auto framesMade = [this](const Resolved &zone) {
                return zone.end - zone.start + (zone.rightSample >= 0 ? qint64(double(zone.rightEnd - zone.rightStart) / rightRatio(zone)) + 1 : 0);
            };
            m_extractedFrames += framesMade(z);
            for (const Resolved &other : z.others) // a mix reads each layer
                m_extractedFrames += framesMade(other);
            if (m_extractedFrames > (m_font.isCompressed ? 16 : 4) * m_font.smpl.size + kMostZones * 1024)
                return fail(QCoreApplication::translate("SoundFontExport", "preset %1 plays its samples in more cuts than the keyboard can hold").arg(title()));
            Rendered sound;
            int attenuation = 0, envelopeLayer = 0;
            if (!(z.others.empty() ? renderOnce(z, sound) : renderMix(z, sound, attenuation, envelopeLayer)))
                return false;
            // Zones whose cuts differ only in what the sound did not take (a mix following one
            // envelope, say) sound the same: one file.
            const QByteArray heard = soundDigest(sound, m_font.samples.at(z.sample).sampleRate);
            if (const auto same = m_soundFiles.constFind(heard); same != m_soundFiles.cend()) {
                done = {*same, sound.looped, sound.loopStart, sound.loopEnd, attenuation, envelopeLayer};
            } else {
                const QString name = z.rightSample >= 0 ? withoutSide(sample.name) : sample.name;
                done = {result.files->filePath(uniqueShortBase(name, m_takenNames) + u".WAV"_s), sound.looped, sound.loopStart,
                        sound.loopEnd, attenuation, envelopeLayer};
                if (!writeWav(done.file, z, sound))
                    return false;
                m_soundFiles.insert(heard, done.file);
            }
            m_written.insert(key, done);
        }
        z.file = done.file;
        if (done.envelopeLayer > 0 && size_t(done.envelopeLayer) <= z.others.size()) // the mix follows another layer's envelope
            keepEnvelope(z, Resolved(z.others[size_t(done.envelopeLayer - 1)]));
        z.attenuation = std::max(std::min(0, z.attenuation), z.attenuation - done.attenuation);
        z.looped = done.looped;
        z.loopStart = z.start + done.loopStart;
        z.loopEnd = z.start + done.loopEnd;
        // A loop whose length rounds when resampled detunes the held note:
        // FINE takes the difference.
        if (z.looped && rate != kKeyboardRate) {
            const double ratio = double(kKeyboardRate) / rate;
            const qint64 scaled = std::llround(double(z.loopEnd - z.start) * ratio)
                                - std::llround(double(z.loopStart - z.start) * ratio);
            const double exact = double(z.loopEnd - z.loopStart) * ratio;
            const double correction = scaled > 0 ? 1200.0 * std::log2(double(scaled) / exact) : 0.0;
            if (std::abs(correction) >= 0.5) {
                z.cents += correction;
                const QString line = QCoreApplication::translate("SoundFontExport", "  %1: a loop of %2 frames at %3 Hz is %4 frames at 44.1 kHz; tuned %5 cents")
                                         .arg(sample.name)
                                         .arg(z.loopEnd - z.loopStart)
                                         .arg(rate)
                                         .arg(scaled)
                                         .arg(number(correction));
                if (!m_approximated.contains(line))
                    m_approximated << line;
            }
        }
        z.filterDb = zoneFilterDb(z);
        return true;
    }

    // The level that the zone's lowpass (two poles, as the reference player has it)
    // takes from its sample played at the middle of its keys, through the loop as a held
    // note plays it: the keyboard has no filter, so VOLUME takes the loss. The modulation
    // envelope stays at 0 through its delay, then falls linearly from full to its sustain
    // in its decay time; the loss is the mean power over the note's first second. A
    // resonant lowpass is played softer by half its peak in dB (measured on FluidSynth:
    // presets of 70 and 90 cB sound 3.5 and 4.5 dB softer), which the keyboard takes too.
    double filterLossDb(const Resolved &z)
    {
        constexpr int kTimes = 5;
        const double rate = m_font.samples.at(z.sample).sampleRate;
        const double shift = playedFaster(z);
        double gain = 0;
        std::shared_ptr<const sf2::SampleFrames> frames;
        for (int t = 0; t < kTimes; ++t) {
            const double at = (t + 0.5) / kTimes - z.modDelay;
            const double envelope = at < 0 ? 0.0 : std::max(z.modSustain, 1 - at / std::max(z.modDecay, 1e-3));
            const double cutoffHz = 8.176 * std::exp2((z.cutoff + z.modEnvToCutoff * envelope) / 1200.0);
            const double hz = cutoffHz / shift; // on the sample's own scale
            if (cutoffHz >= 0.45 * kKeyboardRate || hz >= 0.45 * rate || rate <= 0) {
                gain += 1.0 / kTimes;
                continue;
            }
            if (!frames)
                frames = framesOf(z.sample);
            // Its peak: a Q of 0.707 (flat) raised by the resonance.
            const double w = 2 * std::numbers::pi * hz / rate, cosw = std::cos(w),
                         alpha = std::sin(w) / std::sqrt(2.0) / std::pow(10.0, z.resonance / 200.0);
            const double a0 = 1 + alpha, b0 = (1 - cosw) / 2 / a0, b1 = (1 - cosw) / a0, a1 = -2 * cosw / a0, a2 = (1 - alpha) / a0;
            double x1 = 0, x2 = 0, y1 = 0, y2 = 0, in = 0, out = 0;
            const qint64 size = qint64(frames->frames.size()), end = z.looped ? z.loopEnd : z.end;
            for (qint64 n = 0, i = z.start; n < qint64(rate) && i < std::min(end, size); ++n) {
                const double x = frames->frames[size_t(i)];
                i = z.looped && i + 1 == end ? z.loopStart : i + 1;
                const double y = b0 * (x + x2) + b1 * x1 - a1 * y1 - a2 * y2;
                x2 = x1, x1 = x, y2 = y1, y1 = y;
                in += x * x, out += y * y;
            }
            gain += (in > 0 ? out / in : 1.0) / kTimes;
        }
        return (gain > 0 ? 10 * std::log10(gain) : 0.0) - z.resonance / 20.0;
    }

    // A mix: each layer's lowpass takes its own loss, on the keys of the zone it is
    // mixed into; the least loss goes to VOLUME, the rest into the mix.
    double layerLossDb(const Resolved &z, Resolved layer)
    {
        layer.lowKey = z.lowKey, layer.highKey = z.highKey;
        layer.others.clear();
        return filterLossDb(layer);
    }
    double zoneFilterDb(const Resolved &z)
    {
        double least = layerLossDb(z, z);
        for (const Resolved &other : z.others)
            least = std::max(least, layerLossDb(z, other));
        return least;
    }
    // zoneDb: zoneFilterDb(z), measured once for all of its layers.
    double layerFilterDb(const Resolved &z, const Resolved &layer, double zoneDb) { return layerLossDb(z, layer) - zoneDb; }

    // The layer of a mix whose envelope the zone keeps, and whether the others' own
    // envelopes go into the mix against it (held at most mostAbove() over it) or the mix
    // simply follows it: the choice whose summed level best follows the layers' sum
    // through a note's first seconds (mean dB apart), across the zone's keys (which
    // play the mix's time faster or slower), each layer weighed by its power
    // in the mix and silent past its sample's end. Of the choices within half a dB:
    // no envelopes in the mix, then the layer sounding longest.
    std::pair<int, bool> envelopeLayer(const Resolved &z, const std::vector<const Resolved *> &layers, const std::vector<wav::MixPart> &parts, double rate) const
    {
        constexpr double kJudged = 3.0, kStep = 0.02, kNear = 0.5;
        std::vector<EnvelopeShape> shapes, played;
        std::vector<double> power, ends;
        for (size_t i = 0; i < layers.size(); ++i) {
            const wav::MixPart &part = parts[i];
            shapes.push_back(envelopeOf(*layers[i], z.lowKey, z.highKey));
            played.push_back(envelopeOf(*layers[i], z.lowKey, z.highKey, false));
            double sum = 0;
            for (const float value : part.samples)
                sum += double(value) * double(value);
            power.push_back(part.gain * part.gain * sum / double(std::max<size_t>(part.samples.size(), 1)));
            // Seconds at the middle of the zone's keys.
            ends.push_back(part.looped ? HUGE_VAL : double(part.samples.size()) / part.channels / part.ratio / std::max(rate, 1.0) / playedFaster(z));
        }
        const int middle = (z.lowKey + z.highKey + 1) / 2;
        const auto errorOf = [&](size_t k, bool mixed) {
            const EnvelopeShape &kept = played[k];
            double total = 0;
            for (const int key : {z.lowKey, (z.lowKey + middle) / 2, middle, (middle + z.highKey) / 2, z.highKey}) {
                const double faster = std::exp2((key - middle) * z.scaleTuning / 1200.0);
                std::vector<double> truth, held;
                for (double t = 0; t <= kJudged; t += kStep) {
                    double sum = 0, ours = 0;
                    for (size_t i = 0; i < shapes.size(); ++i) {
                        if (t * faster >= ends[i])
                            continue;
                        sum += power[i] * std::pow(10.0, shapes[i].db(t) / 10);
                        const double at = t * faster; // where the mix is then
                        const double above = mixed ? std::clamp(shapes[i].db(at) - kept.db(at), -120.0, mostAbove(kept, at)) : 0.0;
                        ours += power[i] * std::pow(10.0, (kept.db(t) + above) / 10);
                    }
                    truth.push_back(sum), held.push_back(ours);
                }
                // Times more than 40 dB below the loudest are not judged.
                const double audible = *std::max_element(truth.begin(), truth.end()) * 1e-4;
                double sum = 0;
                int judged = 0;
                for (size_t step = 0; step < truth.size(); ++step)
                    if (truth[step] > audible && truth[step] > 0)
                        sum += std::abs(10 * std::log10(std::max(held[step], 1e-30) / truth[step])), ++judged;
                total += sum / std::max(judged, 1) / 5;
            }
            return total;
        };
        std::vector<std::tuple<double, bool, std::pair<double, double>, int>> choices; // error, mixed, length, layer
        for (size_t k = 0; k < layers.size(); ++k) {
            const auto length = soundLength(*layers[k], shapes[k], m_font.samples.at(layers[k]->sample).sampleRate);
            for (const bool mixed : {false, true})
                choices.emplace_back(errorOf(k, mixed), mixed, length, int(k));
        }
        const double least = std::get<0>(*std::min_element(choices.begin(), choices.end()));
        std::erase_if(choices, [&](const auto &c) { return std::get<0>(c) > least + kNear; });
        const auto best = std::min_element(choices.begin(), choices.end(), [](const auto &a, const auto &b) {
            return std::get<1>(a) != std::get<1>(b) ? !std::get<1>(a) : std::get<2>(a) > std::get<2>(b);
        });
        return {std::get<3>(*best), std::get<1>(*best)};
    }
    // How far a layer is held above the kept envelope at a time: during its attack not
    // at all (the layer rises with it), else kMostAbove dB at most.
    static double mostAbove(const EnvelopeShape &kept, double at) { return at < kept.attackEnd ? 0.0 : kMostAbove; }
    // A layer's envelope against the zone's, as points where either bends, in the
    // sound's own time (played faster at the middle of its keys); a layer louder than
    // the zone's envelope allows is held up to mostAbove() over it.
    static std::vector<std::pair<double, double>> relativeEnvelope(const Resolved &z, const Resolved &layer, const Resolved &kept)
    {
        const EnvelopeShape own = envelopeOf(layer, z.lowKey, z.highKey), zone = envelopeOf(kept, z.lowKey, z.highKey, false);
        std::vector<double> times{0, own.delay, own.attackEnd, own.holdEnd, own.sustainAt, zone.attackEnd, zone.holdEnd, zone.sustainAt};
        constexpr int kAttackPoints = 16; // an attack rises in amplitude, not in dB
        for (const EnvelopeShape *shape : {&own, &zone})
            for (int i = 1; i < kAttackPoints; ++i)
                times.push_back(shape->delay + (shape->attackEnd - shape->delay) * i / kAttackPoints);
        // Once the kept envelope is 60 dB down for good, what follows is not heard: the
        // layers hold their levels from there, and the loop may be sought there.
        const double unheard = zone.sustainDb > -60 ? HUGE_VAL : zone.holdEnd + (zone.sustainAt - zone.holdEnd) * 60 / -zone.sustainDb;
        if (std::isfinite(unheard))
            times.push_back(unheard);
        std::sort(times.begin(), times.end());
        times.erase(std::unique(times.begin(), times.end()), times.end());
        std::vector<std::pair<double, double>> points;
        for (const double t : times)
            if (t <= unheard)
                points.emplace_back(t * playedFaster(z), std::clamp(own.db(t) - zone.db(t), -120.0, mostAbove(zone, t)));
        return points;
    }
    static void keepEnvelope(Resolved &z, const Resolved &kept)
    {
        z.attack = kept.attack, z.hold = kept.hold, z.decay = kept.decay, z.sustain = kept.sustain, z.release = kept.release;
        z.keyToHold = kept.keyToHold, z.keyToDecay = kept.keyToDecay;
    }
    static QString envelopeKey(const Resolved &z, const Resolved &layer)
    {
        const int fromMiddle = 60 - (z.lowKey + z.highKey + 1) / 2;
        return u" %1 %2 %3 %4 %5 %6"_s.arg(layer.attack).arg(layer.hold + layer.keyToHold * fromMiddle).arg(layer.decay + layer.keyToDecay * fromMiddle).arg(layer.sustain).arg(layer.release).arg(layer.delay);
    }

    static QString soundKey(const Resolved &z)
    {
        QString key = u"%1 %2 %3 %4 %5 %6 %7"_s.arg(z.sample)
                          .arg(z.rightSample)
                          .arg(z.start)
                          .arg(z.end)
                          .arg(z.rightStart)
                          .arg(z.looped ? z.loopStart : -1)
                          .arg(z.looped ? z.loopEnd : -1);
        if (z.rightSample >= 0)
            key += u" %1 %2 %3"_s.arg(z.rightEnd).arg(z.rightLooped ? z.rightLoopStart : -1).arg(z.rightLooped ? z.rightLoopEnd : -1);
        return key;
    }

    // The layers of a zone as the font sounds them at its root: the zone's own
    // sound, and each other layer brought to the same pitch (its root, tuning and
    // scale tuning against the zone's, and its rate), at its level against the
    // zone's (attenuation, as players apply it) and, when pans differ, in stereo at its pan. Held
    // sounds run through their loops and the loop is sought again on the mix.
    // attenuation: centibels taken off the mix so that it fits full scale.
    // envelopeLayer: the layer whose envelope the zone keeps.
    bool renderMix(const Resolved &z, Rendered &sound, int &attenuation, int &envelopeLayer)
    {
        const auto partOf = [](const Rendered &rendered) {
            wav::MixPart part;
            part.channels = rendered.channels;
            part.samples.resize(rendered.frames.size());
            for (size_t i = 0; i < rendered.frames.size(); ++i)
                part.samples[i] = float(double(rendered.frames[i]) / kFullScale);
            part.looped = rendered.looped;
            part.loopStart = rendered.loopStart;
            part.loopEnd = rendered.loopEnd;
            return part;
        };
        Resolved own = z;
        own.others.clear();
        Rendered first;
        if (!render(own, first))
            return false;
        std::vector<wav::MixPart> parts{partOf(first)};
        parts[0].pan = z.pan / 500.0;
        const double zoneDb = zoneFilterDb(z);
        parts[0].gain = std::pow(10.0, layerFilterDb(z, z, zoneDb) / 20.0);
        const double rate = m_font.samples.at(z.sample).sampleRate;
        for (const Resolved &other : z.others) {
            Rendered layer;
            if (!render(other, layer))
                return false;
            wav::MixPart part = partOf(layer);
            const double cents = (z.root - other.root) * other.scaleTuning + other.cents - z.cents;
            part.ratio = m_font.samples.at(other.sample).sampleRate / rate * std::pow(2.0, cents / 1200.0);
            part.gain = std::pow(10.0, -kAttenuationShare * (other.attenuation - z.attenuation) / 200.0 + layerFilterDb(z, other, zoneDb) / 20.0);
            part.pan = other.pan / 500.0;
            parts.push_back(std::move(part));
        }
        std::vector<const Resolved *> layers{&own};
        for (const Resolved &other : z.others)
            layers.push_back(&other);
        const auto [kept, mixed] = this->envelopeLayer(z, layers, parts, rate);
        envelopeLayer = kept;
        for (size_t i = 0; i < parts.size() && mixed; ++i)
            parts[i].envelope = relativeEnvelope(z, *layers[i], *layers[size_t(kept)]);
        const wav::LayerMix mix = wav::mixLayers(parts, int(rate), kLongestMix * qint64(rate));
        if (!mix.ok)
            return fail(QCoreApplication::translate("SoundFontExport", "preset %1: a layer cannot be brought to the pitch of %2").arg(title(), m_font.samples.at(z.sample).name));
        // Above full scale the mix is made quieter and the zone's volume louder.
        attenuation = int(std::lround(-200.0 * std::log10(mix.scale) / kAttenuationShare)); // centibels as players count them
        sound.channels = mix.channels;
        sound.frames = wav::fullScaleFrames(mix.samples.data(), mix.samples.size());
        sound.looped = mix.looped;
        sound.loopStart = mix.loopStart;
        sound.loopEnd = mix.loopEnd;
        if (mix.loopSought && !mix.looped) {
            sound.looped = first.looped; // the first layer's loop is better than none
            sound.loopStart = first.loopStart;
            sound.loopEnd = first.loopEnd;
            m_loopsAgain << QCoreApplication::translate("SoundFontExport", "  %1: no loop found on the mix; %2").arg(
                withoutSide(m_font.samples.at(z.sample).name),
                first.looped ? QCoreApplication::translate("SoundFontExport", "the first layer's loop is kept") : QCoreApplication::translate("SoundFontExport", "it plays without a loop"));
        } else if (mix.looped) {
            m_loopsAgain << u"  %1: %2"_s.arg(withoutSide(m_font.samples.at(z.sample).name), QCoreApplication::translate("SoundFontExport", "loop %1-%2 found on the mix").arg(sound.loopStart).arg(sound.loopEnd));
        }
        if (std::max(0, z.attenuation) < attenuation) // a zone already louder than 0 cB gives nothing back
            m_approximated << QCoreApplication::translate("SoundFontExport", "  %1: the mix of its layers is %2 dB quieter than the font plays it").arg(
                withoutSide(m_font.samples.at(z.sample).name), number((attenuation - std::max(0, z.attenuation)) * kAttenuationShare / 10.0));
        return true;
    }

    // The frames of a zone (a stereo pair's two sides) at its sample's rate.
    bool render(const Resolved &z, Rendered &sound)
    {
        // Layers of several mixes play one sound: it is made once (a preset's mixed sounds are kept).
        const QString key = soundKey(z);
        if (const auto made = m_rendered.constFind(key); made != m_rendered.cend()) {
            sound = *made;
            return true;
        }
        if (!renderOnce(z, sound))
            return false;
        m_rendered.insert(key, sound);
        return true;
    }

    bool renderOnce(const Resolved &z, Rendered &sound)
    {
        const std::shared_ptr<const sf2::SampleFrames> leftFrames = framesOf(z.sample);
        const std::shared_ptr<const sf2::SampleFrames> rightFrames = z.rightSample >= 0 ? framesOf(z.rightSample) : nullptr;
        for (const auto &frames : {leftFrames, rightFrames}) {
            if (frames && !frames->error.isEmpty())
                return fail(frames->error);
        }
        const Side left{&leftFrames->frames, z.start, z.end - z.start, z.looped, z.loopStart - z.start, z.loopEnd - z.start};
        if (!rightFrames) {
            sound.channels = 1;
            sound.frames.resize(size_t(left.frames));
            for (qint64 i = 0; i < left.frames; ++i)
                sound.frames[size_t(i)] = left.at(i, 0);
            sound.looped = z.looped;
            sound.loopStart = left.loopStart;
            sound.loopEnd = left.loopEnd;
            return true;
        }
        Side right{&rightFrames->frames, z.rightStart, z.rightEnd - z.rightStart, z.rightLooped,
                   z.rightLoopStart - z.rightStart, z.rightLoopEnd - z.rightStart};
        // A right side at another rate is brought to the left's, its loop scaled with it.
        std::vector<qint32> resampled;
        if (const double ratio = rightRatio(z); ratio != 1.0) {
            std::vector<float> window(size_t(right.frames));
            for (qint64 i = 0; i < right.frames; ++i)
                window[size_t(i)] = float(double(right.at(i, 0)) / kFullScale);
            const std::vector<float> played = wav::resampleBy(window.data(), right.frames, 1, ratio);
            if (played.empty())
                return fail(QCoreApplication::translate("SoundFontExport", "preset %1: a layer cannot be brought to the pitch of %2").arg(title(), m_font.samples.at(z.sample).name));
            resampled = wav::fullScaleFrames(played.data(), played.size());
            const qint64 frames = qint64(resampled.size());
            right = {&resampled, 0, frames, right.looped, std::min(std::llround(double(right.loopStart) / ratio), frames),
                     std::min(std::llround(double(right.loopEnd) / ratio), frames)};
            right.looped = right.looped && right.loopEnd > right.loopStart;
            const QString line = QCoreApplication::translate("SoundFontExport", "  %1: right side resampled from %2 Hz to %3 Hz to pair it with the left")
                                     .arg(m_font.samples.at(z.rightSample).name)
                                     .arg(m_font.samples.at(z.rightSample).sampleRate)
                                     .arg(m_font.samples.at(z.sample).sampleRate);
            if (!m_resampledRights.contains(line))
                m_resampledRights << line;
        }
        const int rate = int(m_font.samples.at(z.sample).sampleRate);
        const PairShape shape = pairShape(left, right, rate);
        sound.channels = 2;
        sound.frames.resize(size_t(2 * shape.frames));
        for (qint64 i = 0; i < shape.frames; ++i) {
            sound.frames[size_t(2 * i)] = left.at(i, shape.loopUntil);
            sound.frames[size_t(2 * i + 1)] = right.at(i, shape.loopUntil);
        }
        sound.looped = shape.looped;
        sound.loopStart = shape.loopStart;
        sound.loopEnd = shape.loopEnd;
        if (left.frames != right.frames)
            ++m_paddedPairs;
        if (shape.seek && !findLoopAgain(sound, rate)) {
            const Side &looped = left.looped ? left : right; // the loop of one side is better than none
            sound.loopStart = looped.loopStart;
            sound.loopEnd = looped.loopEnd;
            m_loopsAgain << QCoreApplication::translate("SoundFontExport", "  %1: no loop fits both sides; the loop of one side is kept").arg(withoutSide(m_font.samples.at(z.sample).name));
        } else if (shape.seek) {
            m_loopsAgain << u"  %1: %2"_s.arg(withoutSide(m_font.samples.at(z.sample).name), QCoreApplication::translate("SoundFontExport", "loop %1-%2 found on both sides").arg(sound.loopStart).arg(sound.loopEnd));
        }
        return true;
    }

    bool writeWav(const QString &path, const Resolved &z, const Rendered &sound)
    {
        const sf2::SampleHeader &sample = m_font.samples.at(z.sample);
        // The sample's own pitch: its root, less its correction, as a fraction above the unity note.
        const int pitch = 100 * z.root - sample.pitchCorrection;
        const int unity = pitch >= 0 ? pitch / 100 : -((-pitch + 99) / 100);
        std::vector<wav::WrittenLoop> loops;
        if (sound.looped)
            loops.push_back({0, sound.loopStart, sound.loopEnd, 0});
        const QByteArray sampler = wav::samplerChunk(std::clamp(unity, 0, 127), pitch - 100 * unity, loops, int(sample.sampleRate));
        const int bits = m_font.sampleBits > 16 || m_font.isCompressed ? 24 : 16;
        if (const QString why = wav::writePcmFile(path, sound.frames, sound.channels, int(sample.sampleRate), bits, sampler); !why.isEmpty())
            return fail(QCoreApplication::translate("SoundFontExport", "cannot write %1: %2").arg(path, why));
        return true;
    }

    // The velocity whose layer a single set keeps: 100, else the loudest played.
    int chosenVelocity() const
    {
        int loudest = 0;
        for (const Resolved &zone : m_zones) {
            if (zone.lowVelocity <= 100 && 100 <= zone.highVelocity)
                return 100;
            loudest = std::max(loudest, zone.highVelocity);
        }
        return loudest;
    }

    QList<int> soundingAt(int velocity) const
    {
        QList<int> sounding;
        for (qsizetype i = 0; i < m_zones.size(); ++i) {
            if (m_zones.at(i).lowVelocity <= velocity && velocity <= m_zones.at(i).highVelocity)
                sounding << int(i);
        }
        return sounding;
    }

    static QString keysText(int low, int high)
    {
        return low == high ? msp::NoteName(low) : msp::NoteName(low) + u'-' + msp::NoteName(high);
    }

    // The keyboard sounds one slot a key: where zones of one set share keys, each
    // run of keys they share becomes one zone whose WAV mixes them (the first at
    // its root, the others brought to it); with --layers first they stay as they
    // are, and the report says where.
    QList<Resolved> oneSoundPerKey(const QList<int> &layer)
    {
        QList<Resolved> zones;
        const auto on = [&](int key) {
            QList<int> found;
            for (const int i : layer) {
                if (m_zones.at(i).lowKey <= key && key <= m_zones.at(i).highKey)
                    found << i;
            }
            return found;
        };
        if (!m_mix) {
            for (const int i : layer)
                zones << m_zones.at(i);
        }
        for (int key = 0; key <= 127;) {
            const QList<int> here = on(key);
            int last = key;
            while (last < 127 && on(last + 1) == here)
                ++last;
            QStringList names;
            for (const int i : here)
                names << withoutSide(m_font.samples.at(m_zones.at(i).sample).name);
            if (here.size() > 1) {
                const QString line = u"  %1: %2"_s.arg(keysText(key, last), names.join(u" + "_s));
                QStringList &said = m_mix ? m_mixed : m_layered;
                if (!said.contains(line))
                    said << line;
            }
            if (m_mix && !here.isEmpty()) {
                Resolved zone = m_zones.at(here.first());
                zone.lowKey = key;
                zone.highKey = last;
                for (qsizetype i = 1; i < here.size(); ++i) {
                    if (i >= kMostLayers) { // a mix of more is noise, and a damaged font's work unbounded
                        const QString line = u"  %1: %2"_s.arg(keysText(key, last)).arg(here.size() - kMostLayers);
                        if (!m_tooManyLayers.contains(line))
                            m_tooManyLayers << line;
                        break;
                    }
                    const Resolved &other = m_zones.at(here.at(i));
                    zone.lowVelocity = std::max(zone.lowVelocity, other.lowVelocity);
                    zone.highVelocity = std::min(zone.highVelocity, other.highVelocity);
                    zone.others.push_back(other);
                }
                zones << zone;
            }
            key = last + 1;
        }
        return zones;
    }

    // The keyboard plays 100 cents a key (or one pitch): a zone of another scale
    // tuning becomes runs of keys, each tuned to sound right at its middle key, as
    // many runs as the slots left free allow. The runs share one sound (a mix is made
    // once, at the zone's root and tuning); each slot gets its own tuning.
    QList<Resolved> followScaleTuning(const QList<Resolved> &zones) const
    {
        const auto tracked = [](const Resolved &z) { return z.scaleTuning != 0 && z.scaleTuning != 100; };
        qsizetype keys = 0;
        for (const Resolved &z : zones)
            keys += tracked(z) ? z.highKey - z.lowKey + 1 : 0;
        const qsizetype free = msp::kMaxSamples - zones.size();
        if (keys == 0 || free <= 0)
            return zones;
        QList<Resolved> out;
        for (const Resolved &z : zones) {
            if (!tracked(z)) {
                out << z;
                continue;
            }
            const int width = z.highKey - z.lowKey + 1;
            const int runs = int(std::min<qsizetype>(width, 1 + free * width / keys));
            for (int r = 0; r < runs; ++r) {
                Resolved run = z;
                run.lowKey = z.lowKey + r * width / runs;
                run.highKey = z.lowKey + (r + 1) * width / runs - 1;
                const double middle = (run.lowKey + run.highKey) / 2.0;
                run.runCents = (middle - z.root) * (z.scaleTuning - 100);
                run.scaleTuning = 100;
                out << run;
            }
        }
        return out;
    }

    // A lowpass takes more from a sample played higher: a filtered zone whose loss
    // differs by more than 1.5 dB between its lowest and highest keys becomes runs of
    // keys sharing its sound, each with the loss at its own middle, within the slots
    // left free.
    QList<Resolved> followFilter(const QList<Resolved> &zones)
    {
        const auto lossAt = [this](Resolved z, int low, int high) {
            z.lowKey = low, z.highKey = high;
            return zoneFilterDb(z);
        };
        const qsizetype free = msp::kMaxSamples - zones.size();
        if (free <= 0)
            return zones;
        QList<bool> varies;
        qsizetype keys = 0;
        for (const Resolved &z : zones) {
            varies << (z.filterDb < 0 && std::abs(lossAt(z, z.lowKey, z.lowKey) - lossAt(z, z.highKey, z.highKey)) > 1.5);
            keys += varies.last() ? z.highKey - z.lowKey + 1 : 0;
        }
        if (keys == 0)
            return zones;
        QList<Resolved> out;
        for (qsizetype i = 0; i < zones.size(); ++i) {
            const Resolved &z = zones.at(i);
            const int width = z.highKey - z.lowKey + 1;
            const int runs = varies.at(i) ? int(std::min<qsizetype>(width, 1 + free * width / keys)) : 1;
            for (int r = 0; r < runs; ++r) {
                Resolved run = z;
                run.lowKey = z.lowKey + r * width / runs;
                run.highKey = z.lowKey + (r + 1) * width / runs - 1;
                if (runs > 1)
                    run.filterDb = zoneFilterDb(run);
                out << run;
            }
        }
        return out;
    }

    // Velocity layers: the sets of zones sounding at each velocity, one per change.
    QList<QList<int>> splitLayers()
    {
        QList<QList<int>> layers;
        QList<int> previous;
        int from = 0;
        for (int velocity = 0; velocity <= 128; ++velocity) {
            QList<int> sounding;
            for (qsizetype i = 0; velocity <= 127 && i < m_zones.size(); ++i) {
                if (m_zones.at(i).lowVelocity <= velocity && velocity <= m_zones.at(i).highVelocity)
                    sounding << int(i);
            }
            if (sounding == previous)
                continue;
            if (!previous.isEmpty()) {
                layers << previous;
                m_layerNames << QCoreApplication::translate("SoundFontExport", "velocity %1-%2").arg(from).arg(velocity - 1);
            }
            previous = sounding;
            from = velocity;
        }
        return layers;
    }

    QList<sfz::RegionValues> regionsOf(const QList<Resolved> &zones, bool withVelocities) const
    {
        QList<sfz::RegionValues> regions;
        const QString placeName = QString(m_preset.name).replace(u'/', u'_');
        for (const Resolved &z : zones) {
            sfz::RegionValues region;
            // Named as the font's editors show a zone: no SFZ file has the line.
            region.place = {QCoreApplication::translate("SoundFontExport", "%1: instrument %2, zone %3")
                                .arg(placeName, QString(z.instrument).replace(u'/', u'_'))
                                .arg(z.instrumentZone),
                            0};
            region.sample = z.file;
            region.lowKey = z.lowKey;
            region.highKey = z.highKey;
            if (withVelocities) {
                region.lowVelocity = z.lowVelocity;
                region.highVelocity = z.highVelocity;
            }
            region.keyCenter = z.root;
            const double semitones = std::round((z.cents + z.runCents) / 100.0);
            region.transpose = semitones;
            region.tune = z.cents + z.runCents - 100.0 * semitones;
            if (z.scaleTuning != 100)
                region.keyTrack = z.scaleTuning;
            region.volume = zoneLevelDb(z.attenuation, z.rightSample < 0) + z.filterDb;
            region.attack = seconds(z.attack);
            // Hold and decay that change with the key, taken at the middle of the zone's keys.
            const int fromMiddle = 60 - (z.lowKey + z.highKey + 1) / 2;
            region.decay = decaySeconds(z.decay + z.keyToDecay * fromMiddle, z.hold + z.keyToHold * fromMiddle, z.sustain);
            region.sustain = 100.0 * sustainShare(z.sustain);
            region.release = releaseSeconds(z.release);
            regions.append(region);
        }
        return regions;
    }

    void writeNotes()
    {
        result.report << QCoreApplication::translate("SoundFontExport", "Preset %1: %2 zones").arg(title()).arg(m_zones.size() + m_stereoPairs);
        if (m_stereoPairs > 0)
            result.report << QCoreApplication::translate("SoundFontExport", "%1 left and right zone pairs written as stereo files").arg(m_stereoPairs);
        result.report << m_resampledRights;
        if (m_paddedPairs > 0)
            result.report << QCoreApplication::translate("SoundFontExport", "%1 stereo files of sides of unequal lengths: the shorter side ends in silence or its own loop").arg(m_paddedPairs);
        if (!m_mixed.isEmpty())
            result.report << QCoreApplication::translate("SoundFontExport", "Layers sounding together on a key, mixed into one sample (each at its level, pan and tuning):") << m_mixed;
        if (!m_tooManyLayers.isEmpty())
            result.report << QCoreApplication::translate("SoundFontExport", "More than %1 layers on a key: the first %1 mixed, the others (counted) left out:").arg(kMostLayers) << m_tooManyLayers;
        if (!m_layered.isEmpty())
            result.report << QCoreApplication::translate("SoundFontExport", "Warning: layers sounding together on a key, kept as overlapping samples (--layers first): the keyboard sounds only the first:") << m_layered;
        if (!m_loopsAgain.isEmpty())
            result.report << QCoreApplication::translate("SoundFontExport", "Loops sought again on the sound written:") << m_loopsAgain;
        if (!m_leftOut.isEmpty()) {
            result.report << QCoreApplication::translate("SoundFontExport", "SoundFont features the keyboard cannot express, left out:");
            for (auto it = m_leftOut.cbegin(); it != m_leftOut.cend(); ++it)
                result.report << u"  %1 (%2 zones)"_s.arg(it.key()).arg(it.value());
        }
        if (!m_approximated.isEmpty())
            result.report << QCoreApplication::translate("SoundFontExport", "Short loops kept in tune at 44.1 kHz by FINE:") << m_approximated;
    }
};

bool isLibraryFile(const QFileInfo &file)
{
    const QString suffix = file.suffix().toLower();
    return file.isFile() && (suffix == u"sfz" || suffix == u"sf2" || suffix == u"sf3");
}

bool isSoundFontFile(const QFileInfo &file)
{
    const QString suffix = file.suffix().toLower();
    return suffix == u"sf2" || suffix == u"sf3";
}

// What the sets of an instrument wrote.
struct Written {
    QStringList written, replaced, loops, notes;
    QString systemReason; // a write that failed: the system's reason
};

// Writes the sets into folder (which must exist); empty when done, else why not.
// A failed set takes away what the instrument's earlier sets made anew; the files
// they wrote over older ones stay, the older ones being gone already.
QString exportSets(const QList<PresetSet> &sets, const QString &folder, Written &done, const ExportOptions &options,
                   const std::atomic_bool *cancel)
{
    FolderSounds sounds; // the velocity layers' sets share what they play
    for (const PresetSet &set : sets) {
        ExportRequest request;
        request.options = options;
        request.cancel = cancel;
        QString reason;
        if (!sfz::fillMspRecord(set.import, request.record)) {
            reason = u"%1 has no sample to export"_s.arg(set.mspFileName);
        } else {
            request.mspFileName = set.mspFileName;
            request.targetFolder = folder;
            request.sourceFor = [&set](int slot) {
                const sfz::ImportedSample sample = set.import.samples.value(slot - 1);
                return SlotSource(sample.sourcePath, sample.cut);
            };
            const ExportResult result = exportSharingFolder(request, sounds);
            if (result.status == ExportStatus::Done) {
                done.written << result.written;
                done.replaced << result.replaced;
                done.loops << result.loops;
                for (const QString &note : result.notes)
                    done.notes << (sets.size() > 1 ? u"%1: %2"_s.arg(set.mspFileName, note) : note);
                continue;
            }
            reason = result.status == ExportStatus::Cancelled ? kCancelled : result.message;
            done.systemReason = result.systemReason;
        }
        if (reason.endsWith(u'.'))
            reason.chop(1);
        const QStringList kept = done.replaced;
        for (const QString &path : std::as_const(done.written)) {
            if (!kept.contains(path))
                QFile::remove(path);
        }
        done.written = kept;
        if (!kept.isEmpty())
            reason += u"; %1 files written before it replaced older ones and are kept"_s.arg(kept.size());
        return reason;
    }
    return {};
}

// One instrument of a bank or library folder: an SFZ file or a SoundFont preset.
struct Job {
    QString sfzPath;
    const sf2::SoundFont *font = nullptr;
    int preset = -1;
    QString title;     // "0:0 Piano 1" or the SFZ's file name
    QString subfolder; // 8.3
    QString error;
    ExportFault fault = ExportFault::None;
    QString systemReason; // Folder, Write
    QString summary;
    InstrumentExport done;
};

// Each instrument is written whole or not at all; a damaged one is refused with its
// reason and the others are written.
int exportJobs(QList<Job> &jobs, const QString &folder, bool velocityLayers, QTextStream &out, QTextStream &err,
               const ExportOptions &options)
{
    const auto failWith = [&](const QString &reason) {
        err << "TAMO export: " << reason << Qt::endl;
        return 1;
    };
    if (jobs.isEmpty())
        return failWith(u"nothing to export"_s);
    const std::atomic_bool *cancel = util::cancelOnInterruption(); // Ctrl-C, kill and a closed terminal stop it
    util::forEachInParallel(std::size_t(jobs.size()), [&](std::size_t i) {
        Job &job = jobs[qsizetype(i)];
        if (job.font) {
            job.error = checkPreset(*job.font, job.preset, cancel);
        } else {
            // Only whether it imports: the export mixes its layers once.
            const sfz::SfzImport imported = sfz::importSfz(job.sfzPath, sfz::Layers::AsGiven);
            job.error = !imported.ok() ? imported.error.text()
                      : imported.samples.isEmpty() ? u"%1 has no region to export"_s.arg(job.sfzPath) : QString();
        }
    });
    QStringList created; // folders made, deepest first; they go again if nothing is written
    if (QString reason; !util::makeFolders(folder, &created, &reason))
        return failWith(u"cannot create the folder %1: %2"_s.arg(folder, reason));
    util::forEachInParallel(std::size_t(jobs.size()), [&](std::size_t i) {
        Job &job = jobs[qsizetype(i)];
        if (!job.error.isEmpty())
            return;
        if (cancel->load()) {
            job.error = kCancelled;
            return;
        }
        const QString sub = QDir(folder).filePath(job.subfolder);
        const bool made = !QFileInfo::exists(sub);
        if (QString why; made && !util::makeFolder(sub, &why)) {
            job.error = u"cannot create the folder %1: %2"_s.arg(sub, why);
            job.fault = ExportFault::Folder;
            job.systemReason = why;
            return;
        }
        if (job.font) {
            job.done = exportPreset(*job.font, job.preset, sub, velocityLayers, job.subfolder, options, cancel);
            job.summary = u"%1 -> %2 (%3 MSP, %4 samples)"_s.arg(job.title, QDir::toNativeSeparators(sub))
                              .arg(job.done.sets)
                              .arg(job.done.samples);
        } else {
            job.done = exportSfzInstrument(job.sfzPath, sub, options, cancel);
            if (!job.done.overlap.isEmpty()) // overlapping slots are said in the bank's output too
                job.done.notes = QStringList{job.done.overlap};
            else
                job.done.notes.clear();
            job.summary = u"%1 -> %2"_s.arg(job.title, QDir::toNativeSeparators(sub));
        }
        job.error = job.done.error;
        job.fault = job.done.fault;
        job.systemReason = job.done.systemReason;
        if (!job.error.isEmpty() && made)
            QDir().rmdir(sub); // only when nothing is left in it
    });
    int written = 0;
    QStringList refused;
    for (const Job &job : std::as_const(jobs)) {
        if (!job.error.isEmpty()) {
            if (job.error != kCancelled)
                refused << u"%1: %2"_s.arg(job.title, job.error);
            continue;
        }
        ++written;
        out << job.summary << Qt::endl;
        for (const QString &line : job.done.loops)
            out << job.subfolder << '/' << line << Qt::endl;
        for (const QString &line : job.done.notes)
            out << job.subfolder << ": " << line << Qt::endl;
    }
    for (const Job &job : std::as_const(jobs)) {
        for (const QString &path : job.done.replaced)
            out << "Replaced: " << QDir::toNativeSeparators(path) << Qt::endl;
    }
    if (written == 0)
        util::removeEmptyFolders(created);
    // A bank refused whole for one system reason (a read-only or full stick) is said once.
    const auto systemReason = [](const Job &job) {
        const bool system = job.fault == ExportFault::Folder || job.fault == ExportFault::Write;
        return system ? job.systemReason : QString();
    };
    const QString common = systemReason(jobs.first());
    const bool oneReason = refused.size() > 1 && refused.size() == jobs.size() && !common.isEmpty()
                        && std::all_of(jobs.cbegin(), jobs.cend(), [&](const Job &job) { return systemReason(job) == common; });
    if (oneReason)
        err << "Refused: all " << refused.size() << " instruments: " << common << " (the first: " << refused.first() << ')' << Qt::endl;
    for (qsizetype i = 0; !oneReason && i < refused.size(); ++i)
        err << "Refused: " << refused.at(i) << Qt::endl;
    if (cancel->load())
        return failWith(u"interrupted; %1 of %2 instruments written whole, nothing of the others"_s.arg(written).arg(jobs.size()));
    if (!refused.isEmpty())
        return failWith(oneReason     ? u"all %1 instruments refused: %2"_s.arg(refused.size()).arg(common)
                        : written == 0 ? refused.first()
                                       : u"%1 of %2 instruments refused"_s.arg(refused.size()).arg(jobs.size()));
    return 0;
}

QString presetTitle(const sf2::Preset &preset)
{
    return u"%1:%2 %3"_s.arg(preset.bank).arg(preset.program).arg(preset.name);
}

} // namespace

QString uniqueShortBase(const QString &name, ShortNames &taken)
{
    const QString candidate = util::freeStickName(util::stickName(name), QString(),
                                                  [&](const QString &n) { return !taken.names.contains(n); });
    taken.names.insert(candidate);
    return candidate;
}

InstrumentExport exportPreset(const sf2::SoundFont &font, int presetIndex, const QString &folder, bool velocityLayers,
                              const QString &baseName, const ExportOptions &options, const std::atomic_bool *cancel)
{
    InstrumentExport done;
    const PresetImport import = importPreset(font, presetIndex, velocityLayers, baseName, cancel, !options.firstLayer);
    if (!import.ok()) {
        done.fault = import.error == kCancelled ? ExportFault::Cancelled : ExportFault::Input;
        done.error = import.error;
        return done;
    }
    done.imported = true;
    done.report = import.report;
    done.sets = import.sets.size();
    for (const PresetSet &set : import.sets)
        done.samples += set.import.samples.size();
    QStringList created;
    if (QString reason; !util::makeFolders(folder, &created, &reason)) {
        done.fault = ExportFault::Folder;
        done.systemReason = reason;
        done.error = u"cannot create the folder %1: %2"_s.arg(folder, reason);
        return done;
    }
    Written written;
    done.error = exportSets(import.sets, folder, written, options, cancel);
    done.written = written.written;
    done.replaced = written.replaced;
    done.loops = written.loops;
    done.notes = written.notes;
    if (!done.error.isEmpty()) {
        util::removeEmptyFolders(created);
        done.fault = done.error.startsWith(kCancelled) ? ExportFault::Cancelled
                   : written.systemReason.isEmpty()     ? ExportFault::Input
                                                        : ExportFault::Write;
        done.systemReason = written.systemReason;
    }
    return done;
}

QString checkPreset(const sf2::SoundFont &font, int presetIndex, const std::atomic_bool *cancel)
{
    if (!font.ok() || presetIndex < 0 || presetIndex >= font.presets.size())
        return font.ok() ? u"no preset %1"_s.arg(presetIndex) : font.error;
    PresetImporter importer(font, presetIndex, cancel);
    importer.check();
    return importer.result.error;
}

PresetImport importPreset(const sf2::SoundFont &font, int presetIndex, bool velocityLayers, const QString &baseName,
                          const std::atomic_bool *cancel, bool mixLayers)
{
    if (!font.ok() || presetIndex < 0 || presetIndex >= font.presets.size()) {
        PresetImport failed;
        failed.error = font.ok() ? u"no preset %1"_s.arg(presetIndex) : font.error;
        return failed;
    }
    PresetImporter importer(font, presetIndex, cancel);
    importer.run(velocityLayers, baseName, mixLayers);
    if (!importer.result.ok()) {
        importer.result.sets.clear();
        importer.result.files.reset();
    }
    return std::move(importer.result);
}

int runPresetsCommand(const QString &path, QTextStream &out, QTextStream &err)
{
    const sf2::SoundFont font = sf2::readSoundFontFile(path);
    if (!font.ok()) {
        err << "TAMO presets: " << font.error << Qt::endl;
        return 1;
    }
    for (const sf2::Preset &preset : font.presets)
        out << presetTitle(preset) << '\n';
    out.flush();
    return 0;
}

bool isSoundFontExportInput(const QString &input)
{
    const QFileInfo info(input);
    if (info.isFile())
        return isSoundFontFile(info);
    if (!info.isDir())
        return false;
    const QFileInfoList files = QDir(input).entryInfoList(QDir::Files);
    return std::any_of(files.begin(), files.end(), [](const QFileInfo &file) { return isLibraryFile(file); });
}

int runSoundFontExport(const QString &input, const QString &folder, const QString &preset, bool velocityLayers,
                       QTextStream &out, QTextStream &err, const ExportOptions &options)
{
    const auto failWith = [&](const QString &reason) {
        err << "TAMO export: " << reason << Qt::endl;
        return 1;
    };
    const QFileInfo in(input);
    if (!in.exists())
        return failWith(u"%1 not found"_s.arg(input));
    QList<std::shared_ptr<sf2::SoundFont>> fonts;
    QList<Job> jobs;
    ShortNames taken;
    const auto addFont = [&](const QString &path) {
        auto font = std::make_shared<sf2::SoundFont>(sf2::readSoundFontFile(path));
        if (!font->ok())
            return font->error;
        fonts << font;
        for (int i = 0; i < font->presets.size(); ++i) {
            Job job;
            job.font = font.get();
            job.preset = i;
            job.title = presetTitle(font->presets.at(i));
            job.subfolder = uniqueShortBase(font->presets.at(i).name, taken);
            jobs << job;
        }
        return QString();
    };

    if (in.isDir()) {
        if (!preset.isEmpty())
            return failWith(u"--preset needs a SoundFont file, not a folder"_s);
        const QFileInfoList files = QDir(input).entryInfoList(QDir::Files, QDir::Name | QDir::IgnoreCase);
        for (const QFileInfo &file : files) {
            if (!isLibraryFile(file))
                continue;
            if (isSoundFontFile(file)) {
                if (const QString error = addFont(file.absoluteFilePath()); !error.isEmpty())
                    return failWith(error);
            } else {
                Job job;
                job.sfzPath = file.absoluteFilePath();
                job.title = file.fileName();
                job.subfolder = uniqueShortBase(file.completeBaseName(), taken);
                jobs << job;
            }
        }
        return exportJobs(jobs, folder, velocityLayers, out, err, options);
    }
    if (const QString error = addFont(in.absoluteFilePath()); !error.isEmpty())
        return failWith(error);
    if (preset.isEmpty())
        return exportJobs(jobs, folder, velocityLayers, out, err, options);

    // One preset, into folder itself, as any other input.
    static const QRegularExpression bankProgram(u"^(\\d{1,5}):(\\d{1,5})$"_s);
    const QRegularExpressionMatch match = bankProgram.match(preset);
    const sf2::SoundFont &font = *fonts.first();
    const auto found = std::find_if(font.presets.begin(), font.presets.end(), [&](const sf2::Preset &p) {
        return match.hasMatch() && p.bank == match.captured(1).toInt() && p.program == match.captured(2).toInt();
    });
    if (found == font.presets.end())
        return failWith(u"%1 has no preset %2 (BANK:PROGRAM, as `TAMO presets` lists them)"_s.arg(input, preset));
    const std::atomic_bool *cancel = util::cancelOnInterruption();
    const InstrumentExport done = exportPreset(font, int(found - font.presets.begin()), folder, velocityLayers, {}, options, cancel);
    if (!done.imported)
        return failWith(done.error == kCancelled ? u"interrupted; nothing written"_s : done.error);
    for (const QString &line : done.report)
        out << line << Qt::endl;
    if (!done.ok())
        return failWith(done.error.startsWith(kCancelled) ? u"interrupted"_s + done.error.mid(kCancelled.size()) : done.error);
    for (const QString &line : std::as_const(done.loops))
        out << line << Qt::endl;
    for (const QString &line : std::as_const(done.notes))
        out << line << Qt::endl;
    for (const QString &path : std::as_const(done.written))
        out << QDir::toNativeSeparators(path) << Qt::endl;
    for (const QString &path : std::as_const(done.replaced))
        out << "Replaced: " << QDir::toNativeSeparators(path) << Qt::endl;
    return 0;
}

} // namespace tamo::exporter
