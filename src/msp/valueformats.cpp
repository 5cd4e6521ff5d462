// SPDX-License-Identifier: GPL-3.0-or-later
#include "msp/valueformats.h"

namespace tamo::msp {

namespace {

// num / den (den > 0) rounded to the nearest integer, an exact half to the even one.
// Done in integers so that the halves are exact.
qint64 roundHalfEven(qint64 num, qint64 den)
{
    qint64 q = num / den;
    qint64 r = num % den;
    if (r < 0) { // make q the floor and 0 <= r < den
        --q;
        r += den;
    }
    if (2 * r > den || (2 * r == den && q % 2 != 0))
        ++q;
    return q;
}

qint64 floorDiv(qint64 num, qint64 den)
{
    qint64 q = num / den;
    if (num % den != 0 && num < 0)
        --q;
    return q;
}

std::optional<quint8> asByte(qint64 v)
{
    if (v < 0 || v > 255)
        return std::nullopt;
    return quint8(v);
}

const QString kNoteNames[12] = {
    QStringLiteral("C"),  QStringLiteral("C#"), QStringLiteral("D"),  QStringLiteral("D#"),
    QStringLiteral("E"),  QStringLiteral("F"),  QStringLiteral("F#"), QStringLiteral("G"),
    QStringLiteral("G#"), QStringLiteral("A"),  QStringLiteral("A#"), QStringLiteral("B"),
};

} // namespace

QString NoteName(int n)
{
    const qint64 note = n;
    const qint64 index = note - floorDiv(note, 12) * 12;
    const qint64 octave = floorDiv(note - 24, 12);
    return kNoteNames[index] + QString::number(octave);
}

QString StartNoteName(quint8 v)
{
    return NoteName(int(v) + 1);
}

QString OctaveText(quint8 o)
{
    switch (o) {
    case 255: return QStringLiteral("-1");
    case 254: return QStringLiteral("-2");
    case 0: return QStringLiteral("0");
    default: return QLatin1Char('+') + QString::number(o);
    }
}

QString PitchModeText(quint8 m)
{
    switch (m) {
    case 0: return QStringLiteral("STANDARD");
    case 1: return QStringLiteral("FIXED");
    default: return QString::number(m);
    }
}

QString RotorText(quint8 effect)
{
    return (effect & 0x80) ? QStringLiteral("ON") : QStringLiteral("OFF");
}

EffectView EffectName(quint8 effect)
{
    const QString overdrive = QStringLiteral("OVERDRIVE");
    const QString distor = QStringLiteral("DISTOR");
    const QString delay = QStringLiteral("DELAY");
    const QString chorus = QStringLiteral("CHORUS");
    const auto on = [](const QString &caption) { return EffectView::Amount{true, caption}; };
    const EffectView::Amount off;

    switch (effect & 0x7f) {
    case 0: return {QStringLiteral("OFF"), {off, off, off}};
    case 1: return {QStringLiteral("OVERDRIVE"), {on(overdrive), off, off}};
    case 2: return {QStringLiteral("DISTORTION"), {on(distor), off, off}};
    case 3: return {QStringLiteral("CHORUS"), {on(chorus), off, off}};
    case 4: return {QStringLiteral("DELAY"), {on(delay), off, off}};
    case 5: return {QStringLiteral("DELAY + CHORUS"), {on(delay), off, on(chorus)}};
    case 6: return {QStringLiteral("DIST + CHORUS"), {on(distor), off, on(chorus)}};
    case 7: return {QStringLiteral("DIST + DELAY"), {on(distor), on(delay), off}};
    case 8: return {QStringLiteral("DIST + DELAY + CHORUS"), {on(distor), on(delay), on(chorus)}};
    case 9: return {QStringLiteral("OVERDRIVE + CHORUS"), {on(overdrive), off, on(chorus)}};
    default: return {QString(), {off, off, off}};
    }
}

int shownValue(ValueFormat format, quint8 v)
{
    switch (format) {
    case ValueFormat::Plain: return v;
    case ValueFormat::Half: return v / 2;
    case ValueFormat::Fine: return int(roundHalfEven(qint64(v) * 99, 252));
    case ValueFormat::Reverse127: return 127 - v;
    case ValueFormat::Reverse99: return 99 - v;
    case ValueFormat::Reverse96: return 96 - v;
    case ValueFormat::SignedOffset64: return v - 64;
    case ValueFormat::HighNibble: return v >> 4;
    case ValueFormat::LowNibble: return v & 0x0f;
    }
    return v;
}

int sliderStartValue(ValueFormat format, quint8 v)
{
    if (format == ValueFormat::Half)
        return int(roundHalfEven(v, 2));
    return shownValue(format, v);
}

std::optional<quint8> storedValue(ValueFormat format, int picked, quint8 old)
{
    const qint64 p = picked;
    switch (format) {
    case ValueFormat::Plain: return asByte(p);
    case ValueFormat::Half: return asByte(2 * p);
    case ValueFormat::Fine: return asByte(roundHalfEven(p * 252, 99));
    case ValueFormat::Reverse127: return asByte(127 - p);
    case ValueFormat::Reverse99: return asByte(99 - p);
    case ValueFormat::Reverse96: return asByte(96 - p);
    case ValueFormat::SignedOffset64: return asByte(p + 64);
    case ValueFormat::HighNibble:
        if (p < 0 || p > 15)
            return std::nullopt;
        return quint8(p * 16 + (old & 0x0f));
    case ValueFormat::LowNibble:
        if (p < 0 || p > 15)
            return std::nullopt;
        return quint8((old & 0xf0) + p);
    }
    return std::nullopt;
}

int PlainValue(quint8 v) { return shownValue(ValueFormat::Plain, v); }
int HalfValue(quint8 v) { return shownValue(ValueFormat::Half, v); }
int FineValue(quint8 v) { return shownValue(ValueFormat::Fine, v); }
int Reverse127(quint8 v) { return shownValue(ValueFormat::Reverse127, v); }
int Reverse99(quint8 v) { return shownValue(ValueFormat::Reverse99, v); }
int Reverse96(quint8 v) { return shownValue(ValueFormat::Reverse96, v); }
int SignedOffset64(quint8 v) { return shownValue(ValueFormat::SignedOffset64, v); }
int HighNibble(quint8 v) { return shownValue(ValueFormat::HighNibble, v); }
int LowNibble(quint8 v) { return shownValue(ValueFormat::LowNibble, v); }

std::optional<quint8> storedStartNote(int pickedNote)
{
    if (pickedNote == 0)
        return quint8(0);
    return asByte(qint64(pickedNote) - 1);
}

int FindListItem(const QStringList &entries, const QString &text)
{
    for (qsizetype i = 0; i < entries.size(); ++i) {
        QStringView entry = entries.at(i);
        while (entry.startsWith(QLatin1Char(' ')))
            entry = entry.sliced(1);
        while (entry.endsWith(QLatin1Char(' ')))
            entry.chop(1);
        if (entry == text)
            return int(i);
    }
    return 0;
}

} // namespace tamo::msp
