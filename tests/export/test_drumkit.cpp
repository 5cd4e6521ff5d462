// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/drumkit.h"
#include "export/exportcommand.h"
#include "msp/keymapping.h"
#include "msp/mspfile.h"

#include "../wav/helper_sound.h"
#include "testsupport.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <random>

using namespace tamo;
using namespace tamo::exporter;
using namespace Qt::StringLiterals;

// A hit: noise (or a 55 Hz sine, a kick) dying away with time constant decay, after
// lead seconds of silence; hz > 0 and decay 0 is a held note.
static bool writeSound(const QString &path, double seconds, double hz, double decay, double lead = 0)
{
    const int rate = 44100;
    std::vector<float> x(std::size_t((seconds + lead) * rate));
    std::mt19937 random(3);
    std::uniform_real_distribution<double> noise(-1.0, 1.0);
    for (std::size_t i = std::size_t(lead * rate); i < x.size(); ++i) {
        const double t = double(i) / rate - lead;
        const double level = 0.5 * std::min(1.0, t / 0.005) * (decay > 0 ? std::exp(-t / decay) : 1.0);
        x[i] = float(level * (hz > 0 ? std::sin(2 * M_PI * hz * t) : noise(random)));
    }
    return test::sound::write24(path, x, rate, 1, SF_FORMAT_PCM_16);
}

class TestDrumKit : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Names as kits write them, and the General MIDI drum key each asks for first.
    void generalMidiKeys_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("key"); // -1: none
        const QList<std::pair<const char *, int>> rows{
            {"Kick (Tama Superstar 22\")", 36}, {"BassDrum", 36}, {"bass drum 1", 36}, {"Pearl Side Stick", 37},
            {"Snare Jazz", 38}, {"Snare Rimshot", 40}, {"Hand Clap", 39}, {"Tom Floor", 41}, {"Tom Low", 43},
            {"Tom Mid", 47}, {"tomhi2", 50}, {"Hi Hat Closed", 42}, {"Pedal HH", 44}, {"Hi-Hat Open", 46},
            {"Crash", 49}, {"Ride Jazz", 51}, {"China (Paiste Alpha 18\")", 52}, {"Ride Bell", 53},
            {"Tambourine", 54}, {"Zildjian Splash", 55}, {"Cowbell", 56}, {"Bongo Lo", 61}, {"Agogo High", 67},
            {"Maraca", 70}, {"Clave", 75}, {"Woodblock Lo", 77}, {"Djembe1 Slap", -1}, {"Zap 1", -1}};
        for (const auto &[name, key] : rows)
            QTest::newRow(name) << QString::fromUtf8(name) << key;
    }
    void generalMidiKeys()
    {
        QFETCH(QString, name);
        QFETCH(int, key);
        QCOMPARE(gmDrumKeys(name).value(0, -1), key);
    }

    // Files that are layers of one instrument become one sound; the kept one is the
    // layer velocity 100 plays (BD_07 of eight, as BJA_Pacific's drumkit.xml has it).
    void layersGrouped_data()
    {
        QTest::addColumn<QString>("files");
        QTest::addColumn<QString>("kept");
        QTest::newRow("v1..v4, and two kicks") << "snare_v1|snare_v2|snare_v3|snare_v4|Kick 1|Kick 2" << "snare_v3|Kick 1|Kick 2";
        QTest::newRow("_01.._08") << "BD_01|BD_02|BD_03|BD_04|BD_05|BD_06|BD_07|BD_08|SN_01" << "BD_07|SN_01";
        QTest::newRow("soft, hard") << "Tom hard|Tom soft|Hat" << "Tom hard|Hat";
        QTest::newRow("left and right") << "Ride(R)|Ride(L)" << "Ride(L)";
    }
    void layersGrouped()
    {
        QFETCH(QString, files);
        QFETCH(QString, kept);
        QStringList paths;
        for (const QString &name : files.split(u'|'))
            paths << u"/kit/"_s + name + u".wav"_s;
        QStringList names;
        for (const KitPiece &piece : kitFromFiles(paths).pieces)
            names << QFileInfo(piece.path).completeBaseName();
        QCOMPARE(names.join(u'|'), kept);
    }

    void heldPitch_data()
    {
        QTest::addColumn<double>("hz");
        QTest::addColumn<double>("decay");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<int>("held"); // -1: too short to tell
        QTest::newRow("held note, late start") << 261.63 << 0.0 << 1.0 << 1;
        QTest::newRow("noise hit") << 0.0 << 0.15 << 1.0 << 0;
        QTest::newRow("kick: 55 Hz dying fast") << 55.0 << 0.04 << 1.0 << 0;
        QTest::newRow("too short") << 440.0 << 0.0 << 0.3 << -1;
    }
    void heldPitch()
    {
        QFETCH(double, hz);
        QFETCH(double, decay);
        QFETCH(double, seconds);
        QFETCH(int, held);
        QTemporaryDir dir;
        QVERIFY(writeSound(dir.filePath(u"x.wav"_s), seconds, hz, decay, hz == 261.63 ? 0.2 : 0.0));
        const std::optional<bool> found = holdsPitch(dir.filePath(u"x.wav"_s));
        QCOMPARE(found ? int(*found) : -1, held);
    }

    // A Hydrogen kit of 67 instruments through `TAMO export`: one MSP of 64, the
    // General MIDI ones kept, the velocity-100 layer with its gains, the silent
    // placeholder out, stick names; a broken drumkit.xml falls back to the files.
    void hydrogenKit_data()
    {
        QTest::addColumn<bool>("broken");
        QTest::newRow("drumkit.xml") << false;
        QTest::newRow("broken drumkit.xml") << true;
    }
    void hydrogenKit()
    {
        QFETCH(bool, broken);
        QTemporaryDir dir;
        const QDir kit(dir.filePath(u"My Kit"_s));
        QVERIFY(QDir().mkpath(kit.path()));
        QString xml = u"<?xml version='1.0'?>\n<drumkit_info xmlns='http://www.hydrogen-music.org/drumkit'><name>My Kit</name>"
                      "<instrumentList>"_s;
        const auto instrument = [&](const QString &name, const QString &layers, double volume = 1) {
            xml += u"<instrument><name>%1</name><volume>%2</volume><gain>1</gain>%3</instrument>"_s.arg(name).arg(volume).arg(layers);
        };
        const auto layer = [](const QString &file, double min, double max, double gain) {
            return u"<layer><filename>%1</filename><min>%2</min><max>%3</max><gain>%4</gain><pitch>0</pitch></layer>"_s.arg(file).arg(min).arg(max).arg(gain);
        };
        instrument(u"Perc 0"_s, layer(u"p0.wav"_s, 0, 1, 1));
        instrument(u"Kick"_s, layer(u"kick soft.wav"_s, 0, 0.5, 1) + layer(u"kick hard.wav"_s, 0.5, 1, 0.5), 0.8);
        instrument(u"Snare"_s, layer(u"snare.wav"_s, 0, 1, 1));
        instrument(u"17"_s, layer(u"empty.wav"_s, 0, 1, 1));
        instrument(u"18"_s, QString()); // an unused place
        for (int i = 1; i <= 63; ++i)
            instrument(u"Perc %1"_s.arg(i), layer(u"p%1.wav"_s.arg(i), 0, 1, 1));
        QVERIFY(test::writeAll(kit.filePath(u"drumkit.xml"_s), (broken ? xml : xml + u"</instrumentList></drumkit_info>"_s).toUtf8()));
        for (int i = 0; i <= 63; ++i) // the first a steady tone, as a kit's cowbell can be
            QVERIFY(writeSound(kit.filePath(u"p%1.wav"_s.arg(i)), i ? 0.1 : 1.0, i ? 0 : 261.63, i ? 0.05 : 0));
        for (const char *file : {"kick soft.wav", "kick hard.wav", "snare.wav"})
            QVERIFY(test::sound::write(kit.filePath(QLatin1String(file)), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1, 4000));
        QVERIFY(test::sound::write24(kit.filePath(u"empty.wav"_s), std::vector<float>(4410), 44100, 1, SF_FORMAT_PCM_16));

        QString said;
        QTextStream out(&said), err(&said);
        const QString stick = dir.filePath(u"stick"_s);
        QCOMPARE(runExportCommand(kit.path(), stick, out, err, {.findLoops = true}), 0);
        // Find loops leaves drums alone; without drumkit.xml the held tone is a note.
        QVERIFY2(said.count(u".WAV: no loop: a drum of the kit"_s) == (broken ? 63 : 64), qPrintable(said));
        msp::MspRecord record;
        QVERIFY(msp::LoadMspFile(QDir(stick).filePath(u"MYKIT.MSP"_s), record, nullptr));
        QCOMPARE(record.usedSlotCount(), 64);
        QVERIFY2(said.contains(u"Silent placeholders left out: empty.wav."_s), qPrintable(said));
        // The last two without a General MIDI name in the kit's order (the files' in name order).
        QVERIFY2(said.contains(broken ? u"left out p8, p9."_s : u"left out Perc 62, Perc 63."_s), qPrintable(said));
        QVERIFY2(!broken || (said.contains(u"drumkit.xml cannot be read"_s) && said.contains(u"kick: kept kick hard.wav of 2 layers; left out kick soft.wav."_s)),
                 qPrintable(said));
        const QRegularExpression stickName(u"^[A-Z0-9_~-]{1,8}\\.WAV$"_s);
        for (const QString &file : QDir(stick).entryList({u"*.WAV"_s}, QDir::Files))
            QVERIFY2(stickName.match(file).hasMatch(), qPrintable(file));
        // The kick on C1: hard.wav at its layer's and instrument's gains (peak 0.5 written).
        const int kickSlot = msp::slotForKey(record, 36);
        QVERIFY(kickSlot > 0);
        const test::sound::Contents kick = test::sound::read(QDir(stick).filePath(sampleNameOf(record, kickSlot) + u".WAV"_s));
        QVERIFY2(kick.ok && std::fabs(kick.peak - (broken ? 0.5f : 0.5f * 0.5f * 0.8f)) < 0.002f, qPrintable(QString::number(kick.peak)));
    }

    // Sines (sox) with no note in their names are notes, not a kit: on the keys of their pitch, A3, E4, A4 (a kit: C1, C#1, D1).
    void unnamedNotes()
    {
        QTemporaryDir dir;
        for (const int hz : {440, 220, 330})
            QCOMPARE(QDir(dir.path()).mkpath(u"Tones"_s) ? QProcess::execute(u"sox"_s, u"-n -r 44100 -b 16 %1/Tones/x%2.wav synth 1 sine %2 vol 0.5"_s.arg(dir.path()).arg(hz).split(u' ')) : -1, 0);
        QTextStream out(stderr);
        msp::MspRecord record;
        QVERIFY(runExportCommand(dir.filePath(u"Tones"_s), dir.filePath(u"stick"_s), out, out, {}) == 0 && msp::LoadMspFile(dir.filePath(u"stick/TONES.MSP"_s), record, nullptr));
        QCOMPARE((QList<int>{record.sample(msp::SampleField::Key, 1), record.sample(msp::SampleField::Key, 2), record.sample(msp::SampleField::Key, 3)}), (QList<int>{57, 64, 69}));
    }

private:
    static QString sampleNameOf(const msp::MspRecord &record, int slot) { return QString::fromLatin1(record.sampleName(slot)).trimmed(); }
};

QTEST_GUILESS_MAIN(TestDrumKit)
#include "test_drumkit.moc"
