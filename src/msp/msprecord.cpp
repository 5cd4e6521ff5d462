// SPDX-License-Identifier: GPL-3.0-or-later
#include "msp/msprecord.h"

#include <algorithm>

namespace tamo::msp {

namespace {

constexpr QByteArrayView kValidMagic = "TAMO00";
static_assert(kValidMagic.size() == kMagicSize);

bool validSlot(int slot)
{
    return slot >= 1 && slot <= kMaxSamples;
}

// Offset of reserved block 0..19 (twelve before the envelope, eight after it).
qsizetype reservedBlockOffset(int block)
{
    if (block < kSampleReservedABlocks)
        return kSampleReservedAOffset + qsizetype(block) * kMaxSamples;
    return kSampleReservedBOffset + qsizetype(block - kSampleReservedABlocks) * kMaxSamples;
}

struct SlotDefault {
    SampleField field;
    quint8 value;
};

constexpr SlotDefault kSlotDefaults[] = {
    {SampleField::StartKey, 0},   {SampleField::EndKey, 127}, {SampleField::Volume, 127},
    {SampleField::Dca, 0x14},     {SampleField::CutOff, 127}, {SampleField::Dcf, 0x34},
    {SampleField::PitchMode, 0},  {SampleField::Fine, 0},     {SampleField::Key, 60},
    {SampleField::Attack, 127},   {SampleField::Sustain, 0},  {SampleField::Decay, 0},
    {SampleField::Release, 96},
};

constexpr SampleField kAllSampleFields[] = {
    SampleField::StartKey, SampleField::EndKey,    SampleField::Volume, SampleField::Dca,
    SampleField::CutOff,   SampleField::Dcf,       SampleField::PitchMode, SampleField::Fine,
    SampleField::Key,      SampleField::Attack,    SampleField::Sustain, SampleField::Decay,
    SampleField::Release,
};

} // namespace

qsizetype globalFieldOffset(GlobalField field)
{
    switch (field) {
    case GlobalField::HeaderReserved: return kHeaderReservedOffset;
    case GlobalField::SampleCount: return kSampleCountOffset;
    case GlobalField::Reverb: return kReverbOffset;
    case GlobalField::Effect: return kEffectOffset;
    case GlobalField::Overdrive: return kOverdriveOffset;
    case GlobalField::Delay: return kDelayOffset;
    case GlobalField::Chorus: return kChorusOffset;
    case GlobalField::Octave: return kOctaveOffset;
    case GlobalField::Level: return kLevelOffset;
    case GlobalField::FineTune: return kFineTuneOffset;
    }
    return -1;
}

qsizetype sampleFieldOffset(SampleField field, int slot)
{
    if (!validSlot(slot))
        return -1;
    const qsizetype index = slot - 1;
    const qsizetype pitch = kSamplePitchOffset + kSamplePitchEntrySize * index;
    switch (field) {
    case SampleField::StartKey: return kStartKeyOffset + index;
    case SampleField::EndKey: return kEndKeyOffset + index;
    case SampleField::Volume: return kVolumeOffset + index;
    case SampleField::Dca: return kDcaOffset + index;
    case SampleField::CutOff: return kCutOffOffset + index;
    case SampleField::Dcf: return kDcfOffset + index;
    case SampleField::PitchMode: return pitch + kPitchModeByte;
    case SampleField::Fine: return pitch + kFineByte;
    case SampleField::Key: return pitch + kKeyByte;
    case SampleField::Attack: return kAttackOffset + index;
    case SampleField::Sustain: return kSustainOffset + index;
    case SampleField::Decay: return kDecayOffset + index;
    case SampleField::Release: return kReleaseOffset + index;
    }
    return -1;
}

MspRecord::MspRecord()
    : m_bytes(kMspRecordSize, '\0')
{
}

MspRecord MspRecord::newDocument()
{
    MspRecord record;
    record.setMagic(kValidMagic);
    record.setGlobal(GlobalField::Level, 64);
    record.setGlobal(GlobalField::FineTune, 64);
    for (int slot = 1; slot <= kMaxSamples; ++slot)
        record.ResetSampleSlot(slot);
    return record;
}

MspRecord MspRecord::fromBytes(QByteArrayView bytes)
{
    MspRecord record;
    const qsizetype n = std::min(bytes.size(), kMspRecordSize);
    std::copy_n(bytes.data(), n, record.m_bytes.data());
    return record;
}

QByteArray MspRecord::magic() const
{
    return m_bytes.mid(kMagicOffset, kMagicSize);
}

void MspRecord::setMagic(QByteArrayView magic)
{
    char *dest = m_bytes.data() + kMagicOffset;
    const qsizetype n = std::min(magic.size(), kMagicSize);
    std::copy_n(magic.data(), n, dest);
    std::fill(dest + n, dest + kMagicSize, '\0');
}

bool MspRecord::isValid() const
{
    return QByteArrayView(m_bytes).sliced(kMagicOffset, kMagicSize) == kValidMagic;
}

quint8 MspRecord::global(GlobalField field) const
{
    const qsizetype offset = globalFieldOffset(field);
    return offset < 0 ? 0 : quint8(m_bytes[offset]);
}

void MspRecord::setGlobal(GlobalField field, quint8 value)
{
    const qsizetype offset = globalFieldOffset(field);
    if (offset >= 0)
        m_bytes[offset] = char(value);
}

QByteArray MspRecord::headerReserved2() const
{
    return m_bytes.mid(kHeaderReserved2Offset, kHeaderReserved2Size);
}

void MspRecord::setHeaderReserved2(QByteArrayView bytes)
{
    char *dest = m_bytes.data() + kHeaderReserved2Offset;
    const qsizetype n = std::min(bytes.size(), kHeaderReserved2Size);
    std::copy_n(bytes.data(), n, dest);
    std::fill(dest + n, dest + kHeaderReserved2Size, '\0');
}

int MspRecord::sampleCount() const
{
    return global(GlobalField::SampleCount);
}

int MspRecord::usedSlotCount() const
{
    return std::min(sampleCount(), kMaxSamples);
}

quint8 MspRecord::sample(SampleField field, int slot) const
{
    const qsizetype offset = sampleFieldOffset(field, slot);
    return offset < 0 ? 0 : quint8(m_bytes[offset]);
}

void MspRecord::setSample(SampleField field, int slot, quint8 value)
{
    const qsizetype offset = sampleFieldOffset(field, slot);
    if (offset >= 0)
        m_bytes[offset] = char(value);
}

quint8 MspRecord::sampleReserved(int block, int slot) const
{
    if (!validSlot(slot) || block < 0 || block >= kSampleReservedBlocks)
        return 0;
    return quint8(m_bytes[reservedBlockOffset(block) + slot - 1]);
}

void MspRecord::setSampleReserved(int block, int slot, quint8 value)
{
    if (!validSlot(slot) || block < 0 || block >= kSampleReservedBlocks)
        return;
    m_bytes[reservedBlockOffset(block) + slot - 1] = char(value);
}

QByteArray MspRecord::sampleName(int slot) const
{
    if (!validSlot(slot))
        return {};
    return m_bytes.mid(kSampleNameOffset + kSampleNameSize * (slot - 1), kSampleNameSize);
}

void MspRecord::setSampleName(int slot, QByteArrayView name)
{
    if (!validSlot(slot))
        return;
    char *dest = m_bytes.data() + kSampleNameOffset + kSampleNameSize * (slot - 1);
    const qsizetype n = std::min(name.size(), kSampleNameSize);
    std::copy_n(name.data(), n, dest);
    std::fill(dest + n, dest + kSampleNameSize, ' ');
}

void MspRecord::ResetSampleSlot(int slot)
{
    if (!validSlot(slot))
        return;
    char *name = m_bytes.data() + kSampleNameOffset + kSampleNameSize * (slot - 1);
    std::fill(name, name + kSampleNameSize, '\0');
    for (const SlotDefault &d : kSlotDefaults)
        setSample(d.field, slot, d.value);
    for (int block = 0; block < kSampleReservedBlocks; ++block)
        setSampleReserved(block, slot, 0);
}

void MspRecord::removeSlot(int slot)
{
    if (!validSlot(slot) || slot > usedSlotCount())
        return;
    for (int j = slot; j < kMaxSamples; ++j)
        copySlot(j + 1, j);
    ResetSampleSlot(kMaxSamples);
    setGlobal(GlobalField::SampleCount, quint8(sampleCount() - 1));
}

void MspRecord::copySlot(int from, int to)
{
    if (!validSlot(from) || !validSlot(to) || from == to)
        return;
    const QByteArray name = sampleName(from);
    std::copy_n(name.constData(), kSampleNameSize,
                m_bytes.data() + kSampleNameOffset + kSampleNameSize * (to - 1));
    for (SampleField field : kAllSampleFields)
        setSample(field, to, sample(field, from));
    for (int block = 0; block < kSampleReservedBlocks; ++block)
        setSampleReserved(block, to, sampleReserved(block, from));
}

} // namespace tamo::msp
