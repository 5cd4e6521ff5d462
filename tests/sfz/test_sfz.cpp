// SPDX-License-Identifier: GPL-3.0-or-later
// The SFZ reader and its import into a record. That whatever imports fills a record:
// tests/fuzz/fuzz_sfz.

#include "sfz/sfzimport.h"

#include "../wav/helper_sound.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <tuple>

using namespace tamo;
using namespace tamo::sfz;
using namespace Qt::StringLiterals;

// files: name, text, name, text, ...; the first is the SFZ read. Folders are made.
static QString writeFiles(const QTemporaryDir &dir, const QStringList &files)
{
    for (qsizetype i = 0; i + 1 < files.size(); i += 2) {
        const QString path = dir.filePath(files.at(i));
        if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !tamo::test::writeAll(path, files.at(i + 1).toUtf8()))
            return {};
    }
    return dir.filePath(files.value(0));
}

// Each region's opcodes in force, the last of a name winning, regions split by " | ".
static QString regionsText(const SfzDocument &document)
{
    if (document.error.isSet())
        return document.error.text();
    QStringList regions;
    for (const Region &region : document.regions) {
        QStringList opcodes;
        for (const Opcode &opcode : region.opcodes) {
            if (const QString text = opcode.name + u'=' + region.find(opcode.name)->value; !opcodes.contains(text))
                opcodes << text;
        }
        regions << opcodes.join(u' ');
    }
    return regions.join(u" | "_s) + (document.notes.isEmpty() ? QString() : u" || "_s + document.notes.join(u" / "_s));
}

static QString samplesText(const SfzImport &import)
{
    static const char *const labels[] = {"start", "end", "vol", "dca", "cut", "dcf", "pitch",
                                         "fine", "key", "att", "sus", "dec", "rel"};
    if (!import.ok())
        return import.error.text();
    QStringList samples;
    for (const ImportedSample &sample : import.samples) {
        QStringList parts{QString::fromLatin1(sample.name.trimmed())};
        for (auto it = sample.fields.cbegin(); it != sample.fields.cend(); ++it)
            parts << QString::fromLatin1(labels[int(it.key())]) + u'=' + QString::number(it.value());
        const wav::SourceCut &cut = sample.cut;
        if (cut.start != 0 || cut.end >= 0)
            parts << u"cut=%1-%2"_s.arg(cut.start).arg(cut.end);
        if (cut.loop != wav::SourceCut::Loop::Keep)
            parts << (cut.loop == wav::SourceCut::Loop::None ? u"loop=none"_s : u"loop=%1-%2"_s.arg(cut.loopStart).arg(cut.loopEnd));
        samples << parts.join(u' ');
    }
    return samples.join(u" | "_s);
}

class TestSfz : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("expected"); // regionsText
        QTest::newRow("inheritance and resets") << QStringList{u"m.sfz"_s,
            u"<global> volume=-3 <group> lokey=60 <region> sample=a.wav\n<region> sample=b.wav volume=-6\n"
            "<group><region> sample=c.wav <master> tune=5 <region> sample=d.wav"_s}
            << u"volume=-3 lokey=60 sample=a.wav | volume=-6 lokey=60 sample=b.wav | volume=-3 sample=c.wav"
               " | volume=-3 tune=5 sample=d.wav"_s;
        QTest::newRow("defines, longest name first") << QStringList{u"m.sfz"_s,
            u"#define $K 60\n#define $KEYS 62\n<region> lokey=$K hikey=$KEYS sample=$K.wav"_s}
            << u"lokey=60 hikey=62 sample=60.wav"_s;
        QTest::newRow("key forms") << QStringList{u"m.sfz"_s,
            u"<region> key=c4 <region> lokey=c#4 hikey=db4 <region> key=C-1 <region> key=B3 <region> key=eb4"_s}
            << u"key=60 | lokey=61 hikey=61 | key=0 | key=59 | key=63"_s;
        QTest::newRow("offsets from control") << QStringList{u"m.sfz"_s,
            u"<control> octave_offset=1 note_offset=-2\n<region> key=c4 <region> pitch_keycenter=60"_s}
            << u"key=70 | pitch_keycenter=70"_s;
        QTest::newRow("spaces, backslashes, default_path") << QStringList{u"m.sfz"_s,
            u"<control> default_path=Samples\\Piano\\\r\n<region> sample=My Piano C4.wav  lokey=60\r\n"
            "<region> sample=..\\x y.wav<region>sample=/abs/z.wav"_s}
            << u"sample=Samples/Piano/My Piano C4.wav lokey=60 | sample=Samples/Piano/../x y.wav | sample=/abs/z.wav"_s;
        QTest::newRow("includes relative to the including file") << QStringList{u"m.sfz"_s,
            u"#include \"sub\\inc.sfz\"\n<region> sample=b.wav"_s, u"sub/inc.sfz"_s,
            u"<group> lokey=1\n#include \"more.sfz\""_s, u"sub/more.sfz"_s, u"<region> sample=a.wav"_s}
            << u"lokey=1 sample=a.wav | lokey=1 sample=b.wav"_s;
        QTest::newRow("one file included twice: read twice") << QStringList{u"m.sfz"_s,
            u"<group> lokey=1\n#include \"i.sfz\"\n<group> lokey=2\n#include \"i.sfz\""_s, u"i.sfz"_s, u"<region> sample=a.wav"_s}
            << u"lokey=1 sample=a.wav | lokey=2 sample=a.wav"_s;
        QTest::newRow("unclosed header") << QStringList{u"m.sfz"_s, u"<region> sample=a.wav\n<region lokey=1"_s}
            << u"m.sfz, line 2: The header is not closed with >"_s;
        QTest::newRow("bad note") << QStringList{u"m.sfz"_s, u"<region>\nkey=h4"_s}
            << u"m.sfz, line 2: \"h4\" is not a note for key"_s;
        QTest::newRow("missing include") << QStringList{u"m.sfz"_s, u"<region>\n#include \"gone.sfz\""_s}
            << u"m.sfz, line 2: The included file \"gone.sfz\" does not exist"_s;
        QTest::newRow("slips in ignored opcodes are read past") << QStringList{u"m.sfz"_s,
            u"<region> label_cc30= sample=a.wav\n<region> sw_up=h4 key=60\n#define\t$T\t1"_s}
            << u"sample=a.wav | key=60 || m.sfz, line 1: The opcode label_cc30 has no value; it is read past"
               " / m.sfz, line 2: \"h4\" is not a note for sw_up; it is read past"_s;
        QTest::newRow("directive after an opcode") << QStringList{u"m.sfz"_s,
            u"<region> sample=a.wav #define $X 61\n<region> key=$X #include \"i.sfz\""_s, u"i.sfz"_s, u"lokey=1"_s}
            << u"sample=a.wav | key=61 lokey=1"_s;
        const QString spaces(80000, u' ');
        QTest::newRow("80 KB of spaces in a value") << QStringList{u"m.sfz"_s, u"<region> sample=a"_s + spaces + u"b.wav"_s}
            << u"sample=a"_s + spaces + u"b.wav"_s;
        // Each define doubles the one before: expanded where defined, or left as written
        // when it names one defined later.
        QString bomb = u"#define $A0 <region>sample=a.wav\n"_s, reversed;
        for (int i = 1; i < 40; ++i) {
            bomb += u"#define $A%1 $A%2$A%2\n"_s.arg(i).arg(i - 1);
            reversed.prepend(u"#define $A%1 $A%2$A%2\n"_s.arg(i).arg(i - 1));
        }
        QTest::newRow("define bomb") << QStringList{u"m.sfz"_s, bomb + u"$A39"_s}
            << u"m.sfz, line 17: The line grows beyond 1048576 characters once its $names are replaced"_s;
        QTest::newRow("define bomb, reversed") << QStringList{u"m.sfz"_s, reversed + u"#define $A0 <region>\n$A39"_s}
            << u"m.sfz, line 41: Expected an opcode (name=value) but found \"$A38$A38\""_s;
        QStringList fanOut{u"m.sfz"_s, QString(u"#include \"f1.sfz\"\n"_s).repeated(10)};
        for (int i = 1; i <= 4; ++i)
            fanOut << u"f%1.sfz"_s.arg(i) << QString(u"#include \"f%1.sfz\"\n"_s.arg(i + 1)).repeated(10);
        QTest::newRow("include fan-out") << (fanOut << u"f5.sfz"_s << u"<region> sample=a.wav"_s)
            << u"f5.sfz, line 1: More than 20000 regions"_s;
        QTest::newRow("many regions under a big group") << QStringList{u"m.sfz"_s, u"#define $O a=1 a=1 a=1 a=1 a=1 a=1 a=1 a=1 a=1 a=1\n"
            "#define $P $O $O $O $O $O $O $O $O $O $O\n#define $Q $P $P $P $P $P $P $P $P $P $P\n<group> $Q $Q $Q $Q $Q\n"_s
            + QString(u"<region><region><region><region><region><region><region><region><region><region>\n"_s).repeated(200)}
            << u"m.sfz, line 15: The regions hold more than 500000 opcodes in all"_s; // 5000 a region
        // 3 * (2^17 - 2) characters in the defines, then 3 * 2^16 a line: past 16 MB on the 84th.
        QTest::newRow("expanding lines") << QStringList{u"m.sfz"_s, QString(bomb).replace(u"<region>sample=a.wav"_s, u"x=1"_s)
            .section(u'\n', 0, 16) + u"\n<control>\n"_s + QString(u"$A16\n"_s).repeated(100)}
            << u"m.sfz, line 102: The $names expand to more than 16 MB of text in all"_s;
        QTest::newRow("included bytes") << QStringList{u"m.sfz"_s, QString(u"#include \"big.sfz\"\n"_s).repeated(40),
            u"big.sfz"_s, u"//"_s + QString(1 << 20, u'x')}
            << u"m.sfz, line 32: The #include files come to more than 32 MB in all at \"big.sfz\""_s;
        QTest::newRow("include loop") << QStringList{u"m.sfz"_s, u"<group>\n#include \"a.sfz\""_s,
            u"a.sfz"_s, u"#include \"m.sfz\""_s}
            << u"a.sfz, line 1: #include loop: \"m.sfz\" is already being read"_s;
    }
    void parse()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QCOMPARE(regionsText(parseSfzFile(writeFiles(dir, files))), expected);
    }

    void import_data()
    {
        QTest::addColumn<QString>("sfz");
        // Beside the SFZ: "name" empty, "name:frames[:root[:loop start:loop end]]" a WAV
        // (its loop end one past the last looped frame).
        QTest::addColumn<QStringList>("sampleFiles");
        QTest::addColumn<QString>("expected"); // samplesText
        QTest::addColumn<QString>("reported"); // a report line that must appear; "!line": must not
        QTest::newRow("mapping, name case on disk") << u"<region> sample=A.WAV lokey=c4 hikey=e4 pitch_keycenter=d4 tune=-10 "
            "volume=-6 ampeg_attack=0 ampeg_release=20 ampeg_sustain=50 cutoff=500 fil_type=lpf_2p"_s << QStringList{u"a.wav"_s}
            << u"A start=59 end=64 vol=90 fine=229 key=63 att=127 sus=64 dec=99 rel=0"_s << u"  fil_type (first at m.sfz, line 1)"_s;
        QTest::newRow("transpose into KEY, tune into FINE") << u"<region> sample=a.wav key=60 transpose=-12 tune=30 pitch_keytrack=0"_s
            << QStringList{u"a.wav"_s} << u"A start=59 end=60 pitch=1 fine=76 key=72"_s << QString();
        QTest::newRow("tuning beyond the keys") << u"<region> sample=a.wav key=120 transpose=-12 volume=6"_s << QStringList{u"a.wav"_s}
            << u"A start=119 end=120 vol=127 fine=0 key=120"_s << u"  a.wav: a tuning of -1200 cents does not fit; KEY is kept at C8, untuned"_s;
        QTest::newRow("velocity 100 layer kept") << u"<group> amp_velcurve_64=0.5 amp_velcurve_100=1 <region> sample=p.wav hivel=64 key=60 "
            "<region> sample=f.wav lovel=65 key=60 <region> sample=p.wav hivel=64 key=62"_s << QStringList{u"p.wav"_s, u"f.wav"_s}
            << u"F start=59 end=60 fine=0 key=60"_s << u"  p.wav, keys D3 (MIDI 62), velocity 0-64 (m.sfz, line 1)"_s;
        QTest::newRow("a layer ending at velocity 100 plays it") << u"<region> sample=p.wav hivel=100 key=60 "
            "<region> sample=f.wav lovel=101 key=60"_s << QStringList{u"p.wav"_s, u"f.wav"_s}
            << u"P start=59 end=60 fine=0 key=60"_s << u"  f.wav, keys C3 (MIDI 60), velocity 101-127 (m.sfz, line 1)"_s;
        QTest::newRow("round robins, release triggers") << u"<group> seq_length=2 key=62 <region> sample=a.wav seq_position=1 "
            "<region> sample=b.wav seq_position=2 <region> sample=r.wav trigger=release"_s << QStringList{u"a.wav"_s}
            << u"A start=61 end=62 fine=0 key=62"_s << u"  b.wav, keys D3 (MIDI 62), velocity 0-127 (m.sfz, line 1)"_s;
        QTest::newRow("missing sample") << u"<region> sample=a.wav\n<region> sample=sub\\gone.wav"_s << QStringList{u"a.wav"_s}
            << u"m.sfz, line 2: The sample file \"%1/sub/gone.wav\" does not exist"_s << QString();
        // Windows and loops: SFZ's end and loop_end are last frames, the cut's one past.
        QTest::newRow("window and loop, from the group") << u"<group> loop_mode=loop_continuous offset=100 <region> "
            "sample=a.wav key=60 end=899 loop_start=200 loop_end=499"_s << QStringList{u"a.wav:1000"_s}
            << u"A start=59 end=60 fine=0 key=60 cut=100-900 loop=200-500"_s << u"!  offset (first at m.sfz, line 1)"_s;
        QTest::newRow("one-shot drops the file's loop") << u"<region> sample=a.wav key=60 loop_mode=one_shot loop_start=9 loop_end=20"_s
            << QStringList{u"a.wav:1000:60:10:20"_s} << u"A start=59 end=60 fine=0 key=60 loop=none"_s << u"!  loop_mode (first at m.sfz, line 1)"_s;
        QTest::newRow("no loop_mode: the file's loop says it loops") << u"<region> sample=a.wav key=60 loopstart=5 loopend=14"_s
            << QStringList{u"a.wav:1000:60:10:20"_s} << u"A start=59 end=60 fine=0 key=60 loop=5-15"_s << QString();
        QTest::newRow("no loop given: the file's own") << u"<region> sample=a.wav key=60 loop_mode=loop_sustain"_s
            << QStringList{u"a.wav:1000:60:10:20"_s} << u"A start=59 end=60 fine=0 key=60"_s << QString();
        QTest::newRow("the file's own loop again") << u"<region> sample=a.wav key=60 loop_mode=loop_continuous loop_start=10 loop_end=19"_s
            << QStringList{u"a.wav:1000:60:10:20"_s} << u"A start=59 end=60 fine=0 key=60"_s << QString();
        QTest::newRow("beyond the file, clamped") << u"<region> sample=a.wav key=60 offset=5000 end=20000 "
            "loop_mode=loop_continuous loop_start=10 loop_end=30000"_s << QStringList{u"a.wav:1000"_s}
            << u"A start=59 end=60 fine=0 key=60 loop=10-1000"_s << u"  a.wav: end=20000 lies beyond its 1000 frames; it plays to its end"_s;
        // Names: one per file and cut, readable, never shared by two sources.
        QTest::newRow("one name per file and cut") << u"<region> sample=Piano C4.wav key=60 <region> sample=Piano C4.wav key=61 "
            "<region> sample=Piano C4.wav key=62 offset=10 <region> sample=Strings Ensemble C3.wav key=63 "
            "<region> sample=Strings Ensemble Long C3.wav key=64 <region> sample=s/PianoC4.wav key=65"_s
            << QStringList{u"Piano C4.wav:100"_s, u"Strings Ensemble C3.wav"_s, u"Strings Ensemble Long C3.wav"_s, u"s/PianoC4.wav"_s}
            << u"PIANO_C4 start=59 end=60 fine=0 key=60 | PIANO_C4 start=60 end=61 fine=0 key=61 | PNO_C4_2 start=61 end=62 fine=0 key=62 "
               "cut=10--1 | STRENSC3 start=62 end=63 fine=0 key=63 | STENLNC3 start=63 end=64 fine=0 key=64 | PIANOC4 start=64 end=65 fine=0 key=65"_s << QString();
        // Articulations and pitch.
        QTest::newRow("key switch: the lowest") << u"<group> sw_lokey=24 sw_hikey=25 <region> sw_last=25 sample=b.wav key=60 "
            "<region> sw_last=24 sample=a.wav key=60"_s << QStringList{u"a.wav"_s, u"b.wav"_s}
            << u"A start=59 end=60 fine=0 key=60"_s << u"  b.wav, keys C3 (MIDI 60), velocity 0-127 (m.sfz, line 1)"_s;
        QTest::newRow("key switch: sw_default") << u"<global> sw_default=25 <region> sw_last=24 sample=a.wav key=60 "
            "<region> sw_last=25 sample=b.wav key=60"_s << QStringList{u"a.wav"_s, u"b.wav"_s}
            << u"B start=59 end=60 fine=0 key=60"_s << u"  a.wav, keys C3 (MIDI 60), velocity 0-127 (m.sfz, line 1)"_s;
        QTest::newRow("pitch_keycenter=sample, first trigger") << u"<region> sample=a.wav lokey=60 hikey=70 pitch_keycenter=sample trigger=first"_s
            << QStringList{u"a.wav:100:67"_s} << u"A start=59 end=70 fine=0 key=67"_s << QString();
        QTest::newRow("slip in an opcode read for nothing") << u"<group> seq_length=x <region> sample=a.wav key=60"_s
            << QStringList{u"a.wav"_s} << u"A start=59 end=60 fine=0 key=60"_s
            << u"m.sfz, line 1: \"x\" is not a number for seq_length; it is read past"_s;
        QTest::newRow("tune beyond a semitone moves KEY") << u"<region> sample=a.wav key=60 tune=250"_s
            << QStringList{u"a.wav"_s} << u"A start=59 end=60 fine=127 key=58"_s << QString();
        QTest::newRow("folder case on disk") << u"<region> sample=Samples\\Sub\\a.wav key=60"_s
            << QStringList{u"samples/sUB/A.WAV"_s} << u"A start=59 end=60 fine=0 key=60"_s << QString();
    }
    void import()
    {
        QFETCH(QString, sfz);
        QFETCH(QStringList, sampleFiles);
        QFETCH(QString, expected);
        QFETCH(QString, reported);
        QTemporaryDir dir;
        for (const QString &file : std::as_const(sampleFiles)) {
            const QStringList f = file.split(u':');
            QVERIFY(QDir().mkpath(QFileInfo(dir.filePath(f[0])).path()));
            if (f.size() == 1)
                QVERIFY(QFile(dir.filePath(f[0])).open(QIODevice::WriteOnly));
            else
                QVERIFY(test::sound::write(dir.filePath(f[0]), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1, f[1].toInt(),
                                           f.size() > 2 ? std::optional(f[2].toInt()) : std::nullopt,
                                           f.size() > 4 ? std::optional(test::sound::Loop{f[3].toUInt(), f[4].toUInt()}) : std::nullopt));
        }
        const SfzImport import = importSfz(writeFiles(dir, {u"m.sfz"_s, sfz}));
        QCOMPARE(samplesText(import), expected.contains(u"%1") ? expected.arg(dir.path()) : expected);
        if (!reported.isEmpty())
            QVERIFY2(import.report.contains(reported.mid(reported.startsWith(u'!'))) != reported.startsWith(u'!'),
                     qPrintable(import.report.join(u'\n')));
    }

    // Regions given as numbers meet the same limits and fields as their opcodes.
    void typedRegions()
    {
        QTemporaryDir dir;
        QVERIFY(QFile(dir.filePath(u"a.wav"_s)).open(QIODevice::WriteOnly));
        RegionValues mapped, clamped; // clamped: transpose -127 at most, volume 6 dB, keys 127
        mapped.sample = clamped.sample = u"a.wav"_s;
        std::tie(mapped.lowKey, mapped.highKey, mapped.keyCenter, mapped.tune) = std::tuple{60, 64, 62, -10.0};
        std::tie(mapped.volume, mapped.attack, mapped.release, mapped.sustain) = std::tuple{-6.0, 0.0, 20.0, 50.0};
        std::tie(clamped.lowKey, clamped.highKey, clamped.keyCenter, clamped.transpose, clamped.volume) = std::tuple{60, 300, 120, -500.0, 20.0};
        QCOMPARE(samplesText(importRegions({mapped}, dir.path())), u"A start=59 end=64 vol=90 fine=229 key=63 att=127 sus=64 dec=99 rel=0"_s);
        const SfzImport import = importRegions({clamped}, dir.path());
        QCOMPARE(samplesText(import), u"A start=59 end=127 vol=127 fine=0 key=120"_s);
        QVERIFY(import.report.contains(u"  a.wav: a tuning of -12700 cents does not fit; KEY is kept at C8, untuned"_s));
    }

    // Regions hard left and right on the same keys become one stereo sample: the
    // files side by side, the shorter ending in silence; anything less stays apart.
    void stereoPairs_data()
    {
        QTest::addColumn<QString>("regions"); // pairs, each "sample;frames;pan;key[;rate[;opcode]]"
        QTest::addColumn<QString>("name");    // of the one stereo sample; empty: no pair
        QTest::newRow("pan -100 and 100, the right shorter") << "a.wav;1000;-100;60" "|b.wav;600;100;60" << "A";
        QTest::newRow("names marked L and R, the left shorter") << "Pad_L.wav;800;0;60|Pad (R).wav;1200;0;60" << "PAD";
        QTest::newRow("the right at half the rate: stretched") << "a.wav;1000;-100;60|b.wav;600;100;60;22050" << "A";
        QTest::newRow("a mild pan") << "a.wav;1000;-20;60|b.wav;600;20;60" << "";
        QTest::newRow("tuned apart: layers") << "a.wav;1000;-100;60|b.wav;600;100;60;44100;tune=30" << "";
        QTest::newRow("other keys") << "a.wav;1000;-100;60|b.wav;600;100;61" << "";
        QTest::newRow("one pair on two keys: one file") << "a.wav;1000;-100;60|b.wav;600;100;60|a.wav;1000;-100;62|b.wav;600;100;62" << "A";
    }
    void stereoPairs()
    {
        QFETCH(QString, regions);
        QFETCH(QString, name);
        QTemporaryDir dir;
        QString sfz;
        std::vector<test::sound::Contents> sides;
        for (const QString &region : regions.split(u'|')) {
            const QStringList r = region.split(u';');
            QVERIFY(test::sound::write(dir.filePath(r[0]), SF_FORMAT_WAV | SF_FORMAT_PCM_16, r.value(4, u"44100"_s).toInt(), 1, r[1].toInt()));
            sides.push_back(test::sound::read(dir.filePath(r[0])));
            sfz += u"<region> sample=%1 pan=%2 key=%3 %4\n"_s.arg(r[0], r[2], r[3], r.value(5));
        }
        const SfzImport import = importSfz(writeFiles(dir, {u"m.sfz"_s, sfz}));
        QCOMPARE(import.report.contains(u"Left and right regions playing together, now one stereo sample each:"_s), !name.isEmpty());
        QCOMPARE(import.report.contains(u"  b.wav: right side resampled from 22050 Hz to 44100 Hz to pair it with the left"_s), regions.endsWith(u";22050"));
        if (name.isEmpty())
            return;
        for (const auto &sample : import.samples)
            QVERIFY(QString::fromLatin1(sample.name).trimmed() == name && sample.sourcePath == import.samples.at(0).sourcePath);
        const test::sound::Contents both = test::sound::read(import.samples.at(0).sourcePath);
        // The right side at the left one's rate: the half-sine as long in time, its peak kept.
        const qint64 rightFrames = qint64(sides[1].samples.size()) * 44100 / sides[1].info.samplerate;
        QVERIFY(both.ok && both.info.channels == 2 && both.info.frames == std::max(qint64(sides[0].samples.size()), rightFrames));
        for (std::size_t f = 0; f < std::size_t(both.info.frames); ++f)
            QCOMPARE(both.samples[2 * f], f < sides[0].samples.size() ? sides[0].samples[f] : 0.0f);
        std::size_t peak = 0;
        for (std::size_t f = 0; f < std::size_t(both.info.frames); ++f) {
            if (both.samples[2 * f + 1] > both.samples[2 * peak + 1])
                peak = f;
            if (sides[1].info.samplerate == 44100)
                QCOMPARE(both.samples[2 * f + 1], f < sides[1].samples.size() ? sides[1].samples[f] : 0.0f);
        }
        QVERIFY2(std::abs(both.samples[2 * peak + 1] - 0.5f) < 0.01f && std::abs(qint64(peak) - rightFrames / 2) <= rightFrames / 50, qPrintable(QString::number(peak)));
    }

    // Regions sounding together on a key: one sample mixing them at the first one's
    // root, each at its pitch, volume and pan, read back by a Goertzel filter; the
    // levels are the pan law's (hard left: sqrt 2 on the left, none right).
    void layersMixed_data()
    {
        QTest::addColumn<QString>("regions"); // a.wav and b.wav: sines of 0.5, 4 s
        QTest::addColumn<QList<double>>("tones"); // per tone: Hz in a.wav, in b.wav; then channel, Hz, amplitude
        QTest::newRow("octave down at -6 dB") << u"<region> sample=a.wav key=69 <region> sample=b.wav key=69 pitch_keycenter=57 volume=-6"_s
            << QList<double>{440, 330, 0, 440, 0.5, 0, 660, 0.2506, 0, 330, 0};
        QTest::newRow("one keycenter, tuned apart, hard left and right") << u"<region> sample=a.wav key=69 pan=-100 "
            "<region> sample=b.wav key=69 pan=100 tune=700"_s << QList<double>{440, 440, 0, 440, 0.7071, 1, 440, 0, 1, 659.26, 0.7071, 0, 659.26, 0};
        QTest::newRow("keytrack and transpose") << u"<region> sample=a.wav key=69 <region> sample=b.wav key=69 "
            "pitch_keycenter=60 pitch_keytrack=50 transpose=-1"_s << QList<double>{440, 440, 0, 440, 0.5, 0, 538.58, 0.5};
    }
    void layersMixed()
    {
        QFETCH(QString, regions);
        QFETCH(QList<double>, tones);
        QTemporaryDir dir;
        for (const int i : {0, 1}) {
            std::vector<float> sine(4 * 44100);
            for (std::size_t f = 0; f < sine.size(); ++f)
                sine[f] = float(0.5 * std::sin(2 * M_PI * tones.at(i) * double(f) / 44100));
            QVERIFY(test::sound::write24(dir.filePath(i == 0 ? u"a.wav"_s : u"b.wav"_s), sine, 44100, 1));
        }
        const SfzImport import = importSfz(writeFiles(dir, {u"m.sfz"_s, regions}));
        QVERIFY2(import.samples.size() == 1 && import.report.join(u'\n').contains(u"mixed into one sample"_s)
                     && import.report.join(u'\n').contains(u"a.wav + b.wav"_s), qPrintable(import.report.join(u'\n')));
        const test::sound::Contents mix = test::sound::read(import.samples.at(0).sourcePath);
        for (qsizetype t = 2; t + 2 < tones.size(); t += 3) {
            const int channel = int(tones.at(t));
            const double w = 2 * M_PI * tones.at(t + 1) / 44100;
            double s1 = 0, s2 = 0, windowSum = 0;
            for (int n = 0; n < 32768 && channel < mix.info.channels; ++n) { // Hann-windowed, from 0.5 s
                const double hann = 0.5 - 0.5 * std::cos(2 * M_PI * n / 32767);
                const double s = hann * mix.samples[size_t((22050 + n) * mix.info.channels + channel)] + 2 * std::cos(w) * s1 - s2;
                s2 = s1, s1 = s, windowSum += hann;
            }
            const double amplitude = 2 * std::sqrt(std::max(0.0, s1 * s1 + s2 * s2 - 2 * std::cos(w) * s1 * s2)) / windowSum;
            QVERIFY2(std::abs(amplitude - tones.at(t + 2)) < 0.01 + 0.02 * tones.at(t + 2), qPrintable(u"%1 Hz: %2"_s.arg(tones.at(t + 1)).arg(amplitude)));
        }
        bool right = false;
        for (qsizetype t = 2; t < tones.size(); t += 3)
            right = right || tones.at(t) == 1;
        QCOMPARE(mix.info.channels, right ? 2 : 1);
    }

    // More than 64 regions: neighbours merge until 64 are left, the zones still tile
    // the keys the regions covered, and a sample recorded over two keys merges with
    // itself first.
    void mergeTo64()
    {
        const int regions = 128, keysPerFile = 2;
        QTemporaryDir dir;
        QString sfz;
        for (int key = 0; key < regions; ++key) {
            const QString file = u"s%1.wav"_s.arg(key / keysPerFile);
            QVERIFY(QFile(dir.filePath(file)).open(QIODevice::WriteOnly));
            sfz += u"<region> sample=%1 key=%2\n"_s.arg(file).arg(key);
        }
        const SfzImport import = importSfz(writeFiles(dir, {u"m.sfz"_s, sfz}));
        QCOMPARE(import.samples.size(), 64);
        QCOMPARE(import.report.count(u"More than 64 regions: neighbouring zones merged:"_s), 1);
        int next = 0;
        for (const ImportedSample &sample : import.samples) {
            QCOMPARE(sample.lowKey, next);
            next = sample.highKey + 1;
            QCOMPARE(QFileInfo(sample.sourcePath).fileName(), u"s%1.wav"_s.arg(sample.lowKey / keysPerFile));
        }
        QCOMPARE(next, regions);
    }
};

QTEST_GUILESS_MAIN(TestSfz)
#include "test_sfz.moc"
