// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "msp/msprecord.h"
#include "msp/valueformats.h"

#include <QString>

#include <array>
#include <span>

class QLabel;
class QLineEdit;

namespace tamo::msp_editor {

// How a parameter field is edited: the value slider, the key picker, a toggle or
// the OCTAVE chooser.
enum class FieldKind { Slider, Key, Pitch, Rotor, Octave };

// One parameter field: its design number (the objectName "Text<number>"), the
// caption above it, its place in twips, the byte it shows and how it is edited.
struct ParameterSpec {
    int number;
    const char *caption; // translated in the context "ParameterTable"
    int left, top;
    bool perSample;           // a byte of the selected slot, else a global one
    msp::SampleField sample;  // perSample
    msp::GlobalField global;  // !perSample
    FieldKind kind;
    msp::ValueFormat format;  // Slider: how the byte is shown and stored
    qint16 min, max;          // Slider and Key: the range picked from
    int offset;               // Slider: its middle lies this many twips below the field's top
};

constexpr int kFirstParameter = 15; // Text15
constexpr int kParameterCount = 23; // Text15 .. Text37
// The effect amount fields Text25..Text27, captioned by Label30..Label32.
constexpr int kFirstAmountField = 25;
constexpr int kFirstAmountLabel = 30;
constexpr int kAmountCount = 3;

// Every parameter field, in the order they are laid out.
std::span<const ParameterSpec> parameterTable();

// The byte a field shows: of slot (1..64) for a per-sample field.
quint8 parameterByte(const ParameterSpec &entry, const msp::MspRecord &record, int slot);
void setParameterByte(const ParameterSpec &entry, msp::MspRecord &record, int slot, quint8 value);
// The text a field shows for its byte.
QString parameterText(const ParameterSpec &entry, quint8 byte);

// Shows the amount fields and their captions that effect uses, captioned as it names them.
void showEffectAmounts(quint8 effect, const std::array<QLineEdit *, kAmountCount> &fields,
                       const std::array<QLabel *, kAmountCount> &labels);

} // namespace tamo::msp_editor
