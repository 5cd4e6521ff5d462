// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/exportcommand.h"
#include "export/keyboardexport.h"
#include "export/soundimport.h"
#include "msp/mspfile.h"
#include "msp/valueformats.h"
#include "util/shortname.h"
#include "util/signals.h"
#include "wav/keyboardformat.h"

#include "helper_sound.h"
#include "helper_wav.h"
#include "testsupport.h"

#include <QDir>
#include <QMap>
#include <QProcess>
#include <QScopeGuard>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/wait.h>
#include <unistd.h>

using namespace tamo;
using namespace tamo::exporter;
using namespace tamo::test;
using namespace Qt::StringLiterals;

constexpr int kWav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
const QStringList kWritten{u"A.WAV"_s, u"B.WAV"_s, u"C.WAV"_s, u"SET.MSP"_s};

// Every file of a folder with its bytes (a link as "link"), hidden ones included.
static QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : filesIn(folder))
        files.insert(name, QFileInfo(QDir(folder).filePath(name)).isSymLink() ? "link" : readAll(QDir(folder).filePath(name)));
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
        request.record = recordNamed(names);
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
    // What a set writes beside what the target folder holds. Sources in src: a.wav,
    // b.wav, link.wav (a link to a.wav); "out/" ones in the target; "@100" cuts from
    // frame 100. The target holds KITA.MSP (naming KICK and HAT, with their WAVs), an
    // older own SET.MSP naming OLD, A.WAV (a copy of a.wav) and B.WAV (24-bit 48 kHz).
    void namesAndFiles_data()
    {
        QTest::addColumn<QList<QByteArray>>("names");
        QTest::addColumn<QString>("sourceList");
        QTest::addColumn<QString>("stored");   // names in the written MSP; empty: refused
        QTest::addColumn<QString>("replaced"); // or the refusal's words
        QTest::newRow("one file, three slots") << QList<QByteArray>{"A", "a", "B"} << "a.wav|a.wav|b.wav" << "A|A|B" << "A.WAV|B.WAV|SET.MSP";
        QTest::newRow("one file through a link") << QList<QByteArray>{"A", "A"} << "a.wav|link.wav" << "A|A" << "A.WAV|SET.MSP";
        QTest::newRow("two files on one name") << QList<QByteArray>{"A", "A"} << "a.wav|b.wav" << "" << "Two samples would be written as A.WAV";
        QTest::newRow("two cuts on one name") << QList<QByteArray>{"A", "A"} << "a.wav|a.wav@100" << "" << "A.WAV";
        QTest::newRow("another set's files") << QList<QByteArray>{"KICK", "hat", "OLD"} << "a.wav|b.wav|a.wav" << "KICK2|HAT2|OLD" << "OLD.WAV|SET.MSP";
        QTest::newRow("a source converted onto itself") << QList<QByteArray>{"A", "B"} << "a.wav|out/B.WAV" << "" << "B.WAV";
        QTest::newRow("a source copied onto itself") << QList<QByteArray>{"A"} << "out/A.WAV" << "A" << "SET.MSP";
        // Played at KEY (after "="), named by the root found and KEY.
        const QString readable = u"Piano C2.wav=48|Piano F#2.wav=54|Snare 2.wav|snare 2.wav|Kick drum.wav|Kick drum.wav|piano C2.wav=48"_s;
        // The names the editor makes up for them: 3 letters, "~", the FNV-1a hash of the
        // file name modulo 36^4 in base 36. Fixed: a saved set must find its WAVs tomorrow.
        const QList<QByteArray> madeUp{"PIA~4RMF", "PIA~XEX9", "SNA~M6GS", "SNA~FWYK", "KIC~II0D", "KIC~II0D", "PIA~44JB"};
        QTest::newRow("two sounds on one made-up name") << QList<QByteArray>{madeUp.first(), madeUp.first()} << "Piano C2.wav=48|piano C2.wav=48"
                                                        << "PIANO_C2|PIAN2_C2" << "SET.MSP";
        QTest::newRow("made-up names made readable") << madeUp << readable << "PNO_C2|PNO_FS2|SNARE_2|SNARE_22|KICKDRUM|KICKDRUM|PNO2_C2" << "SET.MSP";
    }
    void namesAndFiles()
    {
        QFETCH(QList<QByteArray>, names);
        QFETCH(QString, sourceList);
        const QStringList sources = sourceList.split(u'|');
        QFETCH(QString, stored);
        QFETCH(QString, replaced);
        const QString readable = u"Piano C2.wav|Piano F#2.wav|Snare 2.wav|snare 2.wav|Kick drum.wav|piano C2.wav"_s;
        QTemporaryDir dir;
        const QDir root(dir.path());
        const QString target = root.filePath(QStringLiteral("out"));
        QVERIFY(root.mkpath(QStringLiteral("src")) && root.mkpath(QStringLiteral("out")));
        int frames = 1000; // a length of its own for each file
        for (const QString &name : (u"a.wav|b.wav|../out/KICK.WAV|../out/HAT.WAV|../out/OLD.WAV|"_s + readable).split(u'|'))
            QVERIFY(sound::write(root.filePath(u"src/"_s + name), kWav16, 44100, 1, ++frames));
        QVERIFY(QFile::copy(root.filePath(u"src/a.wav"_s), root.filePath(u"out/A.WAV"_s))
                && sound::write(root.filePath(u"out/B.WAV"_s), SF_FORMAT_WAV | SF_FORMAT_PCM_24, 48000, 1, 1000)
                && QFile::link(root.filePath(u"src/a.wav"_s), root.filePath(u"src/link.wav"_s))
                && msp::SaveMspFile(root.filePath(QStringLiteral("out/KITA.MSP")), recordNamed({"KICK", "HAT"})).ok
                && msp::SaveMspFile(root.filePath(QStringLiteral("out/SET.MSP")), recordNamed({"OLD"})).ok);
        ExportRequest request;
        request.record = recordNamed(names);
        for (int k = 1; k <= sources.size(); ++k)
            request.record.setSample(msp::SampleField::Key, k, quint8(sources.at(k - 1).section(u'=', 1).toInt()));
        request.mspFileName = QStringLiteral("SET.MSP");
        request.targetFolder = target;
        request.sourceFor = [&](int slot) {
            const QString source = sources.value(slot - 1).section(u'=', 0, 0);
            wav::SourceCut cut;
            cut.start = source.section(u'@', 1).toLongLong();
            const QString file = source.section(u'@', 0, 0);
            return SlotSource(root.filePath(file.startsWith(u"out/") ? file : u"src/"_s + file), cut);
        };
        const QMap<QString, QByteArray> before = snapshot(target);
        const ExportResult result = exportForKeyboard(request);
        if (stored.isEmpty()) {
            QCOMPARE(result.status, ExportStatus::Failed);
            QVERIFY2(result.message.contains(replaced), qPrintable(result.message));
            QCOMPARE(snapshot(target), before);
            return;
        }
        QVERIFY2(result.status == ExportStatus::Done, qPrintable(result.message));
        msp::MspRecord written;
        QVERIFY(msp::LoadMspFile(QDir(target).filePath(QStringLiteral("SET.MSP")), written, nullptr));
        QStringList writtenNames, replacedNames;
        for (int k = 1; k <= written.usedSlotCount(); ++k) {
            writtenNames << sampleNameText(written.sampleName(k)); // its file there, in the keyboard's format:
            QVERIFY(wav::checkKeyboardFormat(QDir(target).filePath(tamo::util::findFileCaseInsensitive(target, writtenNames.last() + u".WAV"_s))).ok);
        }
        QCOMPARE(writtenNames.join(u'|'), stored);
        const QStringList files = stored.toUpper().split(u'|'); // each written once
        QCOMPARE(result.written.size(), QSet<QString>(files.begin(), files.end()).size() + 1);
        for (const QString &path : result.replaced)
            replacedNames << QFileInfo(path).fileName();
        QCOMPARE(replacedNames.join(u'|'), replaced);
        const QMap<QString, QByteArray> after = snapshot(target); // every other file as it was
        for (const QString &name : before.keys())
            QVERIFY(replacedNames.contains(name) || after.value(name) == before.value(name));
        QCOMPARE(result.notes.filter(u" belongs to "_s).size(), stored.split(u'|').filter(QRegularExpression(u"^(KICK|HAT)2$"_s)).size()); // one per name another set holds
    }

    // The command line, for a folder of sounds, an MSP and its WAVs, and an SFZ instrument
    // (two FLAC samples in other formats, one behind a path with a space and a backslash,
    // keys as numbers and note names, c4 is 60): every WAV in the keyboard's format, the
    // MSP named 8.3-safe. A failure, an import error too, is one line; nothing is written.
    // A row's own files: "=N" writes a sampler chunk with root N, "*" makes it 24-bit
    // 48 kHz, "#" makes it a text, "NAME.MSP>A" an MSP naming A. The target is the MSP's folder.
    void command_data()
    {
        QTest::addColumn<QString>("files");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("said");    // in the output (exit 0) or the error (exit 1)
        QTest::addColumn<QString>("written"); // all the output names, "|"-separated; empty: not checked
        QTest::addColumn<QString>("msp");     // written into "stick" (or the input's folder); empty: refused
        QTest::addColumn<QList<int>>("keys"); // of that MSP
        QTest::newRow("folder of sounds") << "" << "My Piano Set" << "" << "PIANO_C3.WAV|PIANO_C4.WAV|PAD.WAV|MYPIANOS.MSP"
                                          << "stick/MYPIANOS.MSP" << QList{60, 72, 60};
        QTest::newRow("MSP and its WAVs") << "" << "set/TWO.MSP" << "Keys C#-2-G8 are played by more than one sample (A, B): the keyboard sounds only the first" << "A.WAV|B.WAV|TWO.MSP" << "stick/TWO.MSP" << QList{60, 60};
        // After a line that tells how many regions became samples; each WAV named as the
        // import names it: the file's own name where it fits, else its 8.3-safe letters.
        QTest::newRow("SFZ instrument") << "" << "sfz/My Piano.sfz" << "" << "SOFT_C3.WAV|HIGH.WAV|MYPIANO.MSP" << "stick/MYPIANO.MSP" << QList{60, 72};
        QTest::newRow("a WAV is missing") << "" << "set/THREE.MSP" << "" << "" << "" << QList<int>{};
        QTest::newRow("SFZ import error") << "" << "sfz/bad.sfz" << "" << "" << "" << QList<int>{};
        QTest::newRow("drum folder") << "Kit:1/Kick.wav|Kit:1/Snare.wav|Kit:1/Hat.wav" << "Kit:1"
                                     << "Drum kit, one key per sound: Kick C1, Snare D1, Hat F#1." << "" << "stick/KIT1.MSP" << QList{36, 38, 42};
        // One name with a note does not make a kit an instrument.
        QTest::newRow("drum folder, one note name") << "K/Kick.wav|K/Snare.wav|K/Hat.wav|K/Cowbell c3.wav" << "K" << "Cowbell c3 G#2" << ""
                                                    << "stick/K.MSP" << QList{36, 38, 42, 56};
        QTest::newRow("notes glued to letters") << "Grand Piano.v2/PIANOC3.WAV|Grand Piano.v2/STRGFS2.WAV" << "Grand Piano.v2" << "" << ""
                                                << "stick/GRANDPIA.MSP" << QList{54, 60};
        QTest::newRow("the chunk overrules the name") << "p/Piano D3.wav=60|p/Piano E3.wav" << "p"
                                                      << "Piano D3.wav: root C3 from the sampler chunk; the name's D3 is overruled." << ""
                                                      << "stick/P.MSP" << QList{60, 64};
        QTest::newRow("folder into itself") << "self/A.WAV*" << "self" << "A.WAV" << "" << "" << QList<int>{};
        QTest::newRow("MSP into its folder") << "self/A.WAV*|self/SET.MSP>A" << "self/SET.MSP" << "A.WAV" << "" << "" << QList<int>{};
        QTest::newRow("an unreadable file skipped") << "t/A.wav|t/notes C3.wav#" << "t" << "notes C3.wav: skipped: unreadable" << ""
                                                    << "stick/T.MSP" << QList{36};
        QTest::newRow("into folders not there yet") << "" << "set/TWO.MSP" << "" << "" << "new/sub/stick/TWO.MSP" << QList{60, 60};
        QTest::newRow("MSP onto its own copy") << "self/A.WAV|self/SET.MSP>A" << "self/SET.MSP" << "" << "" << "self/SET.MSP" << QList<int>{};
        // Trimmed or normalised, the copy is no longer the source's bytes.
        for (const char *options : {"self/SET.MSP --trim", "self/SET.MSP --normalize"})
            QTest::newRow(options) << "self/A.WAV|self/SET.MSP>A" << options << "A.WAV" << "" << "" << QList<int>{};
    }
    void command()
    {
        QFETCH(QString, files);
        QFETCH(QString, input);
        QFETCH(QString, said);
        QFETCH(QString, written);
        QFETCH(QString, msp);
        QFETCH(QList<int>, keys);
        const QString options = input.section(u" --"_s, 1);
        input = input.section(u" --"_s, 0, 0);
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
                               "<region> sample=low notes\\soft c3.flac lokey=36 hikey=59 pitch_keycenter=60\n"
                               "<region> sample=high.flac lokey=c4 hikey=b5 pitch_keycenter=c5\n";
        QVERIFY(sound::write(root.filePath(QStringLiteral("sfz/low notes/soft c3.flac")), SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 48000, 2, 9000)
                && sound::write(root.filePath(QStringLiteral("sfz/high.flac")), SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050, 1, 5001)
                && writeAll(root.filePath(QStringLiteral("sfz/My Piano.sfz")), sfz)
                && writeAll(root.filePath(QStringLiteral("sfz/bad.sfz")), sfz + "<region> sample=high.flac lokey=zz\n"));
        for (const QString &file : files.split(u'|', Qt::SkipEmptyParts)) {
            const QString path = root.filePath(file.section(u'>', 0, 0).section(u'=', 0, 0).remove(u'*'));
            const std::optional<int> chunkRoot = file.contains(u'=') ? std::optional(file.section(u'=', 1).toInt()) : std::nullopt;
            QVERIFY(root.mkpath(QFileInfo(path).path()));
            QVERIFY(file.contains(u'>') ? msp::SaveMspFile(path, recordNamed({file.section(u'>', 1).toLatin1()})).ok
                    : file.endsWith(u'#') ? writeAll(path.chopped(1), "a text, no sound")
                    : file.endsWith(u'*') ? sound::write(path, SF_FORMAT_WAV | SF_FORMAT_PCM_24, 48000, 1, 500)
                                          : sound::write(path, kWav16, 44100, 1, 500, chunkRoot));
        }

        const QString target = root.filePath(!msp.isEmpty() ? msp.section(u'/', 0, -2) : input.startsWith(u"self") ? u"self"_s : u"stick"_s);
        const QMap<QString, QByteArray> before = snapshot(target);
        QString outText, errText;
        QTextStream out(&outText), err(&errText);
        QCOMPARE(runExportCommand(root.filePath(input), target, out, err, {false, options == u"normalize", options == u"trim"}),
                 msp.isEmpty() ? 1 : 0);
        QVERIFY2((msp.isEmpty() ? errText : outText).contains(said), qPrintable(outText + errText));
        QVERIFY2(msp.isEmpty() ? errText.startsWith(u"TAMO export: ") && errText.count(u'\n') == 1 : errText.isEmpty(), qPrintable(errText));
        QStringList expected;
        for (const QString &name : written.split(u'|', Qt::SkipEmptyParts)) {
            expected << QDir(target).filePath(name) + u'\n';
            QVERIFY(!name.endsWith(u".WAV") || wav::checkKeyboardFormat(QDir(target).filePath(name)).ok);
        }
        if (!written.isEmpty() || (msp.isEmpty() && files.isEmpty())) // a failure without own files says nothing on stdout
            QCOMPARE(outText.mid(std::max<qsizetype>(0, outText.indexOf(target))), expected.join(QString()));
        msp::MspRecord record;
        QVERIFY(msp.isEmpty() ? snapshot(target) == before && QFileInfo::exists(target) == input.startsWith(u"self")
                              : msp::LoadMspFile(root.filePath(msp), record, nullptr));
        QList<int> writtenKeys;
        for (int k = 1; k <= record.usedSlotCount() && !keys.isEmpty(); ++k)
            writtenKeys << record.sample(msp::SampleField::Key, k);
        QCOMPARE(writtenKeys, keys);
    }
    // Refused before anything is read: 20 s of 16-bit mono and the MSP need 1,766,688 bytes.
    void fullStick()
    {
        QTemporaryDir dir;
        const QString stick = dir.filePath(u"stick"_s), source = dir.filePath(u"big.wav"_s);
        QVERIFY(QDir().mkdir(stick) && sound::write(source, kWav16, 44100, 1, 44100 * 20));
        if (QProcess::execute(u"mount"_s, {u"-t"_s, u"tmpfs"_s, u"-o"_s, u"size=1m"_s, u"tmpfs"_s, stick}) != 0)
            QSKIP("no tmpfs can be mounted here");
        const auto unmount = qScopeGuard([&] { QProcess::execute(u"umount"_s, {stick}); });
        ExportRequest request{.record = recordNamed({"BIG"}), .mspFileName = u"BIG.MSP"_s, .targetFolder = stick,
                              .sourceFor = [&](int) { return SlotSource(source); }, .progress = {}, .cancel = nullptr, .options = {}};
        QCOMPARE(exportForKeyboard(request).message, u"The export needs 1.8 MB in %1, but only 1.0 MB is free: nothing was written."_s.arg(stick));
        QVERIFY(QDir(stick).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
    }

    // A folder exported with found loops, then its exported WAVs exported again as a
    // folder: every sampler chunk says the pitch that KEY and FINE express, and the
    // second export keeps the first one's roots. Roots: C3 from a name, 63 + 70 cents
    // from a chunk (KEY 64, FINE 30), E2 from a 16-bit 44.1 kHz file copied as it is.
    void rootsSurviveASecondExport()
    {
        QTemporaryDir dir;
        const QString in = dir.filePath(u"in"_s), first = dir.filePath(u"first"_s), again = dir.filePath(u"again"_s), second = dir.filePath(u"second"_s);
        QVERIFY(QDir().mkpath(in) && QDir().mkpath(again));
        const auto writeNote = [&](const QString &name, double hz, int rate, int format, int unity, int fraction) {
            SF_INFO info{0, rate, 1, SF_FORMAT_WAV | format, 0, 0};
            SNDFILE *f = sf_open(QFile::encodeName(QDir(in).filePath(name)).constData(), SFM_WRITE, &info);
            if (unity >= 0) {
                SF_INSTRUMENT instrument{};
                instrument.basenote = char(unity), instrument.detune = char(fraction), instrument.key_hi = instrument.velocity_hi = 127;
                sf_command(f, SFC_SET_INSTRUMENT, &instrument, sizeof instrument);
            }
            const std::vector<float> x = sound::note(hz, rate, 1, false);
            return f && sf_writef_float(f, x.data(), sf_count_t(x.size())) == sf_count_t(x.size()) && sf_close(f) == 0;
        };
        QVERIFY(writeNote(u"PAD_C3.wav"_s, 261.63, 48000, SF_FORMAT_PCM_24, -1, 0));
        QVERIFY(writeNote(u"PAD_X.wav"_s, 311.13 * std::pow(2.0, 0.7 / 12), 48000, SF_FORMAT_PCM_24, 63, 70));
        QVERIFY(writeNote(u"PAD_E2.wav"_s, 164.81, 44100, SF_FORMAT_PCM_16, -1, 0));
        QMap<QString, std::pair<int, int>> expected{{u"PAD_C3"_s, {60, 0}}, {u"PAD_X"_s, {64, 30}}, {u"PAD_E2"_s, {52, 0}}};
        const auto check = [&](const QString &out) {
            const QStringList msps = QDir(out).entryList({u"*.MSP"_s});
            msp::MspRecord record;
            QVERIFY(msps.size() == 1 && msp::LoadMspFile(QDir(out).filePath(msps.first()), record, nullptr));
            for (int slot = 1; slot <= record.usedSlotCount(); ++slot) {
                const QString name = QString::fromLatin1(record.sampleName(slot)).trimmed();
                const int key = record.sample(msp::SampleField::Key, slot), fine = msp::FineValue(record.sample(msp::SampleField::Fine, slot));
                QCOMPARE(std::pair(key, fine), expected.value(name, {-1, -1}));
                const sound::Contents w = sound::read(QDir(out).filePath(name + u".WAV"_s));
                QVERIFY(w.ok);
                if (w.instrument) // the pitch the chunk says, in cents, is KEY less FINE
                    QVERIFY2(std::abs(100 * w.instrument->basenote + w.instrument->detune - (100 * key - fine)) <= 1, qPrintable(name));
                else
                    QVERIFY(name == u"PAD_E2"_s);
            }
        };
        QString said;
        QTextStream text(&said);
        QCOMPARE(runExportCommand(in, first, text, text, {.findLoops = true}), 0);
        check(first);
        for (const QString &name : QDir(first).entryList({u"*.WAV"_s}))
            QVERIFY(QFile::copy(QDir(first).filePath(name), QDir(again).filePath(name)));
        QCOMPARE(runExportCommand(again, second, text, text), 0);
        check(second);
    }

    // `TAMO export` --find-loops, --normalize, --trim-silence on generated notes (loud, and at half level).
    void generatedSets_data()
    {
        QTest::addColumn<double>("hz"); // 0: a 16-bit half-sine with its own loop
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("channels");
        QTest::addColumn<QString>("options"); // "oneshot": a 16-bit pluck; "trim": 0.3 s of silence around
        QTest::newRow("261.63 Hz, 48 kHz stereo, vibrato") << 261.63 << 48000 << 2 << "loops";
        QTest::newRow("97.999 Hz, 48 kHz, all three") << 97.999 << 48000 << 1 << "loops normalize trim";
        QTest::newRow("440 Hz stereo, trimmed") << 440.0 << 44100 << 2 << "loops trim";
        QTest::newRow("normalised") << 261.63 << 48000 << 2 << "normalize";
        QTest::newRow("one-shot") << 440.0 << 44100 << 1 << "loops oneshot";
        QTest::newRow("own loops") << 0.0 << 44100 << 1 << "loops";
    }
    void generatedSets()
    {
        QFETCH(double, hz);
        QFETCH(int, rate);
        QFETCH(int, channels);
        QFETCH(QString, options);
        QTemporaryDir dir;
        const QString in = dir.filePath(u"in"_s), out = dir.filePath(u"out"_s);
        const bool copied = hz == 0 || options.contains(u"oneshot"_s); // 16-bit 44.1 kHz: as they are
        const ExportOptions chosen{options.contains(u"loops"_s), options.contains(u"normalize"_s), options.contains(u"trim"_s)};
        const double silence = chosen.trimSilence ? 0.3 : 0.0;
        std::vector<float> x(std::size_t(silence * rate) * std::size_t(channels)), note = hz > 0 ? sound::note(hz, rate, channels, copied) : x;
        x.insert(x.end(), note.begin(), note.end());
        x.resize(x.size() + std::size_t(silence * rate) * std::size_t(channels));
        for (const float level : {1.0f, 0.5f}) {
            const QString path = QDir(in).filePath(level < 1 ? u"quiet.wav"_s : u"loud.wav"_s);
            std::vector<float> y(x);
            std::transform(y.begin(), y.end(), y.begin(), [level](float s) { return s * level; });
            QVERIFY(QDir().mkpath(in) && (hz == 0 ? sound::write(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, rate, 1, 44100, 60, sound::Loop{1000, 30000})
                                                  : sound::write24(path, y, rate, channels, copied ? SF_FORMAT_PCM_16 : SF_FORMAT_PCM_24)));
        }
        const auto sources = [&](const QString &at, const QString &wav) {
            const bool stick = wav == u".WAV"_s; // names on the stick are upper case
            return readAll(at + (stick ? u"/LOUD"_s : u"/loud"_s) + wav) + readAll(at + (stick ? u"/QUIET"_s : u"/quiet"_s) + wav);
        };
        const QByteArray before = sources(in, u".wav"_s);
        QString said;
        QTextStream outText(&said), errText(&said);
        QCOMPARE(runExportCommand(in, out, outText, errText, chosen), 0);
        QCOMPARE(sources(in, u".wav"_s), before);

        if (copied) { // unchanged, and loopless unless the source loops
            QCOMPARE(sources(out, u".WAV"_s), before);
            QVERIFY(said.contains(hz > 0 ? u"QUIET.WAV: no loop: "_s : u"QUIET.WAV: its own loop, kept"_s));
            return;
        }
        const double ratio = 44100.0 / rate, period = 44100.0 / hz;
        float peaks[2] = {};
        for (const int i : {0, 1}) {
            const sound::Contents w = sound::read(out + (i ? u"/QUIET.WAV"_s : u"/LOUD.WAV"_s));
            QVERIFY(w.ok && w.info.samplerate == 44100 && (peaks[i] = w.peak) > 0);
            const float quiet = i ? 0.002f : 0.001f; // -60 dBFS, where the sound lies in the generated frames
            const auto heard = [&](qint64 f) { return std::fabs(x[std::size_t(f * channels)]) >= quiet || std::fabs(x[std::size_t(f * channels + channels - 1)]) >= quiet; };
            qint64 first = 0, last = qint64(x.size()) / channels;
            for (; chosen.trimSilence && !heard(first); ++first) {}
            for (; chosen.trimSilence && !heard(last - 1); --last) {}
            QVERIFY(qAbs(w.info.frames - std::llround(double(last - first) * ratio)) <= 1);
            QCOMPARE(w.instrument && w.instrument->loop_count > 0, chosen.findLoops);
            if (!chosen.findLoops)
                continue;
            const double start = w.instrument->loops[0].start, end = w.instrument->loops[0].end;
            const double noteAt = (silence * rate - double(first)) * ratio; // in written frames
            QVERIFY2(said.contains(u"WAV: loop %1-%2"_s.arg(start).arg(end)), qPrintable(said));
            QVERIFY(start >= noteAt + 0.05 * 44100 && end <= noteAt + 1.6 * 44100); // the sustain
            QVERIFY(channels == 2 || std::fabs(end - start - std::round((end - start) / period) * period) <= 0.5); // with vibrato the seam decides
            QVERIFY(std::fabs(1200 * std::log2(sound::loopedPitch(w.samples, channels, 44100, qint64(start), qint64(end)) / hz)) < 1);
            QVERIFY(sound::jump(w.samples, channels, qint64(start), qint64(end)) < 0.01 * w.peak);
        }
        const float loudest = std::fabs(*std::max_element(x.begin(), x.end(), [](float a, float b) { return std::fabs(a) < std::fabs(b); }));
        QVERIFY(std::fabs(peaks[0] - (chosen.normalize ? 0.8913f : loudest)) < 0.003f);
        QVERIFY(std::fabs(peaks[1] / peaks[0] - 0.5f) < 0.003f);
    }
    // --trim-silence on a tone whose loop reaches into a tail below -60 dBFS: the cut
    // keeps the whole loop, and the loop moves by exactly what was cut in front.
    void trimKeepsLoops_data()
    {
        QTest::addColumn<bool>("sfz"); // the loop from an SFZ region, else the file's own
        QTest::newRow("own loop") << false;
        QTest::newRow("SFZ region's loop") << true;
    }
    void trimKeepsLoops()
    {
        QFETCH(bool, sfz);
        QTemporaryDir dir;
        constexpr int rate = 44100, heardFrom = 8820, loopStart = 35280, loopEnd = 66150; // 0.2, 0.8, 1.5 s
        std::vector<float> x(std::size_t(1.7 * rate));
        for (std::size_t i = heardFrom; i < x.size(); ++i) // -6 dBFS to 1.2 s, then -70 dBFS
            x[i] = float((double(i) < 1.2 * rate ? 0.5 : 0.0003) * std::sin(2 * M_PI * 440 * double(i) / rate));
        SF_INFO info{0, rate, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_24, 0, 0};
        QVERIFY(QDir().mkpath(dir.filePath(u"in"_s)));
        SNDFILE *f = sf_open(QFile::encodeName(dir.filePath(u"in/tone A3.wav"_s)).constData(), SFM_WRITE, &info);
        SF_INSTRUMENT instrument{};
        instrument.basenote = 57, instrument.velocity_hi = instrument.key_hi = 127, instrument.loop_count = sfz ? 0 : 1;
        instrument.loops[0] = {SF_LOOP_FORWARD, loopStart, loopEnd, 0};
        QVERIFY(f && sf_command(f, SFC_SET_INSTRUMENT, &instrument, sizeof instrument) == SF_TRUE);
        QVERIFY(sf_writef_float(f, x.data(), sf_count_t(x.size())) == sf_count_t(x.size()) && sf_close(f) == 0);
        QVERIFY(writeAll(dir.filePath(u"in/tone.sfz"_s), "<region> sample=tone A3.wav pitch_keycenter=57 loop_mode=loop_continuous "
                                                         "loop_start=35280 loop_end=66149\n"));
        QString said;
        QTextStream text(&said);
        QCOMPARE(runExportCommand(dir.filePath(sfz ? u"in/tone.sfz"_s : u"in"_s), dir.filePath(u"out"_s), text, text, {false, false, true}), 0);
        const QStringList wavs = QDir(dir.filePath(u"out"_s)).entryList({u"*.WAV"_s});
        QCOMPARE(wavs.size(), 1);
        const sound::Contents w = sound::read(dir.filePath(u"out/"_s + wavs.first()));
        QVERIFY2(w.ok && w.instrument && w.instrument->loop_count == 1, qPrintable(said));
        const qint64 start = w.instrument->loops[0].start, end = w.instrument->loops[0].end;
        QVERIFY2(qAbs(start - (loopStart - heardFrom)) <= 1 && qAbs(end - (loopEnd - heardFrom)) <= 1 && w.info.frames >= end,
                 qPrintable(u"loop %1-%2 of %3 frames"_s.arg(start).arg(end).arg(w.info.frames)));
        QVERIFY(std::fabs(w.samples[std::size_t(end - 10)]) < 0.0004f && w.peak > 0.45f); // the quiet tail is the loop's end
    }
    // Two SFZ regions on one key reach the stick as one mixed WAV, or, with --layers
    // first, as two overlapping slots with a warning.
    void sfzLayers_data()
    {
        QTest::addColumn<bool>("first");
        QTest::addColumn<int>("wavs");
        QTest::addColumn<QString>("said");
        QTest::newRow("mixed") << false << 1 << u"mixed into one sample"_s;
        QTest::newRow("--layers first") << true << 2 << u"kept as overlapping samples (--layers first)"_s;
    }
    void sfzLayers()
    {
        QFETCH(bool, first);
        QFETCH(int, wavs);
        QFETCH(QString, said);
        QTemporaryDir dir;
        QVERIFY(sound::write(dir.filePath(u"a.wav"_s), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1, 4410)
                && sound::write(dir.filePath(u"b.wav"_s), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 44100, 1, 8820)
                && writeAll(dir.filePath(u"m.sfz"_s), "<region> sample=a.wav key=60\n<region> sample=b.wav key=60 tune=5\n"));
        QString text;
        QTextStream out(&text);
        QCOMPARE(runExportCommand(dir.filePath(u"m.sfz"_s), dir.filePath(u"out"_s), out, out, {.firstLayer = first}), 0);
        QVERIFY2(text.contains(said) && QDir(dir.filePath(u"out"_s)).entryList({u"*.WAV"_s}).size() == wavs, qPrintable(text));
    }
    // Beside a note, a float source of the same note with an infinite sample, or only NaN: the set's gain
    // comes from finite samples, and Find loops says what is wrong with the source.
    void nonFiniteSamples_data()
    {
        QTest::addColumn<float>("odd");
        for (const float odd : {HUGE_VALF, -HUGE_VALF, NAN})
            QTest::newRow(qPrintable(QString::number(odd))) << odd;
    }
    void nonFiniteSamples()
    {
        QFETCH(float, odd);
        QTemporaryDir dir;
        std::vector<float> x = sound::note(440, 44100, 1, false), y(x.size(), odd);
        if (!std::isnan(odd))
            std::transform(x.begin(), x.end(), y.begin(), [](float s) { return s / 4; }), y[1000] = odd;
        QVERIFY(sound::write24(dir.filePath(u"a A3.wav"_s), x, 44100, 1) && sound::write24(dir.filePath(u"b A3.wav"_s), y, 44100, 1, SF_FORMAT_FLOAT));
        QString said;
        QTextStream text(&said);
        QCOMPARE(runExportCommand(dir.path(), dir.filePath(u"out"_s), text, text, {true, true, false}), 0);
        QVERIFY2(said.contains(u"B_A3.WAV: no loop: samples not finite"_s), qPrintable(said));
        QVERIFY(std::fabs(sound::read(dir.filePath(u"out/A_A3.WAV"_s)).peak - 0.8913f) < 0.003f); // -1 dBFS
    }

    // The loops kept beside an MSP loop the command's export too, lines that make no sense passed over. A.wav is
    // 24-bit 48 kHz; B.wav, in the keyboard's format, carries its own loop: the set's counts for nothing.
    void keptLoopsBeside_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("cuts"); // slot A, slot B: Keep 0, None 1, Forward 2 with start-end crossfade length
        QTest::newRow("a loop, a one-shot") << QByteArray("TAMO sample loops 1\nA forward 100 900 10 800.5\nB none\n") << u"A 2 100-900 10 800.5|B 0"_s;
        QTest::newRow("damaged") << QByteArray("A forward 900 100 0 0\nA forward -5 100 0 0\nA forward 1 2 3 0\nA forward 100 200 0 150\nC none\n"
                                               "A forward 1 2\nLONGNAME9 none\n\xff\xfe\x01junk\nA backward 1 2 0 0\nA forward 1 x 0 0\n%41  none  \r\nB")
                                 << u"A 1|B 0"_s;
    }
    void keptLoopsBeside()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, cuts);
        QTemporaryDir dir;
        const QString msp = dir.filePath(u"SET.MSP"_s);
        QVERIFY(sound::write(dir.filePath(u"A.wav"_s), SF_FORMAT_WAV | SF_FORMAT_PCM_24, 48000, 1, 2000) && writeAll(msp + u".loops"_s, file)
                && sound::write(dir.filePath(u"B.wav"_s), kWav16, 44100, 1, 2000) && msp::SaveMspFile(msp, recordNamed({"A", "B"})).ok);
        ExportSet set;
        QTextStream out(stdout);
        QStringList got{resolveExportSet(msp, set, out)}; // no error
        for (const auto &[path, c] : set.sources)
            got << u"%1 %2"_s.arg(QFileInfo(path).baseName()).arg(int(c.loop))
                       + (c.loop == wav::SourceCut::Loop::Forward ? u" %1-%2 %3 %4"_s.arg(c.loopStart).arg(c.loopEnd).arg(c.crossfade).arg(c.loopLength) : u""_s);
        QCOMPARE(got.join(u'|'), u'|' + cuts);
    }
};

QTEST_GUILESS_MAIN(TestKeyboardExport)
#include "test_keyboardexport.moc"
