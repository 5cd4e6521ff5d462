// SPDX-License-Identifier: GPL-3.0-or-later
// Roots on the folder road checked against the sound, and `TAMO check`, on
// generated tones whose notes are known.
#include "export/exportcommand.h"
#include "export/pitchcheck.h"
#include "msp/mspfile.h"
#include "msp/valueformats.h"

#include <QTemporaryDir>
#include <QTest>

#include <sndfile.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

using namespace tamo;
using namespace tamo::exporter;
using namespace Qt::StringLiterals;

namespace {

// 1.2 s of a saw at the note (fraction: cents), or a drum (note < 0: noise burst,
// -2: kick sweep); a sampler chunk when chunkRoot >= 0.
bool writeTone(const QString &path, double note, int chunkRoot = -1, int firstHarmonic = 1)
{
    constexpr int rate = 44100;
    std::vector<float> x(rate * 6 / 5);
    std::mt19937 random(int(note * 100) + 1000);
    std::normal_distribution<double> noise(0, 0.3);
    const double hz = 440 * std::exp2((note - 69) / 12);
    double phase = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double t = double(i) / rate;
        double s = 0;
        if (note == -1) {
            s = noise(random) * std::exp(-t * 8);
        } else if (note == -2) {
            phase += 2 * std::numbers::pi * (45 + 120 * std::exp(-t * 25)) / rate;
            s = std::sin(phase) * std::exp(-t * 12);
        } else {
            for (int k = firstHarmonic; k * hz < rate / 2.0; ++k)
                s += 0.3 * std::sin(2 * std::numbers::pi * k * hz * t) / k;
        }
        x[i] = float(s);
    }
    SF_INFO info{0, rate, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file)
        return false;
    if (chunkRoot >= 0) {
        SF_INSTRUMENT instrument{};
        instrument.basenote = char(chunkRoot);
        instrument.velocity_hi = instrument.key_hi = 127;
        sf_command(file, SFC_SET_INSTRUMENT, &instrument, sizeof instrument);
    }
    const bool ok = sf_writef_float(file, x.data(), sf_count_t(x.size())) == sf_count_t(x.size());
    return sf_close(file) == 0 && ok;
}

} // namespace

class TestPitchCheck : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each file: name, the note it sounds, its sampler chunk's root (-1: none);
    // then the roots (KEY - FINE / 100) the folder road must give, in key order.
    void folderRoots_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QList<double>>("sounds");
        QTest::addColumn<QList<int>>("chunks");
        QTest::addColumn<QList<double>>("roots");
        QTest::addColumn<QString>("message");
        QTest::newRow("sampler chunks all say 60")
            << QStringList{u"a.wav"_s, u"b.wav"_s, u"c.wav"_s, u"d.wav"_s} << QList<double>{48, 55.3, 64, 72}
            << QList<int>{60, 60, 60, 60} << QList<double>{48, 55.3, 64, 72} << u"sampler chunks of all 4 files say C3"_s;
        QTest::newRow("names an octave high")
            << QStringList{u"Pad C4.wav"_s, u"Pad E4.wav"_s, u"Pad G4.wav"_s} << QList<double>{60, 64, 67}
            << QList<int>{-1, -1, -1} << QList<double>{60, 64, 67} << u"Pad E4.wav: root E3"_s;
        QTest::newRow("names two octaves high under chunks saying 60")
            << QStringList{u"Str C5.wav"_s, u"Str G5.wav"_s, u"Str D6.wav"_s} << QList<double>{60, 67, 74}
            << QList<int>{60, 60, 60} << QList<double>{60, 67, 74} << u"24 semitones above their sound"_s;
        QTest::newRow("right roots stay")
            << QStringList{u"x C2.wav"_s, u"y.wav"_s} << QList<double>{48, 67} << QList<int>{-1, 67} << QList<double>{48, 67}
            << u""_s;
        QTest::newRow("one name a semitone off takes the sound")
            << QStringList{u"x C2.wav"_s, u"y G3.wav"_s} << QList<double>{48, 68} << QList<int>{-1, -1}
            << QList<double>{48, 68} << u"y G3.wav: root G#3 from its sound"_s;
    }
    void folderRoots()
    {
        QFETCH(QStringList, names);
        QFETCH(QList<double>, sounds);
        QFETCH(QList<int>, chunks);
        QFETCH(QList<double>, roots);
        QFETCH(QString, message);
        QTemporaryDir dir;
        for (qsizetype i = 0; i < names.size(); ++i)
            QVERIFY(writeTone(dir.filePath(names.at(i)), sounds.at(i), chunks.at(i)));
        ExportSet set;
        QString said;
        QTextStream out(&said);
        QCOMPARE(resolveExportSet(dir.path(), set, out), QString());
        out.flush();
        QCOMPARE(set.record.usedSlotCount(), roots.size());
        for (int slot = 1; slot <= set.record.usedSlotCount(); ++slot) {
            const double root = set.record.sample(msp::SampleField::Key, slot)
                                - msp::FineValue(set.record.sample(msp::SampleField::Fine, slot)) / 100.0;
            QVERIFY2(std::abs(root - roots.at(slot - 1)) <= 0.05, qPrintable(said));
        }
        QVERIFY2(said.contains(message), qPrintable(said));
        QCOMPARE(said.contains(u"root"), !message.isEmpty());
    }

    void checkStatus_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<int>("status");
        QTest::newRow("in tune") << u"tuned"_s << 0;
        QTest::newRow("a root a semitone off") << u"+1"_s << 1;
        QTest::newRow("a root an octave off") << u"+12"_s << 1;
        // A second layer over the same keys: a stop an octave above is no alarm, one below is.
        QTest::newRow("a layer an octave above one in tune") << u"layer 60"_s << 0;
        QTest::newRow("a layer an octave below one in tune") << u"layer 84"_s << 1;
        // Harmonics 2 up of C3 alone: C4 is as likely a reading as C3.
        QTest::newRow("a root an octave above a missing fundamental") << u"hollow"_s << 0;
        QTest::newRow("drums with notes in their names") << u"drums"_s << 0;
        QTest::newRow("missing") << u"missing"_s << 2;
    }
    void checkStatus()
    {
        QFETCH(QString, what);
        QFETCH(int, status);
        QTemporaryDir dir;
        QString path = dir.filePath(u"set"_s);
        QVERIFY(QDir().mkdir(path));
        if (what == u"drums") {
            QVERIFY(writeTone(path + u"/Snare D1.wav"_s, -1));
            QVERIFY(writeTone(path + u"/Kick C1.wav"_s, -2));
            QVERIFY(writeTone(path + u"/Bass C1.wav"_s, 36));
        } else if (what != u"missing") {
            QVERIFY(writeTone(path + u"/Lead C3.wav"_s, 60));
            QVERIFY(writeTone(path + u"/Lead A3.wav"_s, 69));
            if (what.startsWith(u"layer"))
                QVERIFY(writeTone(path + u"/Lead C4.wav"_s, 72));
            if (what == u"hollow")
                QVERIFY(writeTone(path + u"/Pad C4.wav"_s, 60, -1, 2));
            ExportSet set;
            QTextStream ignored(stdout);
            QCOMPARE(resolveExportSet(path, set, ignored), QString());
            if (what.startsWith(u"layer")) {
                for (const auto field : {msp::SampleField::StartKey, msp::SampleField::EndKey})
                    set.record.setSample(field, 3, set.record.sample(field, 1));
                set.record.setSample(msp::SampleField::Key, 3, quint8(what.mid(6).toInt()));
            } else if (what == u"hollow") {
                set.record.setSample(msp::SampleField::Key, 3, 72);
                set.record.setSample(msp::SampleField::Fine, 3, *msp::storedValue(msp::ValueFormat::Fine, 0, 0));
            } else {
                set.record.setSample(msp::SampleField::Key, 2, quint8(69 + what.toInt()));
            }
            path += u"/LEAD.MSP"_s; // beside its sound files
            QVERIFY(msp::SaveMspFile(path, set.record).ok);
        }
        if (what == u"missing")
            path = dir.filePath(u"nothing.msp"_s);
        QString printed, errors;
        QTextStream out(&printed), err(&errors);
        const int exitStatus = runCheckCommand(path, out, err);
        out.flush();
        QVERIFY2(exitStatus == status, qPrintable(printed));
        QCOMPARE(printed.count(u"OUT OF TUNE"), status == 1 ? 1 : 0);
        QCOMPARE(printed.contains(u"its fundamental is faint: C3 is as likely"_s), what == u"hollow");
    }
};

QTEST_GUILESS_MAIN(TestPitchCheck)
#include "test_pitchcheck.moc"
