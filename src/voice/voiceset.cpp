// SPDX-License-Identifier: GPL-3.0-or-later
#include "voice/voiceset.h"

#include "msp/keymapping.h"
#include "msp/valueformats.h"
#include "voice/voicemodel.h"
#include "wav/soundfile.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace tamo::voice {

using msp::GlobalField;
using msp::SampleField;

const Zone *VoiceSet::zoneFor(int key) const
{
    if (key < 0 || key > 127)
        return nullptr;
    const int index = zoneOfKey[std::size_t(key)];
    return index >= 0 && std::size_t(index) < zones.size() ? &zones[std::size_t(index)] : nullptr;
}

qint64 VoiceSet::bytes() const
{
    QSet<const SampleData *> seen;
    qint64 total = 0;
    for (const Zone &zone : zones) {
        if (zone.sample && !seen.contains(zone.sample.get())) {
            seen.insert(zone.sample.get());
            total += zone.sample->bytes();
        }
    }
    return total;
}

std::shared_ptr<SampleData> makeSample(const float *interleaved, qint64 frames, int channels, double rate,
                                       qint64 loopStart, qint64 loopEnd)
{
    auto sample = std::make_shared<SampleData>();
    sample->channels = std::clamp(channels, 1, 2);
    sample->rate = rate;
    sample->looped = loopStart >= 0 && loopStart < loopEnd && loopEnd <= frames;
    sample->loopStart = sample->looped ? loopStart : 0;
    sample->loopEnd = sample->looped ? loopEnd : 0;
    sample->frames = sample->looped ? loopEnd : frames;
    const qint64 loopLength = sample->loopEnd - sample->loopStart;
    for (int c = 0; c < sample->channels; ++c) {
        std::vector<float> &d = sample->data[std::size_t(c)];
        d.assign(std::size_t(sample->frames + 2 * kSamplePad), 0.0f);
        for (qint64 i = 0; i < sample->frames; ++i) {
            const float v = interleaved[i * channels + c];
            d[std::size_t(kSamplePad + i)] = std::isfinite(v) ? v : 0.0f;
        }
        // Past the loop end the loop goes on, so that a read across the seam reads the loop's start.
        for (qint64 i = 0; sample->looped && i < kSamplePad; ++i)
            d[std::size_t(kSamplePad + sample->frames + i)] = d[std::size_t(kSamplePad + sample->loopStart + i % loopLength)];
    }
    return sample;
}

namespace {

std::shared_ptr<SampleData> decode(const QString &path, const std::optional<LoopInstead> &instead, QString *error)
{
    wav::SoundFile file(path);
    if (!file.isOpen()) {
        *error = file.errorString();
        return {};
    }
    const SF_INFO &info = file.info();
    if (info.channels < 1 || info.channels > 2 || info.samplerate < 1 || info.frames < 0) {
        *error = QCoreApplication::translate("VoiceSet", "%1 channels: only mono and stereo play").arg(info.channels);
        return {};
    }
    std::vector<float> frames(std::size_t(info.frames) * std::size_t(info.channels));
    const sf_count_t read = sf_readf_float(file.handle(), frames.data(), info.frames);
    const qint64 count = std::max<sf_count_t>(read, 0);
    qint64 loopStart = 0, loopEnd = 0;
    SF_INSTRUMENT instrument;
    if (file.instrument(&instrument) && instrument.loop_count > 0 && instrument.loops[0].mode != SF_LOOP_NONE) {
        loopStart = instrument.loops[0].start;
        loopEnd = instrument.loops[0].end;
    }
    if (instead)
        loopStart = instead->start, loopEnd = instead->end;
    return makeSample(frames.data(), count, info.channels, info.samplerate, loopStart, loopEnd);
}

} // namespace

VoiceSet loadVoiceSet(const msp::MspRecord &record, const std::function<QString(int slot)> &wavFor,
                      const std::function<std::optional<LoopInstead>(int slot)> &loopFor)
{
    const VoiceModel &m = kVoiceModel;
    VoiceSet set;
    set.zoneOfKey.fill(-1);
    const quint8 octave = record.global(GlobalField::Octave);
    const int octaves = octave >= 128 ? int(octave) - 256 : int(octave);
    set.tuneSemitones = 12.0 * octaves
                        + m.fineTuneCentsPerStep * msp::SignedOffset64(record.global(GlobalField::FineTune)) / 100.0;
    const double level = std::pow(record.global(GlobalField::Level) / m.levelReference, m.levelExponent);
    QHash<QString, std::shared_ptr<const SampleData>> decoded;
    QList<int> zoneOfSlot(msp::kMaxSamples + 1, -1);
    for (int slot = 1; slot <= record.usedSlotCount(); ++slot) {
        const QString path = wavFor ? wavFor(slot) : QString();
        const QString name = QString::fromLatin1(record.sampleName(slot)).trimmed();
        if (path.isEmpty()) {
            set.problems << QCoreApplication::translate("VoiceSet", "%1: no sound file").arg(name);
            continue;
        }
        const QString key = QFileInfo(path).absoluteFilePath();
        if (!decoded.contains(key)) {
            QString error;
            std::shared_ptr<const SampleData> sample = decode(path, loopFor ? loopFor(slot) : std::nullopt, &error);
            if (!sample) {
                set.problems << QFileInfo(path).fileName() + QStringLiteral(": ") + error;
                continue;
            }
            decoded.insert(key, sample);
        }
        Zone z;
        z.slot = slot;
        z.sample = decoded.value(key);
        z.rootKey = record.sample(SampleField::Key, slot);
        z.fineCents = m.fineCentsPerByte * record.sample(SampleField::Fine, slot);
        z.fixedPitch = record.sample(SampleField::PitchMode, slot) == 1;
        z.gain = std::pow(record.sample(SampleField::Volume, slot) / m.volumeReference, m.volumeExponent) * level;
        z.attack = m.seconds(msp::Reverse127(record.sample(SampleField::Attack, slot)), 127, m.longestAttack);
        z.decay = m.seconds(msp::Reverse99(record.sample(SampleField::Decay, slot)), 99, m.longestDecay);
        z.release = m.seconds(msp::Reverse96(record.sample(SampleField::Release, slot)), 96, m.longestRelease);
        z.sustain = std::clamp(record.sample(SampleField::Sustain, slot) / m.sustainTop, 0.0, 1.0);
        zoneOfSlot[slot] = int(set.zones.size());
        set.zones.push_back(z);
    }
    for (int key = 0; key < 128; ++key) {
        const int slot = msp::slotForKey(record, key);
        if (slot > 0 && slot <= msp::kMaxSamples)
            set.zoneOfKey[std::size_t(key)] = zoneOfSlot.at(slot);
    }
    return set;
}

} // namespace tamo::voice
