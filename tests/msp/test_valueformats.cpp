#include "msp/valueformats.h"

#include <QTest>

using namespace tamo::msp;
using namespace Qt::StringLiterals;

constexpr int kNoFit = -1; // stored value expected: does not fit, the old byte stays

class TestValueFormats : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void texts_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("shown");
        QTest::newRow("note 0") << u"note"_s << 0 << u"C-2"_s;
        QTest::newRow("note 1") << u"note"_s << 1 << u"C#-2"_s;
        QTest::newRow("note 256") << u"note"_s << 256 << u"E19"_s;
        // Stored one below the note shown.
        QTest::newRow("start 59") << u"start"_s << 59 << u"C3"_s;
        QTest::newRow("octave 254") << u"octave"_s << 254 << u"-2"_s;
        QTest::newRow("octave 255") << u"octave"_s << 255 << u"-1"_s;
        QTest::newRow("octave 0") << u"octave"_s << 0 << u"0"_s;
        QTest::newRow("octave 1") << u"octave"_s << 1 << u"+1"_s;
        QTest::newRow("pitch 0") << u"pitch"_s << 0 << u"STANDARD"_s;
        QTest::newRow("pitch 1") << u"pitch"_s << 1 << u"FIXED"_s;
        QTest::newRow("pitch 2") << u"pitch"_s << 2 << u"2"_s;
        QTest::newRow("rotor 131") << u"rotor"_s << 0x83 << u"ON"_s;
        QTest::newRow("rotor 127") << u"rotor"_s << 127 << u"OFF"_s;
        // The effect name, then the captions of the three amounts ("-": hidden).
        QTest::newRow("effect 2") << u"effect"_s << 2 << u"DISTORTION|DISTOR|-|-"_s;
        QTest::newRow("effect 5") << u"effect"_s << 5 << u"DELAY + CHORUS|DELAY|-|CHORUS"_s;
        QTest::newRow("effect 8") << u"effect"_s << 8 << u"DIST + DELAY + CHORUS|DISTOR|DELAY|CHORUS"_s;
        QTest::newRow("effect 10") << u"effect"_s << 10 << u"|-|-|-"_s;
        // The rotor bit ignored.
        QTest::newRow("effect 131") << u"effect"_s << 0x83 << u"CHORUS|CHORUS|-|-"_s;
    }
    void texts()
    {
        QFETCH(QString, kind);
        QFETCH(int, value);
        QFETCH(QString, shown);
        const auto v = quint8(value);
        const EffectView effect = EffectName(v);
        QStringList parts{effect.name};
        for (const EffectView::Amount &amount : effect.amount)
            parts << (amount.shown ? amount.caption : u"-"_s);
        QCOMPARE(kind == u"note" ? NoteName(value) : kind == u"start" ? StartNoteName(v) : kind == u"octave" ? OctaveText(v)
                 : kind == u"pitch" ? PitchModeText(v) : kind == u"rotor" ? RotorText(v) : parts.join(u'|'), shown);
    }

    void values_data()
    {
        QTest::addColumn<int>("format"); // a ValueFormat; -1: the START key
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("picked");
        QTest::addColumn<int>("storedAfterPick");
        QTest::newRow("half 7") << int(ValueFormat::Half) << 7 << 3 << 4 << 8;
        QTest::newRow("half 255 to 256 does not fit") << int(ValueFormat::Half) << 255 << 127 << 128 << kNoFit;
        QTest::newRow("fine 42 ties to even") << int(ValueFormat::Fine) << 42 << 16 << 16 << 41;
        QTest::newRow("fine 101 does not fit") << int(ValueFormat::Fine) << 252 << 99 << 101 << kNoFit;
        QTest::newRow("reverse127 200 shows negative") << int(ValueFormat::Reverse127) << 200 << -73 << 128 << kNoFit;
        QTest::newRow("reverse99") << int(ValueFormat::Reverse99) << 0 << 99 << 100 << kNoFit;
        QTest::newRow("reverse96 255") << int(ValueFormat::Reverse96) << 255 << -159 << 5 << 91;
        QTest::newRow("offset64") << int(ValueFormat::SignedOffset64) << 0 << -64 << 63 << 127;
        QTest::newRow("high nibble keeps the low one") << int(ValueFormat::HighNibble) << 0x35 << 3 << 7 << 0x75;
        QTest::newRow("low nibble keeps the high one") << int(ValueFormat::LowNibble) << 0xff << 15 << 0 << 0xf0;
        QTest::newRow("start key 60 stores 59") << -1 << 0 << 0 << 60 << 59;
        QTest::newRow("start key 0 stores 0") << -1 << 0 << 0 << 0 << 0;
        QTest::newRow("start key 257 does not fit") << -1 << 0 << 0 << 257 << kNoFit;
    }
    void values()
    {
        QFETCH(int, format);
        QFETCH(int, stored);
        QFETCH(int, shown);
        QFETCH(int, picked);
        QFETCH(int, storedAfterPick);
        const auto f = ValueFormat(format);
        QVERIFY(format < 0 || shownValue(f, quint8(stored)) == shown);
        const std::optional<quint8> result = format >= 0 ? storedValue(f, picked, quint8(stored)) : storedStartNote(picked);
        QCOMPARE(result ? int(*result) : kNoFit, storedAfterPick);
    }

    // Closing the slider without moving it keeps any byte the format shows exactly;
    // HALF starts an odd byte at its half rounded to even, so the byte moves to the
    // neighbour that is a multiple of 4, and 255 cannot be kept. Every FINE value the
    // slider can pick is shown again as picked.
    void slidersRoundTrip()
    {
        using F = ValueFormat;
        for (F f : {F::Plain, F::Half, F::Reverse127, F::Reverse99, F::Reverse96, F::SignedOffset64, F::HighNibble, F::LowNibble}) {
            for (int v = 0; v < 256; ++v) {
                const std::optional<quint8> back = storedValue(f, sliderStartValue(f, quint8(v)), quint8(v));
                QVERIFY2(f != F::Half ? back == v : v == 255 ? !back : back == (v % 2 ? (v + 1) / 4 * 4 : v), qPrintable(u"format %1, byte %2"_s.arg(int(f)).arg(v)));
            }
        }
        for (int p = 0; p <= 99; ++p) {
            const std::optional<quint8> stored = storedValue(F::Fine, p, 0);
            QVERIFY(stored && *stored <= 252 && shownValue(F::Fine, *stored) == p);
        }
    }

    void findListItem_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("index");
        QTest::newRow("padded entry") << u"+1"_s << 3;
        QTest::newRow("case-sensitive, none: 0") << u"off"_s << 0;
        QTest::newRow("inner space kept") << u"DELAY + CHORUS"_s << 6;
    }
    void findListItem()
    {
        QFETCH(QString, text);
        QFETCH(int, index);
        const QStringList entries = {u"       -2"_s, u"       -1"_s, u"        0"_s, u"      +1"_s, u"OFF"_s, u"DELAY"_s, u" DELAY + CHORUS  "_s, u"+1"_s};
        QCOMPARE(FindListItem(entries, text), index);
    }
};

QTEST_GUILESS_MAIN(TestValueFormats)
#include "test_valueformats.moc"
