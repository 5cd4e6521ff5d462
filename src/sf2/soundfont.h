// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace tamo::sf2 {

// The generators a zone may set, by their number in the file.
enum class Generator : quint16 {
    StartOffset = 0,
    EndOffset = 1,
    StartLoopOffset = 2,
    EndLoopOffset = 3,
    StartCoarseOffset = 4,
    ModLfoToPitch = 5,
    VibLfoToPitch = 6,
    ModEnvToPitch = 7,
    FilterCutoff = 8,
    FilterQ = 9,
    ModLfoToFilter = 10,
    ModEnvToFilter = 11,
    EndCoarseOffset = 12,
    ModLfoToVolume = 13,
    Chorus = 15,
    Reverb = 16,
    Pan = 17,
    ModLfoDelay = 21,
    ModLfoFrequency = 22,
    VibLfoDelay = 23,
    VibLfoFrequency = 24,
    ModEnvDelay = 25,
    ModEnvAttack = 26,
    ModEnvHold = 27,
    ModEnvDecay = 28,
    ModEnvRelease = 30,
    KeyToModEnvDecay = 32,
    VolEnvDelay = 33,
    VolEnvAttack = 34,
    VolEnvHold = 35,
    VolEnvDecay = 36,
    VolEnvSustain = 37,
    VolEnvRelease = 38,
    KeyToVolEnvHold = 39,
    KeyToVolEnvDecay = 40,
    Instrument = 41,
    KeyRange = 43,
    VelocityRange = 44,
    StartLoopCoarseOffset = 45,
    FixedKey = 46,
    FixedVelocity = 47,
    Attenuation = 48,
    EndLoopCoarseOffset = 50,
    CoarseTune = 51,
    FineTune = 52,
    SampleId = 53,
    SampleModes = 54,
    ScaleTuning = 56,
    ExclusiveClass = 57,
    RootKey = 58,
};
constexpr int kGeneratorCount = 61; // numbers 0..60; higher ones are ignored

// One zone: the generators in force (as stored, 16 bits each; ranges hold the low
// key in the low byte), which of them the zone sets, and its modulators.
struct Zone {
    std::vector<qint16> amounts = std::vector<qint16>(kGeneratorCount, 0);
    std::vector<bool> isSet = std::vector<bool>(kGeneratorCount, false);
    int modulatorCount = 0;
    int link = -1; // the instrument (preset zone) or sample (instrument zone); -1: a global zone

    bool has(Generator g) const { return isSet[size_t(g)]; }
    qint16 amount(Generator g) const { return amounts[size_t(g)]; }
    int low(Generator g) const { return quint16(amount(g)) & 0xff; }
    int high(Generator g) const { return quint16(amount(g)) >> 8; }
};

struct Instrument {
    QString name;
    QList<Zone> zones; // a global zone, when there is one, first
};

struct Preset {
    QString name;
    int bank = 0;
    int program = 0;
    QList<Zone> zones; // a global zone, when there is one, first
};

struct SampleHeader {
    QString name;
    quint32 start = 0; // SF2: frames in smpl; SF3: bytes of the compressed stream in smpl
    quint32 end = 0;   // one past the last
    qint64 loopStart = 0; // frames from the sample's first (the file's SF2 values made relative)
    qint64 loopEnd = 0;
    quint32 sampleRate = 0;
    int originalPitch = 60;
    int pitchCorrection = 0; // cents
    int type = 1;            // 1 mono, 2 right, 4 left, 8 linked; 0x8000 ROM, 0x10 Ogg Vorbis

    bool isRom() const { return (type & 0x8000) != 0; }
    bool isCompressed() const { return (type & 0x10) != 0; }
};

// Bytes of the font's sample data, read as needed; safe from several threads.
class SampleSource {
public:
    virtual ~SampleSource() = default;
    // The size bytes at offset at; nullopt when they cannot be read whole (a file
    // cut short since it was read).
    virtual std::optional<QByteArray> read(qint64 at, qint64 size) const = 0;
    virtual qint64 size() const = 0;
};

// A whole SoundFont, read and checked: every index points into what the file holds.
struct SoundFont {
    QString error; // set: nothing else is usable
    QString name;  // INAM
    QList<Preset> presets; // sorted by bank, then program
    QList<Instrument> instruments;
    QList<SampleHeader> samples;
    bool isCompressed = false; // SF3: samples are Ogg Vorbis streams
    int sampleBits = 16;       // 24 with an sm24 chunk

    bool ok() const { return error.isEmpty(); }

    // Where the sample data lies: the smpl and sm24 chunks, read on demand from
    // the bytes or the file the font was read from.
    struct Span {
        qint64 at = 0;
        qint64 size = 0;
    };
    Span smpl, sm24;
    std::shared_ptr<const SampleSource> source;
};

// The SoundFont in bytes (which must outlive the result).
SoundFont readSoundFont(QByteArrayView bytes);
// The SoundFont file at path: a regular file only; its presets read at once, its
// samples read from the file as they are asked for (never mapped, so a file cut
// short meanwhile gives an error, not a crash).
SoundFont readSoundFontFile(const QString &path);

// A sample's frames, each scaled to the full 32-bit range.
struct SampleFrames {
    std::vector<qint32> frames;
    QString error; // set: frames is empty
};
// All frames of sample index (SF3: its decoded stream).
SampleFrames sampleFrames(const SoundFont &font, int index);

} // namespace tamo::sf2
