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

#include <csignal>
#include <limits>

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

ExportRequest requestFor(const QString &sources, const QString &target)
{
    msp::MspRecord record = msp::MspRecord::newDocument();
    record.setGlobal(msp::GlobalField::SampleCount, 3);
    for (int k = 1; k <= 3; ++k)
        record.setSampleName(k, QByteArray(1, char('A' + k - 1)));
    ExportRequest request;
    request.record = record;
    request.mspFileName = QStringLiteral("SET.MSP");
    request.targetFolder = target;
    request.sourceFor = [sources](int slot) { return SlotSource(sources + u'/' + QChar(u'a' + slot - 1) + QStringLiteral(".wav")); };
    return request;
}

// A 16-bit mono file of these float samples, at 44.1 kHz.
QByteArray floatWav(const QList<float> &samples)
{
    using namespace wavgen;
    QByteArray data;
    for (const float s : samples) {
        QByteArray b(4, '\0');
        qToLittleEndian(s, b.data());
        data += b;
    }
    return riff(chunk("fmt ", fmtBody(3, 1, 32)) + chunk("data", data));
}

} // namespace

class TestExportEngine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // What the export must never do to a stick or its sources, each row a fault the
    // engine had. The set: a.wav in the keyboard's format, b.wav 24-bit 48 kHz stereo,
    // c.wav 22.05 kHz; the stick holds older A.WAV and SET.MSP and a file of someone else.
    void safety_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("named"); // the failure's message names it; empty: the set is written
        QTest::newRow("links at staging and final names") << "link" << "";
        QTest::newRow("header claims 4 GB") << "lying header" << "";
        QTest::newRow("floats past full scale") << "floats" << "";
        QTest::newRow("999 Hz") << "rate 999" << "999 Hz";
        QTest::newRow("384001 Hz") << "rate 384001" << "384001 Hz";
        QTest::newRow("SIGTERM while staging") << "signal 15 staging" << "cancelled";
        QTest::newRow("SIGINT while renaming") << "signal 2 placing" << "";
        QTest::newRow("killed while staging, then again") << "signal 9 staging" << "";
    }
    void safety()
    {
        QFETCH(QString, change);
        QFETCH(QString, named);
        QTemporaryDir dir;
        const QDir root(dir.path());
        const QString sources = root.filePath(QStringLiteral("src")), target = root.filePath(QStringLiteral("out"));
        const QString victim = root.filePath(QStringLiteral("someone else's"));
        const QByteArray payload = wavgen::payload(2000);
        QVERIFY(root.mkpath(QStringLiteral("src")) && root.mkpath(QStringLiteral("out")) && writeAll(victim, "precious")
                && sound::write(sources + QStringLiteral("/a.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1, 3000)
                && sound::write(sources + QStringLiteral("/b.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_24,
                                change.startsWith(u"rate") ? change.section(u' ', 1).toInt() : 48000, 2, 30000, 60)
                && sound::write(sources + QStringLiteral("/c.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, 1, 3000)
                && writeAll(target + QStringLiteral("/A.WAV"), "older A") && writeAll(target + QStringLiteral("/SET.MSP"), "older set"));
        const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
        if (change == u"lying header") // 16-bit 44.1 kHz, its sizes those of a 4 GB file
            QVERIFY(writeAll(sources + QStringLiteral("/a.wav"),
                             wavgen::wavFile(payload).replace(4, 4, wavgen::le32(0xfffffff0)).replace(40, 4, wavgen::le32(0xffffffc0))));
        if (change == u"floats")
            QVERIFY(writeAll(sources + QStringLiteral("/a.wav"), floatWav({inf, 1e30f, nan, -inf, -1e30f, 0.5f})));
        if (change == u"link") {
            for (const QString &name : kWritten) // the names staging files had
                QVERIFY(QFile::link(victim, target + QStringLiteral("/.tamo-export-") + name));
            QVERIFY(QFile::link(victim, target + QStringLiteral("/B.WAV")));
        }
        const QMap<QString, QByteArray> before = snapshot(target);
        ExportRequest request = requestFor(sources, target);

        ExportResult result;
        if (change.startsWith(u"signal")) {
            // A child exports as the command line does and is signalled by what it reports.
            const int signal = change.section(u' ', 1, 1).toInt();
            const bool placing = change.endsWith(u"placing");
            const pid_t child = fork();
            QVERIFY(child >= 0);
            if (child == 0) {
                request.cancel = util::cancelOnInterruption();
                request.progress = [&, raised = false](const ExportProgress &p) mutable {
                    if (p.fileName == u"B.WAV" && p.placing == placing && !raised) // a second one would end it
                        raised = raise(signal) == 0;
                };
                const ExportStatus status = exportForKeyboard(request).status;
                _exit(status == ExportStatus::Done ? 0 : status == ExportStatus::Cancelled ? 3 : 1);
            }
            int status = 0;
            QCOMPARE(waitpid(child, &status, 0), child);
            if (signal == SIGKILL) { // staging files stay behind; the next export clears them
                QVERIFY(WIFSIGNALED(status) && filesIn(target).join(u' ').contains(u".tamo-export-"));
                result = exportForKeyboard(request);
            } else {
                QVERIFY2(WIFEXITED(status), "the signal ended the export");
                result.status = WEXITSTATUS(status) == 0 ? ExportStatus::Done : WEXITSTATUS(status) == 3 ? ExportStatus::Cancelled : ExportStatus::Failed;
                result.message = result.status == ExportStatus::Cancelled ? QStringLiteral("cancelled") : QString();
            }
        } else {
            result = exportForKeyboard(request);
        }

        QCOMPARE(readAll(victim), QByteArray("precious"));
        if (!named.isEmpty()) {
            QVERIFY2(result.status != ExportStatus::Done && result.message.contains(named), qPrintable(result.message));
            QCOMPARE(snapshot(target), before);
            return;
        }
        QVERIFY2(result.status == ExportStatus::Done, qPrintable(result.message));
        QCOMPARE(filesIn(target), kWritten); // no staging file left, no link followed
        for (const QString &name : kWritten.mid(0, 3)) {
            const QByteArray bytes = readAll(QDir(target).filePath(name));
            QVERIFY(!QFileInfo(QDir(target).filePath(name)).isSymLink());
            QCOMPARE(wavgen::int32At(bytes, 4) + 8, bytes.size()); // the header tells the file's true size
        }
        const QByteArray a = readAll(target + QStringLiteral("/A.WAV"));
        if (change == u"lying header") // rewritten, not resampled or dithered
            QCOMPARE(a.mid(44, wavgen::int32At(a, 40)), payload);
        if (change == u"floats") { // full scale, silence for NaN (within the dither), half scale
            const QList<int> expected{32767, 32767, 0, -32768, -32768, 16384};
            for (int i = 0; i < expected.size(); ++i)
                QVERIFY2(std::abs(qFromLittleEndian<qint16>(a.constData() + 44 + 2 * i) - expected[i]) <= 1, qPrintable(QString::number(i)));
        }
    }
};

QTEST_GUILESS_MAIN(TestExportEngine)
#include "test_exportengine.moc"
