// The command line: what each kind of argument does, in the program itself (run
// without any display) and in-process, where a file also opens in its editor.

#include "app/commandline.h"
#include "app/startup.h"
#include "msp_editor/mspeditorwindow.h"
#include "testsupport.h"
#include "ui/scriptedplatform.h"
#include "usd/drumkitwindow.h"
#include "usv/uservoicewindow.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

#include <cerrno>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using tamo::app::StartRequest;

namespace {

// The file a window holds, or empty.
QString openedPath(const QWidget *window)
{
    if (const auto *msp = qobject_cast<const tamo::msp_editor::MspEditorWindow *>(window))
        return msp->CurrentMspPath;
    if (const auto *usd = qobject_cast<const tamo::usd::DrumKitWindow *>(window))
        return usd->kitPath(1);
    if (const auto *usv = qobject_cast<const tamo::usv::UserVoiceWindow *>(window))
        return usv->usvPath(1);
    return {};
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString inDir(const QString &name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const auto copy = [this](const char *example, const char *as) {
            return tamo::test::writeAll(inDir(QLatin1String(as)), tamo::test::readAll(tamo::test::examplePath(QLatin1String(example))));
        };
        QVERIFY(copy("SINES.MSP", "SINES.MSP") && copy("SINES.MSP", "sines.bin") && copy("KITS1.USD", "kits.msp")
                && copy("VOICES1.USV", "voices.dat"));
        QVERIFY(tamo::test::writeAll(inDir(u"NEW.usv"_s), {}) && tamo::test::writeAll(inDir(u"notes.txt"_s), "hello"));
        QVERIFY(QDir(m_dir.path()).mkdir(u"folder.MSP"_s));
        QCOMPARE(mkfifo(QFile::encodeName(inDir(u"pipe.MSP"_s)).constData(), 0600), 0);
    }

    // exitCode -1: the program goes on, to the launcher (no editor class) or to the
    // editor named, which holds the file unless it shows the message given.
    void arguments_data()
    {
        QTest::addColumn<QStringList>("arguments"); // "@" stands for the scratch folder
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("output"); // on stdout for 0, the one line on stderr otherwise
        QTest::addColumn<QByteArray>("editorClass");
        QTest::addColumn<QString>("message");
        const auto row = [](const char *name, const QString &arguments, int exitCode, const QString &output,
                            const char *editorClass = "", const QString &message = {}) {
            QTest::newRow(name) << arguments.split(u' ', Qt::SkipEmptyParts) << exitCode << output
                                << QByteArray(editorClass) << message;
        };
        row("--version", u"--version"_s, 0, u"TAMO 1.04\n"_s);
        row("--help", u"--help"_s, 0, u"Usage: TAMO [options] [file]\n"_s);
        row("-h beats a file", u"@/notes.txt -h"_s, 0, u"--version"_s);
        row("unknown option", u"--frobnicate"_s, 2, u"TAMO: Unknown option 'frobnicate'."_s);
        row("two files", u"@/SINES.MSP @/kits.msp"_s, 2, u"TAMO: one file at a time, not 2"_s);
        row("missing", u"@/GONE.MSP"_s, 2, u"TAMO: cannot open @/GONE.MSP: no such file"_s);
        row("folder", u"@/folder.MSP"_s, 2, u"TAMO: cannot open @/folder.MSP: not a regular file"_s);
        row("FIFO", u"@/pipe.MSP"_s, 2, u"TAMO: cannot open @/pipe.MSP: not a regular file"_s);
        row("export without a folder", u"export @/SINES.MSP"_s, 2, u"TAMO: export takes an input and a target folder"_s);
        row("export, no parent folder", u"export @/SINES.MSP @/none/stick"_s, 1, u"TAMO export: "_s);
        row("unknown kind", u"@/notes.txt"_s, 2, u"TAMO: cannot open @/notes.txt: not an MSP, USD or USV file"_s);

        row("nothing", {}, -1, {});
        row("MSP", u"@/SINES.MSP"_s, -1, {}, "tamo::msp_editor::MspEditorWindow");
        row("window-system option", u"-platform offscreen @/SINES.MSP"_s, -1, {}, "tamo::msp_editor::MspEditorWindow");
        row("MSP by content", u"@/sines.bin"_s, -1, {}, "tamo::msp_editor::MspEditorWindow");
        row("USD content, MSP name", u"@/kits.msp"_s, -1, {}, "tamo::usd::DrumKitWindow");
        row("USV by content", u"@/voices.dat"_s, -1, {}, "tamo::usv::UserVoiceWindow");
        row("USV by name, empty", u"@/NEW.usv"_s, -1, {}, "tamo::usv::UserVoiceWindow",
            u"This is not a valid Ketron SD1 Header (KUSV0) !"_s);
    }

    void arguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, output);
        QFETCH(QByteArray, editorClass);
        QFETCH(QString, message);
        arguments.replaceInStrings(u"@"_s, m_dir.path());
        output.replace(u"@"_s, m_dir.path());

        QString out, err;
        QTextStream outStream(&out), errStream(&err);
        const StartRequest request = tamo::app::parseCommandLine(QStringList{u"TAMO"_s} + arguments, outStream, errStream);
        if (exitCode >= 0) {
            QCOMPARE(request.action, StartRequest::Action::Exit);
            QCOMPARE(request.exitCode, exitCode);
            QVERIFY2((exitCode == 0 ? out : err).contains(output), qPrintable(out + err));
            QVERIFY(exitCode == 0 ? err.isEmpty() : out.isEmpty() && err.count(u'\n') == 1);

            // The shipped program, with no display at all, says and does the same.
            QProcess program;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
                environment.remove(QLatin1String(name));
            program.setProcessEnvironment(environment);
            program.start(qEnvironmentVariable("TAMO_PROGRAM"), arguments);
            QVERIFY(program.waitForFinished(60000));
            QCOMPARE(program.exitStatus(), QProcess::NormalExit);
            QCOMPARE(program.exitCode(), exitCode);
            QCOMPARE(QString::fromLocal8Bit(program.readAllStandardOutput()), out);
            QCOMPARE(QString::fromLocal8Bit(program.readAllStandardError()), err);
            return;
        }
        QVERIFY2(out.isEmpty() && err.isEmpty(), qPrintable(out + err));
        if (editorClass.isEmpty()) {
            QCOMPARE(request.action, StartRequest::Action::ShowLauncher);
            return;
        }
        QCOMPARE(request.action, StartRequest::Action::OpenFile);
        const tamo::ui::ScriptedPlatform platform;
        tamo::app::openInEditor(request.kind, request.path);
        QWidgetList windows = QApplication::topLevelWidgets();
        windows.removeIf([](const QWidget *w) { return !w->isVisible(); });
        QCOMPARE(windows.size(), 1);
        const std::unique_ptr<QWidget> editor(windows.first());
        QVERIFY2(editor->inherits(editorClass), editor->metaObject()->className());
        QCOMPARE(openedPath(editor.get()), message.isEmpty() ? QFileInfo(arguments.last()).absoluteFilePath() : QString());
        QCOMPARE(platform.messageTexts(), message.isEmpty() ? QStringList() : QStringList{message});
    }

    // A write past `ulimit -f` fails and is reported; SIGXFSZ, not ignored at start,
    // would end the program (and lose unsaved edits in a window).
    void fileSizeLimit()
    {
        QProcess program;
        program.setChildProcessModifier([] {
            const rlimit limit{1024, 1024};
            setrlimit(RLIMIT_FSIZE, &limit);
        });
        program.start(qEnvironmentVariable("TAMO_PROGRAM"), {u"export"_s, tamo::test::examplePath(u"SINES.MSP"_s), inDir(u"limited"_s)});
        QVERIFY(program.waitForFinished(60000));
        const QString err = QString::fromLocal8Bit(program.readAllStandardError());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 1);
        QVERIFY2(err.contains(tamo::test::errorText(EFBIG)), qPrintable(err));
    }
};

QTEST_MAIN(TestCommandLine)
#include "test_commandline.moc"
