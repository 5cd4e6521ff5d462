// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

namespace tamo::msp {

// An MSP file is one fixed record of single bytes and fixed-width byte texts.
// There is no multi-byte integer in it, so byte order never arises.
constexpr qsizetype kMspRecordSize = 2644;
constexpr int kMaxSamples = 64;

// Header.
constexpr qsizetype kMagicOffset = 0;
constexpr qsizetype kMagicSize = 6;
constexpr qsizetype kHeaderReservedOffset = kMagicOffset + kMagicSize;
constexpr qsizetype kSampleCountOffset = kHeaderReservedOffset + 1;
constexpr qsizetype kReverbOffset = kSampleCountOffset + 1;
constexpr qsizetype kEffectOffset = kReverbOffset + 1;
constexpr qsizetype kOverdriveOffset = kEffectOffset + 1;
constexpr qsizetype kDelayOffset = kOverdriveOffset + 1;
constexpr qsizetype kChorusOffset = kDelayOffset + 1;
constexpr qsizetype kOctaveOffset = kChorusOffset + 1;
constexpr qsizetype kLevelOffset = kOctaveOffset + 1;
constexpr qsizetype kHeaderReserved2Offset = kLevelOffset + 1;
constexpr qsizetype kHeaderReserved2Size = 4;
constexpr qsizetype kFineTuneOffset = kHeaderReserved2Offset + kHeaderReserved2Size;

// Names: slot k at kSampleNameOffset + kSampleNameSize * (k - 1).
constexpr qsizetype kSampleNameOffset = kFineTuneOffset + 1;
constexpr qsizetype kSampleNameSize = 8;

// Per-sample blocks of kMaxSamples bytes each: slot k at the block's offset + (k - 1).
constexpr qsizetype kStartKeyOffset = kSampleNameOffset + kSampleNameSize * kMaxSamples;
constexpr qsizetype kEndKeyOffset = kStartKeyOffset + kMaxSamples;
constexpr qsizetype kVolumeOffset = kEndKeyOffset + kMaxSamples;
constexpr qsizetype kDcaOffset = kVolumeOffset + kMaxSamples;
constexpr qsizetype kCutOffOffset = kDcaOffset + kMaxSamples;
constexpr qsizetype kDcfOffset = kCutOffOffset + kMaxSamples;
// Three bytes a slot: pitch mode, fine, key.
constexpr qsizetype kSamplePitchOffset = kDcfOffset + kMaxSamples;
constexpr qsizetype kSamplePitchEntrySize = 3;
constexpr qsizetype kPitchModeByte = 0;
constexpr qsizetype kFineByte = 1;
constexpr qsizetype kKeyByte = 2;
// Reserved per-sample blocks: never shown, but moved with their slot.
constexpr qsizetype kSampleReservedAOffset = kSamplePitchOffset + kSamplePitchEntrySize * kMaxSamples;
constexpr int kSampleReservedABlocks = 12;
constexpr qsizetype kAttackOffset = kSampleReservedAOffset + kSampleReservedABlocks * kMaxSamples;
constexpr qsizetype kSustainOffset = kAttackOffset + kMaxSamples;
constexpr qsizetype kDecayOffset = kSustainOffset + kMaxSamples;
constexpr qsizetype kReleaseOffset = kDecayOffset + kMaxSamples;
constexpr qsizetype kSampleReservedBOffset = kReleaseOffset + kMaxSamples;
constexpr int kSampleReservedBBlocks = 8;
// The reserved blocks as one run of numbered blocks: 0..11 from A, 12..19 from B.
constexpr int kSampleReservedBlocks = kSampleReservedABlocks + kSampleReservedBBlocks;

static_assert(kSampleReservedBOffset + kSampleReservedBBlocks * kMaxSamples == kMspRecordSize);
// The file layout is fixed by the instrument; these pin the chain above to it.
static_assert(kFineTuneOffset == 19 && kSampleNameOffset == 20 && kStartKeyOffset == 532);
static_assert(kDcfOffset == 852 && kSamplePitchOffset == 916 && kSampleReservedAOffset == 1108);
static_assert(kAttackOffset == 1876 && kReleaseOffset == 2068 && kSampleReservedBOffset == 2132);

enum class GlobalField {
    HeaderReserved,
    SampleCount,
    Reverb,
    Effect,
    Overdrive,
    Delay,
    Chorus,
    Octave,
    Level,
    FineTune,
};

enum class SampleField {
    StartKey,
    EndKey,
    Volume,
    Dca,
    CutOff,
    Dcf,
    PitchMode,
    Fine,
    Key,
    Attack,
    Sustain,
    Decay,
    Release,
};

// The whole MSP document, held as the exact file image so that bytes this program
// does not interpret (reserved blocks, odd header values) survive a load and save.
// Slots are numbered 1..kMaxSamples; an out-of-range slot reads as 0 and writes
// nothing, so a caller's mistake cannot reach outside the record.
class MspRecord {
public:
    // All 2644 bytes zero (no identifier): what a record holds before New or Open.
    MspRecord();

    // Identifier "TAMO00", Level 64, FineTune 64, every other header byte 0, every
    // slot reset.
    static MspRecord newDocument();
    // Short input: the missing tail is zero. Long input: only the first 2644 bytes.
    static MspRecord fromBytes(QByteArrayView bytes);

    const QByteArray &bytes() const { return m_bytes; }

    QByteArray magic() const;
    void setMagic(QByteArrayView magic); // padded with NUL / cut to 6 bytes
    bool isValid() const;                // magic() is exactly "TAMO00"

    quint8 global(GlobalField field) const;
    void setGlobal(GlobalField field, quint8 value);
    QByteArray headerReserved2() const; // the 4 unused bytes after Level
    void setHeaderReserved2(QByteArrayView bytes);

    // The stored SampleCount byte as it is, which a foreign file may set above 64.
    int sampleCount() const;
    // How many slots are in use and can be listed: SampleCount capped at 64.
    int usedSlotCount() const;

    quint8 sample(SampleField field, int slot) const;
    void setSample(SampleField field, int slot, quint8 value);
    // Reserved per-sample bytes, block 0..kSampleReservedBlocks-1.
    quint8 sampleReserved(int block, int slot) const;
    void setSampleReserved(int block, int slot, quint8 value);

    QByteArray sampleName(int slot) const; // always 8 bytes (empty for a bad slot)
    void setSampleName(int slot, QByteArrayView name); // padded with spaces / cut to 8

    // Gives the slot the defaults, name (8 NUL bytes) and reserved bytes included.
    void ResetSampleSlot(int slot);
    // Copies the name and every per-sample byte, reserved ones included.
    void copySlot(int from, int to);
    // Removes slot: the slots after it move down one, slot 64 gets the defaults and
    // the sample count drops by one.
    void removeSlot(int slot);

    friend bool operator==(const MspRecord &, const MspRecord &) = default;

private:
    QByteArray m_bytes;
};

// Where a field of a slot lives in the image; -1 for a slot outside 1..kMaxSamples.
qsizetype sampleFieldOffset(SampleField field, int slot);
qsizetype globalFieldOffset(GlobalField field);

} // namespace tamo::msp
