// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <array>
#include <optional>

namespace tamo::msp {

// Conversions between a stored parameter byte and what the user sees and picks.

// "C-2" for 0, "C3" for 60, "G8" for 127, "D#19" for 255; any int is named by the
// same rule (256 is "E19").
QString NoteName(int n);
// The START key is stored one below the note it shows: NoteName(v + 1).
QString StartNoteName(quint8 v);
// 255 "-1", 254 "-2", 0 "0", anything else "+" and the number.
QString OctaveText(quint8 o);
// 0 "STANDARD", 1 "FIXED", anything else the number.
QString PitchModeText(quint8 m);
// "ON" when bit 7 is set, else "OFF".
QString RotorText(quint8 effect);

// The effect name of an Effect byte (bit 7, the rotor, ignored) and which of the
// three amount fields the window shows, with their captions.
struct EffectView {
    struct Amount {
        bool shown = false;
        QString caption; // empty when hidden
        friend bool operator==(const Amount &, const Amount &) = default;
    };
    QString name;
    // [0] Text25/Label30 (Overdrive), [1] Text26/Label31 (Delay), [2] Text27/Label32 (Chorus)
    std::array<Amount, 3> amount;
    friend bool operator==(const EffectView &, const EffectView &) = default;
};
EffectView EffectName(quint8 effect);
constexpr int kEffectTypeCount = 10; // types 0..9 have names; 10..127 show ""

enum class ValueFormat {
    Plain,
    Half,
    Fine,
    Reverse127,
    Reverse99,
    Reverse96,
    SignedOffset64,
    HighNibble,
    LowNibble,
};

// The integer the field shows for stored byte v.
int shownValue(ValueFormat format, quint8 v);
// Where the value slider starts; differs from the shown value only for Half.
int sliderStartValue(ValueFormat format, quint8 v);
// The byte that stores a picked value; old is the current byte (the nibble formats
// keep its other half). nullopt when the result does not fit (a byte, or for the
// nibble formats a half byte): the caller then keeps the old byte.
std::optional<quint8> storedValue(ValueFormat format, int picked, quint8 old);

int PlainValue(quint8 v);
int HalfValue(quint8 v);
int FineValue(quint8 v);
int Reverse127(quint8 v);
int Reverse99(quint8 v);
int Reverse96(quint8 v);
int SignedOffset64(quint8 v);
int HighNibble(quint8 v);
int LowNibble(quint8 v);

// The START byte for a picked note: note - 1, and note 0 stores 0. nullopt when
// the note is outside 0..256.
std::optional<quint8> storedStartNote(int pickedNote);

// Index of the first entry equal to text once its leading and trailing spaces are
// removed (case-sensitive); 0 when none matches.
int FindListItem(const QStringList &entries, const QString &text);

} // namespace tamo::msp
