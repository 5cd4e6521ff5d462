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
using namespace Qt::StringLiterals;

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
    // engine had; a failure, named in its message, leaves the stick as it was. The set:
    // a.wav (16-bit 44.1 kHz unless given), b.wav 24-bit 48 kHz stereo, c.wav 22.05 kHz;
    // the stick holds older A.WAV and SET.MSP, and a file of someone else (x) lies beside it.
    void safety_data()
    {
        using namespace wavgen;
        QTest::addColumn<QString>("change");
        QTest::addColumn<QList<QByteArray>>("names");
        QTest::addColumn<QByteArray>("a");
        QTest::addColumn<QList<int>>("written"); // A.WAV's first samples (within the dither)
        QTest::addColumn<QString>("named");      // empty: the set is written
        const auto row = [](const char *name, const QString &change, const QString &named, const QByteArray &a = {},
                            const QList<int> &written = {}, const QList<QByteArray> &names = {"A", "B", "C"}) {
            QTest::newRow(name) << change << names << a << written << named;
        };
        QByteArray floats, pcm;
        for (const double level : {qInf(), 1e30, qQNaN(), -qInf(), -1e30, 0.5})
            floats += sampleAt(level, 3, 4);
        for (const int sample : {1000, -2000, 3000})
            pcm += le16(sample);
        row("links at staging and final names", u"link"_s, {});
        row("header claims 4 GB", {}, {}, wavFile(pcm).replace(4, 4, le32(0xfffffff0)).replace(40, 4, le32(0xffffffc0)), {1000, -2000, 3000});
        row("floats past full scale", {}, {}, riff(chunk("fmt ", fmtBody(3, 1, 32)) + chunk("data", floats)), {32767, 32767, 0, -32768, -32768, 16384});
        row("999 Hz", u"rate 999"_s, u"999 Hz"_s);
        row("384001 Hz", u"rate 384001"_s, u"384001 Hz"_s);
        row("SIGTERM while staging", u"signal 15 staging"_s, u"cancelled"_s);
        row("SIGINT while renaming", u"signal 2 placing"_s, {});
        row("killed while staging, then again", u"signal 9 staging"_s, {});
        row("cancelled at B.WAV", u"cancel"_s, u"cancelled"_s);
        row("same file name", {}, u"B.WAV"_s, {}, {}, {"A", "b", " B"});
        row("a name no file can carry", {}, u"x/y"_s, {}, {}, {"A", "x/y", "C"});
        row("missing source", u"remove b.wav"_s, u"b.wav"_s);
        row("unreadable source", u"garble c.wav"_s, u"c.wav"_s);
        row("full while converting", u"limit 100000"_s, u"B.WAV"_s);
    }
    void safety()
    {
        QFETCH(QString, change);
        QFETCH(QList<QByteArray>, names);
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
        const QString file = sources + u'/' + change.section(u' ', 1);
        QVERIFY((!change.startsWith(u"remove") || QFile::remove(file)) && (!change.startsWith(u"garble") || writeAll(file, "FORM garbage")));
        for (const QString &name : change == u"link" ? kWritten : QStringList()) // the names staging files had, and a final one
            QVERIFY(QFile::link(victim, target + QStringLiteral("/.tamo-export-") + name)
                    && (name != u"B.WAV" || QFile::link(victim, target + u'/' + name)));
        const QMap<QString, QByteArray> before = snapshot(target);
        ExportRequest request;
        request.mspFileName = QStringLiteral("SET.MSP");
        request.targetFolder = target;
        request.record = msp::MspRecord::newDocument();
        request.record.setGlobal(msp::GlobalField::SampleCount, quint8(names.size()));
        for (int k = 1; k <= names.size(); ++k)
            request.record.setSampleName(k, names.at(k - 1));
        request.sourceFor = [&](int slot) { return SlotSource(sources + u'/' + QChar(u'a' + slot - 1) + QStringLiteral(".wav")); };
        std::atomic_bool cancel = false;
        request.cancel = &cancel;
        if (change == u"cancel")
            request.progress = [&](const ExportProgress &p) { cancel = cancel || p.fileName == u"B.WAV"; };
        const auto failsNamingIt = [&](const ExportResult &r) {
            return named == u"cancelled" ? r.status == ExportStatus::Cancelled : r.status == ExportStatus::Failed && r.message.contains(named);
        };
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
        if (change.startsWith(u"limit"))
            QVERIFY(runInChildWithFileSizeLimit(change.section(u' ', 1).toLongLong(), [&] { return failsNamingIt(exportForKeyboard(request)); }));
        else if (child < 0)
            result = exportForKeyboard(request);

        QCOMPARE(readAll(victim), QByteArray("precious"));
        if (!named.isEmpty()) {
            QVERIFY2(change.startsWith(u"limit") || failsNamingIt(result), qPrintable(result.message));
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
