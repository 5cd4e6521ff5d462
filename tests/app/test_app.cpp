// The program's start: the command line, what each kind of argument does (in the
// program itself, run without any display, and in-process, where a file also opens in
// its editor), the launcher, and that every window's texts fit the room their widgets
// give them, in the design font as installed (also run at QT_SCALE_FACTOR 2).
// And every save of the program, made to fail part-way under a file-size limit, as a
// full disk would: the old file must survive byte for byte, no temporary may be left,
// the user must be told why, and the document must stay unsaved.

#include "app/commandline.h"
#include "app/launcher.h"
#include "app/startup.h"
#include "msp_editor/editorstate.h"
#include "msp_editor/keypicker.h"
#include "msp_editor/mspeditorwindow.h"
#include "msp_editor/valueslider.h"
#include "msp_editor/wavpanel.h"
#include "testsupport.h"
#include "ui/scriptedplatform.h"
#include "ui/textfit.h"
#include "usd/drumkitwindow.h"
#include "usv/uservoicewindow.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFontInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QTimer>

#include <cerrno>
#include <functional>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace tamo;
using namespace Qt::StringLiterals;
using tamo::app::StartRequest;

namespace {

// The file a window holds, or empty.
QString openedPath(const QWidget *window)
{
    if (const auto *msp = qobject_cast<const msp_editor::MspEditorWindow *>(window))
        return msp->CurrentMspPath;
    if (const auto *usd = qobject_cast<const usd::DrumKitWindow *>(window))
        return usd->kitPath(1);
    if (const auto *usv = qobject_cast<const usv::UserVoiceWindow *>(window))
        return usv->usvPath(1);
    return {};
}

QWidgetList visibleWindows()
{
    QWidgetList windows = QApplication::topLevelWidgets();
    windows.removeIf([](const QWidget *w) { return !w->isVisible(); });
    return windows;
}

// Runs the program's event loop after step; true when it ends by itself within 5 s.
bool programEndsAfter(const std::function<void()> &step)
{
    const QObject guard;
    QTimer::singleShot(5000, &guard, [] { QApplication::exit(1); });
    QTimer::singleShot(0, step);
    return QApplication::exec() == 0;
}

// One save path, on a document holding an unsaved edit.
struct Scenario {
    std::unique_ptr<QWidget> window;
    QString file; // the file the save writes
    std::function<void()> save;
    std::function<bool()> unsaved = [] { return true; }; // the edit is still there, unsaved
    bool inPlace = false; // writes into the file itself, so its bytes may change
};

// Copies an example into folder; returns the copy's path.
QString copyExample(const QString &name, const QString &folder, const QString &as = {})
{
    const QString path = folder + u'/' + (as.isEmpty() ? name : as);
    const QString source = test::examplePath(name);
    if (!test::writeAll(path, test::readAll(source)))
        qFatal("cannot copy %s", qPrintable(source));
    return path;
}

void click(QWidget *w, const char *button) { w->findChild<QPushButton *>(QLatin1String(button))->click(); }

Scenario mspScenario(bool saveAs, ui::ScriptedPlatform &platform, const QString &folder)
{
    auto *form = new msp_editor::MspEditorWindow;
    const QString opened = copyExample(QStringLiteral("SINES.MSP"), folder);
    platform.queueFile(opened);
    form->openDocument();
    form->selectSlot(1);
    form->removeSelectedSample();
    Scenario s{std::unique_ptr<QWidget>(form), opened, [form] { form->saveDocument(); }};
    if (saveAs) {
        s.file = copyExample(QStringLiteral("SINES.MSP"), folder, QStringLiteral("OTHER.MSP"));
        s.save = [form, &platform, file = s.file] {
            platform.queueAnswer(ui::Answer::Yes); // replace the other file
            platform.queueFile(file);
            form->saveDocumentAs();
        };
    }
    s.unsaved = [form, opened] {
        return msp_editor::mspModified && form->CurrentMspPath == opened && form->record().sampleCount() == 2;
    };
    return s;
}

// A transfer window whose saved side holds, as its first entry, the other side's first.
template <class Window, class Document>
Scenario bankScenario(int side, const QString &mine, const QString &other, ui::ScriptedPlatform &platform,
                      const QString &folder, const std::optional<Document> &(Window::*document)(int) const)
{
    auto *form = new Window;
    const QString file = copyExample(mine, folder);
    const QString otherFile = copyExample(other, folder);
    platform.queueFile(side == 1 ? file : otherFile);
    click(form, "Command2");
    platform.queueFile(side == 2 ? file : otherFile);
    click(form, "Command5");
    form->template findChild<QListWidget *>(QStringLiteral("List1"))->setCurrentRow(0);
    form->template findChild<QListWidget *>(QStringLiteral("List2"))->setCurrentRow(0);
    click(form, side == 1 ? "Command3" : "Command4");
    const Document edited = *(form->*document)(side);
    return {std::unique_ptr<QWidget>(form), file,
            [form, side] { click(form, side == 1 ? "Command1" : "Command6"); },
            [form, side, edited, document] { return (form->*document)(side) == edited; }};
}

Scenario wavScenario(bool writeInfos, const QString &folder)
{
    auto *form = new msp_editor::MspEditorWindow;
    form->CurrentWavPath = copyExample(QStringLiteral("SINEC3.WAV"), folder);
    msp_editor::WavPanel *panel = form->wavPanel();
    Scenario s{std::unique_ptr<QWidget>(form), form->CurrentWavPath, [panel] { panel->cleanUpWav(); }};
    if (writeInfos) {
        // A long trailer, so that the file grows well past its old end.
        panel->showWavInfo();
        panel->findChild<QLineEdit *>(QStringLiteral("Text14"))->setText(QString(16384, u'x'));
        s.save = [panel] { panel->writeHeaderFields(); };
        s.inPlace = true;
    }
    return s;
}

Scenario makeScenario(const QString &kind, ui::ScriptedPlatform &platform, const QString &folder)
{
    const int side = kind.endsWith(u'2') ? 2 : 1;
    if (kind.startsWith(u"MSP"))
        return mspScenario(kind.endsWith(u"As"), platform, folder);
    if (kind.startsWith(u"USD"))
        return bankScenario<usd::DrumKitWindow, usd::UsdFile>(side, QStringLiteral("KITS1.USD"), QStringLiteral("KITS2.USD"),
                                                      platform, folder, &usd::DrumKitWindow::kit);
    if (kind.startsWith(u"USV"))
        return bankScenario<usv::UserVoiceWindow, usv::UsvFile>(side, QStringLiteral("VOICES1.USV"),
                                                        QStringLiteral("VOICES2.USV"), platform, folder,
                                                        &usv::UserVoiceWindow::usv);
    return wavScenario(kind == u"Ecrire les infos", folder);
}

} // namespace

class TestApp : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString inDir(const QString &name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void init() { msp_editor::mspModified = false; }

    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        for (const QString &as : {u"SINES.MSP"_s, u"sines.bin"_s, u"kits.msp"_s, u"voices.dat"_s})
            copyExample(as == u"kits.msp" ? u"KITS1.USD"_s : as == u"voices.dat" ? u"VOICES1.USV"_s : u"SINES.MSP"_s, m_dir.path(), as);
        QVERIFY(test::writeAll(inDir(u"NEW.usv"_s), {}) && test::writeAll(inDir(u"notes.txt"_s), "hello"));
        QCOMPARE(mkfifo(QFile::encodeName(inDir(u"pipe.MSP"_s)).constData(), 0600), 0);
    }


    // Each button (Enter: the first) opens its editor as a window of its own, and the
    // launcher is gone for good: closing the editor ends the program. Presses and
    // clicks that reach it in a burst, before the first is handled, open one editor:
    // the first one's.
    void opensOneEditor_data()
    {
        QTest::addColumn<QString>("inputs"); // Return, or the button clicked
        QTest::addColumn<QByteArray>("editorClass");
        QTest::newRow("Sampler MSP Editor") << u"Command1"_s << QByteArray("tamo::msp_editor::MspEditorWindow");
        QTest::newRow("DrumKits USD Editor") << u"Command2"_s << QByteArray("tamo::usd::DrumKitWindow");
        QTest::newRow("UserVoices USV Editor") << u"Command3"_s << QByteArray("tamo::usv::UserVoiceWindow");
        QTest::newRow("Enter") << u"Return"_s << QByteArray("tamo::msp_editor::MspEditorWindow");
        QTest::newRow("Enter, then clicks") << u"Return Command2 Command3"_s << QByteArray("tamo::msp_editor::MspEditorWindow");
        QTest::newRow("three clicks") << u"Command3 Command3 Command2"_s << QByteArray("tamo::usv::UserVoiceWindow");
        QTest::newRow("closing the launcher ends the program") << u"close"_s << QByteArray();
    }
    void opensOneEditor()
    {
        QFETCH(QString, inputs);
        QFETCH(QByteArray, editorClass);
        app::startProgram();
        const QPointer<app::Launcher> launcher = qobject_cast<app::Launcher *>(visibleWindows().value(0));
        QVERIFY(launcher && visibleWindows().size() == 1);
        if (inputs == u"close") {
            QVERIFY(programEndsAfter([launcher] { launcher->close(); }) && launcher.isNull() && QApplication::topLevelWidgets().isEmpty());
            return;
        }
        const ui::ScriptedPlatform platform;
        QApplication::setActiveWindow(launcher);
        QVERIFY(QTest::qWaitForWindowActive(launcher));
        // Queued all at once, as the window system hands over what piled up; a key
        // goes to the button that has the focus.
        for (const QString &input : inputs.split(u' ')) {
            QWidget *target = input == u"Return" ? QApplication::focusWidget() : launcher->findChild<QWidget *>(input);
            const QPointF centre = QRectF(target->rect()).center();
            for (const bool press : {true, false})
                QCoreApplication::postEvent(target, input == u"Return"
                    ? static_cast<QEvent *>(new QKeyEvent(press ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier))
                    : new QMouseEvent(press ? QEvent::MouseButtonPress : QEvent::MouseButtonRelease, centre, target->mapToGlobal(centre),
                                      Qt::LeftButton, press ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier));
        }
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(visibleWindows().size() == 1 && launcher.isNull() && platform.unexpected() == 0);
        const QPointer<QWidget> editor = visibleWindows().first();
        QVERIFY2(editor->inherits(editorClass) && !editor->parentWidget() && !editor->isModal(), editor->metaObject()->className());
        QVERIFY(programEndsAfter([editor] { editor->close(); }) && editor.isNull() && visibleWindows().isEmpty());
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
        row("-h beats a file", u"@/notes.txt -h"_s, 0, u"--version"_s);
        row("unknown option", u"--frobnicate"_s, 2, u"TAMO: Unknown option 'frobnicate'."_s);
        row("two files", u"@/SINES.MSP @/kits.msp"_s, 2, u"TAMO: one file at a time, not 2"_s);
        row("missing", u"@/GONE.MSP"_s, 2, u"TAMO: cannot open @/GONE.MSP: no such file"_s);
        row("FIFO", u"@/pipe.MSP"_s, 2, u"TAMO: cannot open @/pipe.MSP: not a regular file"_s);
        row("export without a folder", u"export @/SINES.MSP"_s, 2, u"TAMO: export takes an input and a target folder"_s);
        row("export, no parent folder", u"export @/SINES.MSP @/none/stick"_s, 1, u"TAMO export: "_s);
        row("unknown kind", u"@/notes.txt"_s, 2, u"TAMO: cannot open @/notes.txt: not an MSP, USD or USV file"_s);

        row("nothing", {}, -1, {});
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
        const StartRequest request = app::parseCommandLine(QStringList{u"TAMO"_s} + arguments, outStream, errStream);
        if (exitCode >= 0) {
            QCOMPARE(std::pair(request.action, request.exitCode), std::pair(StartRequest::Action::Exit, exitCode));
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
            QCOMPARE(std::pair(program.exitStatus(), program.exitCode()), std::pair(QProcess::NormalExit, exitCode));
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
        const ui::ScriptedPlatform platform;
        app::openInEditor(request.kind, request.path);
        const QWidgetList windows = visibleWindows();
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
        program.start(qEnvironmentVariable("TAMO_PROGRAM"), {u"export"_s, test::examplePath(u"SINES.MSP"_s), inDir(u"limited"_s)});
        QVERIFY(program.waitForFinished(60000));
        const QString err = QString::fromLocal8Bit(program.readAllStandardError());
        QCOMPARE(std::pair(program.exitStatus(), program.exitCode()), std::pair(QProcess::NormalExit, 1));
        QVERIFY2(err.contains(test::errorText(EFBIG)), qPrintable(err));
    }
    void windowTextsFit_data()
    {
        QTest::addColumn<QString>("files"); // opened by Command2, Command5, or MnuOuvrir
        QTest::addColumn<QString>("clicks"); // then clicked
        QTest::addColumn<int>("texts"); // at least this many shown
        QTest::newRow("launcher") << "" << "" << 4;
        QTest::newRow("MSP editor and WAV panel") << "SINES.MSP" << "List1 Text23 Label33" << 90;
        QTest::newRow("slider") << "" << "" << 5;
        QTest::newRow("key picker") << "" << "" << 0;
        QTest::newRow("USD") << "KITS1.USD KITS2.USD" << "" << 8;
        QTest::newRow("USV") << "VOICES1.USV VOICES2.USV" << "" << 8;
    }
    void windowTextsFit()
    {
        QFETCH(QString, files);
        QFETCH(QString, clicks);
        QFETCH(int, texts);
        const QString kind = QString::fromLatin1(QTest::currentDataTag());
        ui::ScriptedPlatform platform;
        msp_editor::sliderValue = -64; // the widest value, on the widest scale
        msp_editor::noteValue = 60;
        std::unique_ptr<QWidget> form(kind == u"launcher" ? new app::Launcher
                                      : kind == u"slider" ? new msp_editor::ValueSlider
                                      : kind == u"key picker" ? new msp_editor::KeyPicker
                                      : kind == u"USD" ? new usd::DrumKitWindow
                                      : kind == u"USV" ? static_cast<QWidget *>(new usv::UserVoiceWindow)
                                                       : new msp_editor::MspEditorWindow);
        if (auto *slider = qobject_cast<msp_editor::ValueSlider *>(form.get())) {
            slider->minimum = -64;
            slider->maximum = 64;
        }
        form->show();
        const QStringList opened = files.split(u' ', Qt::SkipEmptyParts);
        for (int i = 0; i < opened.size(); ++i) {
            platform.queueFile(test::examplePath(opened.at(i)));
            if (auto *open = form->findChild<QAction *>(u"MnuOuvrir"_s))
                open->trigger();
            else
                QTest::mouseClick(form->findChild<QWidget *>(i == 0 ? u"Command2"_s : u"Command5"_s), Qt::LeftButton);
        }
        for (const QString &name : clicks.split(u' ', Qt::SkipEmptyParts)) {
            auto *list = form->findChild<QListWidget *>(name); // its first entry, which fills the WAV panel
            QTest::mouseClick(list ? list->viewport() : form->findChild<QWidget *>(name), Qt::LeftButton, {},
                              list ? list->visualItemRect(list->item(0)).center() : QPoint(5, 5));
        }
        QCOMPARE(platform.unexpected(), 0);
        form->grab(); // every widget fits its text as it is drawn
        int shown = 0;
        for (QWidget *widget : form->findChildren<QWidget *>()) {
            if (!widget->isVisibleTo(form.get()))
                continue;
            const QString text = widget->property("text").toString();
            if (auto *list = qobject_cast<QListWidget *>(widget))
                shown += list->count();
            QVERIFY2(ui::textOverflow(widget) == 0, qPrintable(u"%1 \"%2\" at %3 pt"_s.arg(widget->objectName(), text).arg(widget->font().pointSizeF())));
            if (text.isEmpty())
                continue;
            ++shown;
            QCOMPARE(QFontInfo(widget->font()).family(), widget->font().family() == u"Terminal" ? u"DejaVu Sans Mono"_s : u"Tahoma"_s);
        }
        QVERIFY2(shown >= texts, qPrintable(QString::number(shown)));
    }

    void failedWrite_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind : {"MSP Save", "MSP Save As", "USD side 1", "USD side 2", "USV side 1", "USV side 2",
                                 "CleanUp", "Ecrire les infos"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }

    void failedWrite()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        const QString folder = dir.path();
        ui::ScriptedPlatform platform;
        Scenario s = makeScenario(kind, platform, folder);
        QVERIFY(s.unsaved());
        QCOMPARE(platform.messages().size(), 0);
        const QByteArray before = test::readAll(s.file);
        QVERIFY(!before.isEmpty());
        const QStringList filesBefore = test::filesIn(folder);
        {
            // Half the old size: the new file gets part of the way.
            const test::FileSizeLimit limit(before.size() / 2);
            s.save();
        }

        QList<ui::MessageBox> boxes = platform.messages();
        if (kind == u"MSP Save As")
            boxes.removeFirst(); // the question before replacing the other file
        QCOMPARE(boxes.size(), 1);
        const QString text = boxes.first().text;
        QVERIFY2(text.contains(s.file), qPrintable(text));
        QVERIFY2(text.contains(test::errorText(EFBIG)), qPrintable(text));
        if (!s.inPlace)
            QVERIFY(test::readAll(s.file) == before);
        QCOMPARE(test::filesIn(folder), filesBefore);
        QVERIFY(s.unsaved());
        QCOMPARE(platform.unexpected(), 0);
    }
};

QTEST_MAIN(TestApp)
#include "test_app.moc"
