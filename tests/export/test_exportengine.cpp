// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/keyboardexport.h"
#include "msp/msprecord.h"
#include "util/signals.h"

#include "helper_sound.h"
#include "helper_wav.h"
#include "testsupport.h"

#include <QDir>
#include <QMap>
#include <QTemporaryDir>
#include <QTest>

#include <sys/wait.h>
#include <unistd.h>

using namespace tamo;
using namespace tamo::exporter;
using namespace tamo::test;

namespace {

const QStringList kWritten{QStringLiteral("A.WAV"), QStringLiteral("B.WAV"), QStringLiteral("C.WAV"), QStringLiteral("SET.MSP")};

QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : filesIn(folder))
        files.insert(name, QFileInfo(QDir(folder).filePath(name)).isSymLink() ? "link" : readAll(QDir(folder).filePath(name)));
    return files;
}

} // namespace

class TestExportEngine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // What the export must never do to a stick or its sources, each row a fault the
    // engine had. The set: a.wav (16-bit 44.1 kHz unless given), b.wav 24-bit 48 kHz
    // stereo, c.wav 22.05 kHz; the stick holds older A.WAV and SET.MSP, and a file of
    // someone else (x) lies beside it.
    void safety_data()
    {
        using namespace wavgen;
        QTest::addColumn<QString>("change");
        QTest::addColumn<QByteArray>("a");
        QTest::addColumn<QList<int>>("written"); // A.WAV's first samples (within the dither)
        QTest::addColumn<QString>("named");      // the failure's message names it; empty: the set is written
        QByteArray floats, pcm;
        for (const double level : {qInf(), 1e30, qQNaN(), -qInf(), -1e30, 0.5})
            floats += sampleAt(level, 3, 4);
        for (const int sample : {1000, -2000, 3000})
            pcm += le16(sample);
        QTest::newRow("links at staging and final names") << "link" << QByteArray() << QList<int>() << "";
        QTest::newRow("header claims 4 GB") << "" << wavFile(pcm).replace(4, 4, le32(0xfffffff0)).replace(40, 4, le32(0xffffffc0))
                                            << QList<int>{1000, -2000, 3000} << "";
        QTest::newRow("floats past full scale") << "" << riff(chunk("fmt ", fmtBody(3, 1, 32)) + chunk("data", floats))
                                                << QList<int>{32767, 32767, 0, -32768, -32768, 16384} << "";
        QTest::newRow("999 Hz") << "rate 999" << QByteArray() << QList<int>() << "999 Hz";
        QTest::newRow("384001 Hz") << "rate 384001" << QByteArray() << QList<int>() << "384001 Hz";
        QTest::newRow("SIGTERM while staging") << "signal 15 staging" << QByteArray() << QList<int>() << "cancelled";
        QTest::newRow("SIGINT while renaming") << "signal 2 placing" << QByteArray() << QList<int>() << "";
        QTest::newRow("killed while staging, then again") << "signal 9 staging" << QByteArray() << QList<int>() << "";
    }
    void safety()
    {
        QFETCH(QString, change);
        QFETCH(QByteArray, a);
        QFETCH(QList<int>, written);
        QFETCH(QString, named);
        QTemporaryDir dir;
        const QString sources = dir.filePath(QStringLiteral("src")), target = dir.filePath(QStringLiteral("out")), victim = dir.filePath(QStringLiteral("x"));
        const int rate = change.startsWith(u"rate") ? change.section(u' ', 1).toInt() : 48000;
        QVERIFY(QDir().mkpath(sources) && QDir().mkpath(target) && writeAll(victim, "precious")
                && (a.isEmpty() ? sound::write(sources + QStringLiteral("/a.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1, 3000)
                                : writeAll(sources + QStringLiteral("/a.wav"), a))
                && sound::write(sources + QStringLiteral("/b.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_24, rate, 2, 30000, 60)
                && sound::write(sources + QStringLiteral("/c.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, 1, 3000)
                && writeAll(target + QStringLiteral("/A.WAV"), "older A") && writeAll(target + QStringLiteral("/SET.MSP"), "older set"));
        for (const QString &name : change == u"link" ? kWritten : QStringList()) // the names staging files had, and a final one
            QVERIFY(QFile::link(victim, target + QStringLiteral("/.tamo-export-") + name)
                    && (name != u"B.WAV" || QFile::link(victim, target + u'/' + name)));
        const QMap<QString, QByteArray> before = snapshot(target);
        ExportRequest request;
        request.mspFileName = QStringLiteral("SET.MSP");
        request.targetFolder = target;
        request.record = msp::MspRecord::newDocument();
        request.record.setGlobal(msp::GlobalField::SampleCount, 3);
        for (int k = 1; k <= 3; ++k)
            request.record.setSampleName(k, QByteArray(1, char('A' + k - 1)));
        request.sourceFor = [&](int slot) { return SlotSource(sources + u'/' + QChar(u'a' + slot - 1) + QStringLiteral(".wav")); };
        ExportResult result;
        const int signal = change.section(u' ', 1, 1).toInt();
        pid_t child = change.startsWith(u"signal") ? fork() : -1;
        if (child == 0) { // exports as the command line does, signalled once by what it reports
            request.cancel = util::cancelOnInterruption();
            request.progress = [&, raised = false](const ExportProgress &p) mutable {
                if (p.fileName == u"B.WAV" && p.placing == change.endsWith(u"placing") && !raised)
                    raised = raise(signal) == 0;
            };
            _exit(int(exportForKeyboard(request).status));
        }
        int status = 0;
        if (child > 0 && waitpid(child, &status, 0) == child && signal == SIGKILL) { // staging files stay; the next export clears them
            QVERIFY(WIFSIGNALED(status) && filesIn(target).join(u' ').contains(u".tamo-export-"));
            child = -1;
        }
        QVERIFY2(child < 0 || WIFEXITED(status), "the signal ended the export");
        result.status = ExportStatus(WEXITSTATUS(status));
        result.message = result.status == ExportStatus::Cancelled ? QStringLiteral("cancelled") : QString();
        if (child < 0)
            result = exportForKeyboard(request);

        QCOMPARE(readAll(victim), QByteArray("precious"));
        if (!named.isEmpty()) {
            QVERIFY2(result.status != ExportStatus::Done && result.message.contains(named), qPrintable(result.message));
            QCOMPARE(snapshot(target), before);
            return;
        }
        QVERIFY2(result.status == ExportStatus::Done, qPrintable(result.message));
        QCOMPARE(filesIn(target), kWritten); // no staging file left
        for (const QString &name : kWritten) { // no link followed or left; the header tells the true size
            const QByteArray bytes = readAll(target + u'/' + name);
            QVERIFY(!QFileInfo(target + u'/' + name).isSymLink() && (name.endsWith(u"MSP") || wavgen::int32At(bytes, 4) + 8 == bytes.size()));
        }
        const QByteArray out = readAll(target + QStringLiteral("/A.WAV"));
        for (int i = 0; i < written.size(); ++i)
            QVERIFY2(std::abs(qFromLittleEndian<qint16>(out.constData() + 44 + 2 * i) - written[i]) <= 1, qPrintable(QString::number(i)));
    }
};

QTEST_GUILESS_MAIN(TestExportEngine)
#include "test_exportengine.moc"
