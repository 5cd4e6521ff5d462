// SPDX-License-Identifier: GPL-3.0-or-later
#include "msp_editor/parametertable.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>

namespace tamo::msp_editor {

using msp::GlobalField;
using msp::SampleField;
using msp::ValueFormat;

namespace {

constexpr int kLeft = 2040;
constexpr int kRight = 3600;
constexpr int kSliderOffset = 570;
constexpr auto kNoSample = SampleField::StartKey;
constexpr auto kNoGlobal = GlobalField::HeaderReserved;

constexpr ParameterSpec global(int number, const char *caption, int left, int top, GlobalField field,
                               FieldKind kind, ValueFormat format = ValueFormat::Plain, qint16 min = 0,
                               qint16 max = 0)
{
    return {number, caption, left, top, false, kNoSample, field, kind, format, min, max, kSliderOffset};
}

constexpr ParameterSpec sample(int number, const char *caption, int left, int top, SampleField field,
                               FieldKind kind, ValueFormat format = ValueFormat::Plain, qint16 min = 0,
                               qint16 max = 0, int offset = kSliderOffset)
{
    return {number, caption, left, top, true, field, kNoGlobal, kind, format, min, max, offset};
}

using K = FieldKind;
using F = ValueFormat;
// The key picker's notes run 0..128.
constexpr ParameterSpec kTable[] = {
    global(22, QT_TRANSLATE_NOOP("ParameterTable", "LEVEL"), kLeft, 2160, GlobalField::Level, K::Slider, F::Half, 0, 63),
    global(21, QT_TRANSLATE_NOOP("ParameterTable", "REVERB"), kRight, 2160, GlobalField::Reverb, K::Slider, F::Half, 0, 63),
    global(23, QT_TRANSLATE_NOOP("ParameterTable", "OCTAVE"), kLeft, 2760, GlobalField::Octave, K::Octave),
    global(37, QT_TRANSLATE_NOOP("ParameterTable", "FINE TUNE"), kRight, 2760, GlobalField::FineTune, K::Slider, F::SignedOffset64, -64, 64),
    global(25, QT_TRANSLATE_NOOP("ParameterTable", "OVERDRIVE"), kLeft, 4320, GlobalField::Overdrive, K::Slider, F::Half, 0, 63),
    global(26, QT_TRANSLATE_NOOP("ParameterTable", "DELAY"), kRight, 4320, GlobalField::Delay, K::Slider, F::Half, 0, 63),
    global(27, QT_TRANSLATE_NOOP("ParameterTable", "CHORUS"), kLeft, 4920, GlobalField::Chorus, K::Slider, F::Half, 0, 63),
    global(24, QT_TRANSLATE_NOOP("ParameterTable", "ROTOR"), kRight, 4920, GlobalField::Effect, K::Rotor),
    sample(15, QT_TRANSLATE_NOOP("ParameterTable", "START"), kLeft, 6120, SampleField::StartKey, K::Key, F::Plain, 0, 128),
    sample(18, QT_TRANSLATE_NOOP("ParameterTable", "PITCH"), kRight, 6120, SampleField::PitchMode, K::Pitch),
    sample(16, QT_TRANSLATE_NOOP("ParameterTable", "END"), kLeft, 6720, SampleField::EndKey, K::Key, F::Plain, 0, 128),
    sample(19, QT_TRANSLATE_NOOP("ParameterTable", "KEY"), kRight, 6720, SampleField::Key, K::Key, F::Plain, 0, 128),
    sample(17, QT_TRANSLATE_NOOP("ParameterTable", "VOLUME"), kLeft, 7320, SampleField::Volume, K::Slider, F::Plain, 0, 127),
    sample(20, QT_TRANSLATE_NOOP("ParameterTable", "FINE"), kRight, 7320, SampleField::Fine, K::Slider, F::Fine, 0, 99),
    sample(28, QT_TRANSLATE_NOOP("ParameterTable", "ATTACK"), kLeft, 7920, SampleField::Attack, K::Slider, F::Reverse127, 0, 127),
    sample(32, QT_TRANSLATE_NOOP("ParameterTable", "CUT OFF"), kRight, 7920, SampleField::CutOff, K::Slider, F::Plain, 3, 127),
    sample(29, QT_TRANSLATE_NOOP("ParameterTable", "DECAY"), kLeft, 8520, SampleField::Decay, K::Slider, F::Reverse99, 0, 99),
    sample(33, QT_TRANSLATE_NOOP("ParameterTable", "DCA OFFS"), kRight, 8520, SampleField::Dca, K::Slider, F::HighNibble, 0, 7),
    sample(30, QT_TRANSLATE_NOOP("ParameterTable", "SUSTAIN"), kLeft, 9120, SampleField::Sustain, K::Slider, F::Plain, 0, 127),
    sample(34, QT_TRANSLATE_NOOP("ParameterTable", "DCA SLOP"), kRight, 9120, SampleField::Dca, K::Slider, F::LowNibble, 1, 7),
    sample(31, QT_TRANSLATE_NOOP("ParameterTable", "RELEASE"), kLeft, 9720, SampleField::Release, K::Slider, F::Reverse96, 0, 64, -300),
    sample(36, QT_TRANSLATE_NOOP("ParameterTable", "DCF OFFS"), kRight, 9720, SampleField::Dcf, K::Slider, F::HighNibble, 0, 7, -300),
    sample(35, QT_TRANSLATE_NOOP("ParameterTable", "DCF SLOP"), kRight, 10320, SampleField::Dcf, K::Slider, F::LowNibble, 1, 7, -1000),
};
static_assert(std::size(kTable) == kParameterCount);

} // namespace

std::span<const ParameterSpec> parameterTable() { return kTable; }

quint8 parameterByte(const ParameterSpec &entry, const msp::MspRecord &record, int slot)
{
    return entry.perSample ? record.sample(entry.sample, slot) : record.global(entry.global);
}

void setParameterByte(const ParameterSpec &entry, msp::MspRecord &record, int slot, quint8 value)
{
    if (entry.perSample)
        record.setSample(entry.sample, slot, value);
    else
        record.setGlobal(entry.global, value);
}

QString parameterText(const ParameterSpec &entry, quint8 byte)
{
    switch (entry.kind) {
    case FieldKind::Slider: return QString::number(msp::shownValue(entry.format, byte));
    case FieldKind::Key: return entry.sample == SampleField::StartKey ? msp::StartNoteName(byte) : msp::NoteName(byte);
    case FieldKind::Pitch: return msp::PitchModeText(byte);
    case FieldKind::Rotor: return msp::RotorText(byte);
    case FieldKind::Octave: return msp::OctaveText(byte);
    }
    return {};
}

void showEffectAmounts(quint8 effect, const std::array<QLineEdit *, kAmountCount> &fields,
                       const std::array<QLabel *, kAmountCount> &labels)
{
    const msp::EffectView view = msp::EffectName(effect);
    for (std::size_t i = 0; i < view.amount.size() && i < fields.size(); ++i) {
        const msp::EffectView::Amount &amount = view.amount[i];
        if (amount.shown) {
            labels[i]->setText(amount.caption);
            fields[i]->setAccessibleName(amount.caption);
        }
        fields[i]->setVisible(amount.shown);
        labels[i]->setVisible(amount.shown);
    }
}

} // namespace tamo::msp_editor
