#include "export/exportcommand.h"
#include "export/keyboardexport.h"
#include "export/soundimport.h"
#include "msp/mspfile.h"
#include "msp/valueformats.h"
#include "util/shortname.h"
#include "wav/keyboardformat.h"

#include "helper_sound.h"
#include "testsupport.h"

#include <QDir>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

using namespace tamo;
using namespace tamo::exporter;
using namespace tamo::test;

constexpr int kWav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

// Every file of a folder with its bytes, hidden ones included.
static QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : filesIn(folder))
        files.insert(name, readAll(QDir(folder).filePath(name)));
    return files;
}

static msp::MspRecord recordNamed(const QList<QByteArray> &names)
{
    msp::MspRecord record = msp::MspRecord::newDocument();
    record.setGlobal(msp::GlobalField::SampleCount, quint8(names.size()));
    for (int k = 1; k <= names.size(); ++k)
        record.setSampleName(k, names.at(k - 1));
    return record;
}

class TestKeyboardExport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void failureLeavesTargetAsItWas_data()
    {
        QTest::addColumn<QList<QByteArray>>("names");
        QTest::addColumn<QString>("change"); // what else goes wrong
        QTest::addColumn<QString>("named");  // in the message; empty: cancelled
        QTest::newRow("same file name") << QList<QByteArray>{"A", "b", " B"} << "" << "B.WAV";
        QTest::newRow("a name no file can carry") << QList<QByteArray>{"A", "x/y", "C"} << "" << "x/y";
        QTest::newRow("missing source") << QList<QByteArray>{"A", "B", "C"} << "remove b.wav" << "b.wav";
        QTest::newRow("unreadable source") << QList<QByteArray>{"A", "B", "C"} << "garble c.aif" << "c.aif";
        QTest::newRow("full while converting") << QList<QByteArray>{"A", "B", "C"} << "limit 100000" << "B.WAV";
        QTest::newRow("cancel") << QList<QByteArray>{"A", "B", "C"} << "cancel at B.WAV" << "";
    }
    void failureLeavesTargetAsItWas()
    {
        QFETCH(QList<QByteArray>, names);
        QFETCH(QString, change);
        QFETCH(QString, named);
        // A source folder with an in-format mono WAV, a 24-bit 48 kHz stereo one and a
        // mono AIFF, and a target folder holding older files.
        QTemporaryDir dir;
        const QDir root(dir.path());
        const QString target = root.filePath(QStringLiteral("out"));
        const auto source = [&root](const QString &name) { return root.filePath(QStringLiteral("src/") + name); };
        QVERIFY(root.mkpath(QStringLiteral("src")) && root.mkpath(QStringLiteral("out"))
                && sound::write(source(QStringLiteral("a.wav")), kWav16, 44100, 1, 30000)
                && sound::write(source(QStringLiteral("b.wav")), SF_FORMAT_WAV | SF_FORMAT_PCM_24, 48000, 2, 30000, 64)
                && sound::write(source(QStringLiteral("c.aif")), SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 44100, 1, 30000)
                && writeAll(target + QStringLiteral("/A.WAV"), "older A") && writeAll(target + QStringLiteral("/SET.MSP"), "older set"));
        const QString file = change.section(u' ', -1);
        if (change.startsWith(u"remove"))
            QVERIFY(QFile::remove(source(file)));
        if (change.startsWith(u"garble"))
            QVERIFY(writeAll(source(file), "FORM garbage"));
        std::atomic_bool cancel = false;
        ExportRequest request;
        request.record = recordNamed(names);
        request.mspFileName = QStringLiteral("SET.MSP");
        request.targetFolder = target;
        request.sourceFor = [source](int slot) {
            return source(QStringList{QStringLiteral("a.wav"), QStringLiteral("b.wav"), QStringLiteral("c.aif")}.value(slot - 1));
        };
        request.cancel = &cancel;
        if (change.startsWith(u"cancel"))
            request.progress = [&](const ExportProgress &p) { cancel = cancel || p.fileName == file; };
        const QMap<QString, QByteArray> before = snapshot(target);
        const auto failsNamingFile = [&] {
            const ExportResult r = exportForKeyboard(request);
            return named.isEmpty() ? r.status == ExportStatus::Cancelled
                                   : r.status == ExportStatus::Failed && r.message.contains(named);
        };
        QVERIFY(change.startsWith(u"limit") ? runInChildWithFileSizeLimit(file.toLongLong(), failsNamingFile) : failsNamingFile());
        QCOMPARE(snapshot(target), before);
    }

    // The command line, for a folder of sounds, an MSP and its WAVs, and an SFZ
    // instrument: two FLAC samples in other formats than the keyboard's, one behind a
    // path with a space and a backslash, keys given as numbers and as note names (c4 is
    // 60). Every WAV written is in the keyboard's format. A failure, an import error too
    // (the importer's own tests cover its messages), is one line, and nothing is written.
    void command_data()
    {
        QTest::addColumn<QString>("input"); // in the fixture's folder
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("written"); // "|"-separated
        QTest::addColumn<QList<int>>("keys"); // of the written MSP
        QTest::newRow("folder of sounds") << "My Piano Set" << 0
            << tamo::util::shortFormOf(QStringLiteral("Piano C3.wav")) + u'|' + tamo::util::shortFormOf(QStringLiteral("Piano C4.wav"))
                   + QStringLiteral("|Pad.WAV|My Piano.MSP")
            << QList{60, 72, 60};
        QTest::newRow("MSP and its WAVs") << "set/TWO.MSP" << 0 << "A.WAV|B.WAV|TWO.MSP" << QList{60, 60};
        // After a line that tells how many regions became samples; each WAV named by its
        // source's short name.
        const auto wav = [](const char *source) { return tamo::util::shortFormOf(QLatin1String(source)).section(u'.', 0, 0) + QStringLiteral(".WAV|"); };
        QTest::newRow("SFZ instrument") << "sfz/My Piano.sfz" << 0 << wav("soft c3.flac") + wav("high.flac") + QStringLiteral("MYPIANO.MSP") << QList{48, 72};
        QTest::newRow("a WAV is missing") << "set/THREE.MSP" << 1 << "" << QList<int>{};
        QTest::newRow("SFZ import error") << "sfz/bad.sfz" << 1 << "" << QList<int>{};
    }
    void command()
    {
        QFETCH(QString, input);
        QFETCH(int, exitCode);
        QFETCH(QString, written);
        QFETCH(QList<int>, keys);
        QTemporaryDir dir;
        const QDir root(dir.path());
        QVERIFY(root.mkpath(QStringLiteral("My Piano Set")) && root.mkpath(QStringLiteral("set"))
                && root.mkpath(QStringLiteral("sfz/low notes")));
        for (const char *name : {"My Piano Set/Piano C3.wav", "My Piano Set/Piano C4.wav", "set/a.wav", "set/b.WAV"})
            QVERIFY(sound::write(root.filePath(QLatin1String(name)), kWav16, 44100, 1, 100));
        QVERIFY(sound::write(root.filePath(QStringLiteral("My Piano Set/Pad.aif")), SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 22050, 1, 100));
        QVERIFY(msp::SaveMspFile(root.filePath(QStringLiteral("set/TWO.MSP")), recordNamed({"A", "B"})).ok);
        QVERIFY(msp::SaveMspFile(root.filePath(QStringLiteral("set/THREE.MSP")), recordNamed({"A", "B", "C"})).ok);
        const QByteArray sfz = "// two zones\n<global> ampeg_release=0.3\n"
                               "<region> sample=low notes\\soft c3.flac lokey=36 hikey=59 pitch_keycenter=48\n"
                               "<region> sample=high.flac lokey=c4 hikey=b5 pitch_keycenter=c5\n";
        QVERIFY(sound::write(root.filePath(QStringLiteral("sfz/low notes/soft c3.flac")), SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 48000, 2, 9000)
                && sound::write(root.filePath(QStringLiteral("sfz/high.flac")), SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050, 1, 5001)
                && writeAll(root.filePath(QStringLiteral("sfz/My Piano.sfz")), sfz)
                && writeAll(root.filePath(QStringLiteral("sfz/bad.sfz")), sfz + "<region> sample=high.flac lokey=zz\n"));

        QString outText, errText;
        QTextStream out(&outText), err(&errText);
        const QString target = root.filePath(QStringLiteral("stick"));
        QCOMPARE(runExportCommand(root.filePath(input), target, out, err), exitCode);
        QStringList expected;
        for (const QString &name : written.split(u'|', Qt::SkipEmptyParts)) {
            expected << QDir(target).filePath(name) + u'\n';
            QVERIFY(!name.endsWith(u".WAV") || wav::checkKeyboardFormat(QDir(target).filePath(name)).ok);
        }
        QCOMPARE(outText.mid(std::max<qsizetype>(0, outText.indexOf(target))), expected.join(QString()));
        QVERIFY2(exitCode == 0 ? errText.isEmpty() : errText.startsWith(u"TAMO export: ") && errText.count(u'\n') == 1, qPrintable(errText));
        QCOMPARE(QFileInfo::exists(target), exitCode == 0);
        msp::MspRecord record;
        QVERIFY(keys.isEmpty() || msp::LoadMspFile(target + u'/' + written.section(u'|', -1), record, nullptr));
        for (int k = 1; k <= keys.size(); ++k)
            QCOMPARE(int(record.sample(msp::SampleField::Key, k)), keys.at(k - 1));
    }
};

QTEST_GUILESS_MAIN(TestKeyboardExport)
#include "test_keyboardexport.moc"
