#include "msp/valueformats.h"

#include <QtTest>

using namespace tamo::msp;

namespace {

constexpr int kNoFit = -1; // expected stored value: does not fit, keep the old byte

int (*namedFormat(ValueFormat f))(quint8)
{
    switch (f) {
    case ValueFormat::Plain: return PlainValue;
    case ValueFormat::Half: return HalfValue;
    case ValueFormat::Fine: return FineValue;
    case ValueFormat::Reverse127: return Reverse127;
    case ValueFormat::Reverse99: return Reverse99;
    case ValueFormat::Reverse96: return Reverse96;
    case ValueFormat::SignedOffset64: return SignedOffset64;
    case ValueFormat::HighNibble: return HighNibble;
    case ValueFormat::LowNibble: return LowNibble;
    }
    return nullptr;
}

} // namespace

class TestValueFormats : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void noteName_data();
    void noteName();
    void startNote_data();
    void startNote();
    void texts_data();
    void texts();
    void effectName_data();
    void effectName();
    void integerFormats_data();
    void integerFormats();
    void unmovedSliderKeepsByte();
    void fineSurvivesRoundTrip();
    void findListItem_data();
    void findListItem();
};

void TestValueFormats::noteName_data()
{
    QTest::addColumn<int>("note");
    QTest::addColumn<QString>("name");

    QTest::newRow("0") << 0 << QStringLiteral("C-2");
    QTest::newRow("1") << 1 << QStringLiteral("C#-2");
    QTest::newRow("12") << 12 << QStringLiteral("C-1");
    QTest::newRow("23") << 23 << QStringLiteral("B-1");
    QTest::newRow("24") << 24 << QStringLiteral("C0");
    QTest::newRow("60") << 60 << QStringLiteral("C3");
    QTest::newRow("70") << 70 << QStringLiteral("A#3");
    QTest::newRow("127") << 127 << QStringLiteral("G8");
    QTest::newRow("255") << 255 << QStringLiteral("D#19");
    QTest::newRow("256") << 256 << QStringLiteral("E19");
}

void TestValueFormats::noteName()
{
    QFETCH(int, note);
    QFETCH(QString, name);
    QCOMPARE(NoteName(note), name);
}

void TestValueFormats::startNote_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("picked");
    QTest::addColumn<int>("storedAfterPick"); // kNoFit: refused

    QTest::newRow("59 shows C3, 60 stores 59") << 59 << QStringLiteral("C3") << 60 << 59;
    QTest::newRow("0 shows C#-2, 0 stores 0") << 0 << QStringLiteral("C#-2") << 0 << 0;
    QTest::newRow("1 stores 0") << 0 << QStringLiteral("C#-2") << 1 << 0;
    QTest::newRow("255 shows note 256") << 255 << QStringLiteral("E19") << 256 << 255;
    QTest::newRow("257 does not fit") << 254 << QStringLiteral("D#19") << 257 << kNoFit;
    QTest::newRow("negative does not fit") << 126 << QStringLiteral("G8") << -1 << kNoFit;
}

void TestValueFormats::startNote()
{
    QFETCH(int, stored);
    QFETCH(QString, shown);
    QFETCH(int, picked);
    QFETCH(int, storedAfterPick);

    QCOMPARE(StartNoteName(quint8(stored)), shown);
    const std::optional<quint8> result = storedStartNote(picked);
    QCOMPARE(result.has_value(), storedAfterPick != kNoFit);
    if (result)
        QCOMPARE(int(*result), storedAfterPick);
}

void TestValueFormats::texts_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("shown");

    const auto row = [](const char *format, int v, const char *shown) {
        QTest::addRow("%s %d", format, v) << QString::fromLatin1(format) << v << QString::fromLatin1(shown);
    };
    row("octave", 254, "-2");
    row("octave", 255, "-1");
    row("octave", 0, "0");
    row("octave", 1, "+1");
    row("octave", 2, "+2");
    row("octave", 3, "+3");
    row("octave", 128, "+128");
    row("pitch", 0, "STANDARD");
    row("pitch", 1, "FIXED");
    row("pitch", 2, "2");
    row("pitch", 255, "255");
    row("rotor", 128, "ON");
    row("rotor", 255, "ON");
    row("rotor", 0x83, "ON");
    row("rotor", 0, "OFF");
    row("rotor", 127, "OFF");
}

void TestValueFormats::texts()
{
    QFETCH(QString, format);
    QFETCH(int, stored);
    QFETCH(QString, shown);

    const quint8 v = quint8(stored);
    if (format == QLatin1String("octave"))
        QCOMPARE(OctaveText(v), shown);
    else if (format == QLatin1String("pitch"))
        QCOMPARE(PitchModeText(v), shown);
    else
        QCOMPARE(RotorText(v), shown);
}

void TestValueFormats::effectName_data()
{
    QTest::addColumn<int>("effect");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("captions"); // Label30, Label31, Label32; empty: hidden

    const auto row = [](int e, const char *name, const char *c0, const char *c1, const char *c2) {
        QTest::addRow("%d", e) << e << QString::fromLatin1(name)
                               << QStringList{QLatin1String(c0), QLatin1String(c1),
                                              QLatin1String(c2)};
    };
    row(0, "OFF", "", "", "");
    row(1, "OVERDRIVE", "OVERDRIVE", "", "");
    row(2, "DISTORTION", "DISTOR", "", "");
    row(3, "CHORUS", "CHORUS", "", "");
    row(4, "DELAY", "DELAY", "", "");
    row(5, "DELAY + CHORUS", "DELAY", "", "CHORUS");
    row(6, "DIST + CHORUS", "DISTOR", "", "CHORUS");
    row(7, "DIST + DELAY", "DISTOR", "DELAY", "");
    row(8, "DIST + DELAY + CHORUS", "DISTOR", "DELAY", "CHORUS");
    row(9, "OVERDRIVE + CHORUS", "OVERDRIVE", "", "CHORUS");
    row(10, "", "", "", "");
    row(127, "", "", "", "");
    row(128, "OFF", "", "", "");
    row(0x83, "CHORUS", "CHORUS", "", "");
    row(137, "OVERDRIVE + CHORUS", "OVERDRIVE", "", "CHORUS");
    row(138, "", "", "", "");
}

void TestValueFormats::effectName()
{
    QFETCH(int, effect);
    QFETCH(QString, name);
    QFETCH(QStringList, captions);

    const EffectView view = EffectName(quint8(effect));
    QCOMPARE(view.name, name);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(view.amount[i].shown, !captions[i].isEmpty());
        if (view.amount[i].shown)
            QCOMPARE(view.amount[i].caption, captions[i]);
    }
}

void TestValueFormats::integerFormats_data()
{
    QTest::addColumn<ValueFormat>("format");
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("shown");
    QTest::addColumn<int>("sliderStart");
    QTest::addColumn<int>("picked");
    QTest::addColumn<int>("storedAfterPick"); // kNoFit: keep the old byte

    const auto row = [](const char *name, ValueFormat f, int v, int shown, int start, int picked,
                        int after) {
        QTest::newRow(name) << f << v << shown << start << picked << after;
    };
    using F = ValueFormat;
    row("plain 100", F::Plain, 100, 100, 100, 127, 127);
    row("plain 256 does not fit", F::Plain, 5, 5, 5, 256, kNoFit);
    row("plain -1 does not fit", F::Plain, 5, 5, 5, -1, kNoFit);
    row("half 7 starts at 4", F::Half, 7, 3, 4, 4, 8);
    row("half 5 starts at 2", F::Half, 5, 2, 2, 2, 4);
    row("half 126", F::Half, 126, 63, 63, 63, 126);
    row("half 255 to 256 does not fit", F::Half, 255, 127, 128, 128, kNoFit);
    row("half 127 fits", F::Half, 0, 0, 0, 127, 254);
    row("fine 252", F::Fine, 252, 99, 99, 99, 252);
    row("fine 42 ties to even", F::Fine, 42, 16, 16, 16, 41);
    row("fine 14 ties to even", F::Fine, 14, 6, 6, 6, 15);
    row("fine 1", F::Fine, 1, 0, 0, 0, 0);
    row("fine picked 2", F::Fine, 0, 0, 0, 2, 5);
    row("fine picked 101 does not fit", F::Fine, 0, 0, 0, 101, kNoFit);
    row("fine picked -1", F::Fine, 0, 0, 0, -1, kNoFit);
    row("reverse127 0", F::Reverse127, 0, 127, 127, 127, 0);
    row("reverse127 127", F::Reverse127, 127, 0, 0, 0, 127);
    row("reverse127 negative does not fit", F::Reverse127, 0, 127, 127, 128, kNoFit);
    row("reverse127 200 shows negative", F::Reverse127, 200, -73, -73, -73, 200);
    row("reverse99 0", F::Reverse99, 0, 99, 99, 99, 0);
    row("reverse99 100 does not fit", F::Reverse99, 0, 99, 99, 100, kNoFit);
    row("reverse96 96", F::Reverse96, 96, 0, 0, 0, 96);
    row("reverse96 255", F::Reverse96, 255, -159, -159, 5, 91);
    row("offset64 0", F::SignedOffset64, 0, -64, -64, -64, 0);
    row("offset64 64", F::SignedOffset64, 64, 0, 0, 0, 64);
    row("offset64 128", F::SignedOffset64, 128, 64, 64, 63, 127);
    row("offset64 -65 does not fit", F::SignedOffset64, 0, -64, -64, -65, kNoFit);
    row("offset64 192 does not fit", F::SignedOffset64, 0, -64, -64, 192, kNoFit);
    row("high nibble 0x35", F::HighNibble, 0x35, 3, 3, 7, 0x75);
    row("low nibble 0x35", F::LowNibble, 0x35, 5, 5, 1, 0x31);
    row("high nibble 0xff", F::HighNibble, 0xff, 15, 15, 0, 0x0f);
    row("low nibble 0xff", F::LowNibble, 0xff, 15, 15, 0, 0xf0);
    row("high nibble 16 does not fit", F::HighNibble, 0x35, 3, 3, 16, kNoFit);
    row("low nibble 16 does not fit", F::LowNibble, 0x35, 5, 5, 16, kNoFit);
    row("low nibble -1 does not fit", F::LowNibble, 0x35, 5, 5, -1, kNoFit);
}

void TestValueFormats::integerFormats()
{
    QFETCH(ValueFormat, format);
    QFETCH(int, stored);
    QFETCH(int, shown);
    QFETCH(int, sliderStart);
    QFETCH(int, picked);
    QFETCH(int, storedAfterPick);

    const quint8 v = quint8(stored);
    QCOMPARE(shownValue(format, v), shown);
    QCOMPARE(namedFormat(format)(v), shown);
    QCOMPARE(sliderStartValue(format, v), sliderStart);
    const std::optional<quint8> result = storedValue(format, picked, v);
    QCOMPARE(result.has_value(), storedAfterPick != kNoFit);
    if (result)
        QCOMPARE(int(*result), storedAfterPick);
}

// Closing the slider without moving it must not change a byte that the format can
// show exactly, whatever the byte holds.
void TestValueFormats::unmovedSliderKeepsByte()
{
    using F = ValueFormat;
    for (F f : {F::Plain, F::Reverse127, F::Reverse99, F::Reverse96, F::SignedOffset64,
                F::HighNibble, F::LowNibble}) {
        for (int v = 0; v < 256; ++v) {
            const std::optional<quint8> back = storedValue(f, sliderStartValue(f, quint8(v)), quint8(v));
            QVERIFY2(back && *back == v, qPrintable(QStringLiteral("format %1, byte %2").arg(int(f)).arg(v)));
        }
    }
    // HALF keeps even bytes; an odd one moves to an even neighbour, and 255 cannot.
    for (int v = 0; v < 256; ++v) {
        const std::optional<quint8> back = storedValue(F::Half, sliderStartValue(F::Half, quint8(v)), quint8(v));
        if (v == 255)
            QVERIFY(!back);
        else
            QVERIFY(back && (*back == v || (v % 2 == 1 && (*back == v + 1 || *back == v - 1))));
    }
}

// Every FINE value the slider can pick is shown again as picked.
void TestValueFormats::fineSurvivesRoundTrip()
{
    for (int p = 0; p <= 99; ++p) {
        const std::optional<quint8> stored = storedValue(ValueFormat::Fine, p, 0);
        QVERIFY(stored && *stored <= 252);
        QCOMPARE(FineValue(*stored), p);
    }
}

void TestValueFormats::findListItem_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index");

    const QStringList octaves{QStringLiteral("       -2"), QStringLiteral("       -1"),
                              QStringLiteral("        0"), QStringLiteral("      +1"),
                              QStringLiteral("      +2")};
    QTest::newRow("+1") << octaves << QStringLiteral("+1") << 3;
    QTest::newRow("-2") << octaves << QStringLiteral("-2") << 0;
    QTest::newRow("+3 missing") << octaves << QStringLiteral("+3") << 0;
    QTest::newRow("trailing spaces") << QStringList{QStringLiteral("A"), QStringLiteral(" B  ")}
                                     << QStringLiteral("B") << 1;
    QTest::newRow("case-sensitive") << QStringList{QStringLiteral("X"), QStringLiteral("OFF")}
                                    << QStringLiteral("off") << 0;
    QTest::newRow("first match") << QStringList{QStringLiteral("A"), QStringLiteral("B"),
                                                QStringLiteral(" B")}
                                 << QStringLiteral("B") << 1;
    QTest::newRow("inner space kept")
        << QStringList{QStringLiteral("DELAY"), QStringLiteral("DELAY + CHORUS")}
        << QStringLiteral("DELAY + CHORUS") << 1;
}

void TestValueFormats::findListItem()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, text);
    QFETCH(int, index);
    QCOMPARE(FindListItem(entries, text), index);
}

QTEST_GUILESS_MAIN(TestValueFormats)
#include "test_valueformats.moc"
