#include "export/exportcommand.h"
#include "export/soundimport.h"
#include "msp/mspfile.h"
#include "msp/valueformats.h"

#include "helper_sound.h"
#include "testsupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace tamo;
using namespace tamo::test;

// Two FLAC samples in other formats than the keyboard's, one behind a path with a
// space and a backslash, keys given as numbers and as note names (c4 is 60).
struct SfzFixture {
    QTemporaryDir dir;
    QString path(const QString &name) const { return dir.filePath(name); }
    QString sfz() const { return path(QStringLiteral("My Piano.sfz")); }
    QString target() const { return path(QStringLiteral("stick")); }
    bool make(const QByteArray &extraLine = {})
    {
        return QDir(dir.path()).mkpath(QStringLiteral("low notes"))
            && sound::write(path(QStringLiteral("low notes/soft c3.flac")), SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 48000, 2, 9000)
            && sound::write(path(QStringLiteral("high.flac")), SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050, 1, 5001)
            && writeAll(sfz(), "// two zones\n<global> ampeg_release=0.3\n"
                               "<region> sample=low notes\\soft c3.flac lokey=36 hikey=59 pitch_keycenter=48\n"
                               "<region> sample=high.flac lokey=c4 hikey=b5 pitch_keycenter=c5\n"
                               + extraLine);
    }
};

class TestSfzExport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void exportsTheInstrument()
    {
        SfzFixture f;
        QVERIFY(f.make());
        QString printed, errors;
        QTextStream out(&printed), err(&errors);
        QCOMPARE(exporter::runExportCommand(f.sfz(), f.target(), out, err), 0);
        QCOMPARE(errors, QString());
        const QString msp = QDir(f.target()).filePath(QStringLiteral("MYPIANO.MSP"));
        QVERIFY2(printed.contains(QDir::toNativeSeparators(msp)), qPrintable(printed));
        msp::MspRecord record;
        QVERIFY(msp::LoadMspFile(msp, record, nullptr));
        QCOMPARE(record.usedSlotCount(), 2);

        struct Expected {
            int low, high, key, rate;
            qint64 frames;
        };
        const Expected expected[] = {{36, 59, 48, 48000, 9000}, {60, 83, 72, 22050, 5001}};
        for (int slot = 1; slot <= 2; ++slot) {
            const Expected &e = expected[slot - 1];
            QCOMPARE(record.sample(msp::SampleField::StartKey, slot), *msp::storedStartNote(e.low));
            QCOMPARE(record.sample(msp::SampleField::EndKey, slot), quint8(e.high));
            QCOMPARE(record.sample(msp::SampleField::Key, slot), quint8(e.key));
            const QString wav = QDir(f.target()).filePath(exporter::keyboardFileName(record.sampleName(slot)));
            const sound::Contents c = sound::read(wav);
            QVERIFY2(c.ok, qPrintable(wav));
            QCOMPARE(c.info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
            QCOMPARE(c.info.samplerate, 44100);
            const double frames = double(e.frames) * 44100 / e.rate;
            QVERIFY2(std::abs(double(c.info.frames) - frames) <= 1.0, qPrintable(QString::number(c.info.frames)));
        }
    }

    // The importer's own tests cover its messages; here: one line, nothing written.
    void importErrorWritesNothing()
    {
        SfzFixture f;
        QVERIFY(f.make("<region> sample=high.flac lokey=zz\n"));
        QString printed, errors;
        QTextStream out(&printed), err(&errors);
        QVERIFY(exporter::runExportCommand(f.sfz(), f.target(), out, err) != 0);
        QVERIFY2(errors.startsWith(u"TAMO export: My Piano.sfz, line 5:") && errors.count(u'\n') == 1, qPrintable(errors));
        QVERIFY(!QFileInfo::exists(f.target()));
    }
};

QTEST_GUILESS_MAIN(TestSfzExport)
#include "test_sfzexport.moc"
