// SPDX-License-Identifier: GPL-3.0-or-later
// The program's start (the command line, the launcher), every window's texts fitting
// their widgets, and every save made to fail part-way as on a full disk: the old file
// survives byte for byte, no temporary is left, the user is told why, the edit stays.

#include "app/commandline.h"
#include "app/launcher.h"
#include "app/startup.h"
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

QString copyExample(const QString &name, const QString &folder, const QString &as = {})
{
    const QString path = folder + u'/' + (as.isEmpty() ? name : as);
    if (!QFile::copy(test::examplePath(name), path))
        qFatal("cannot copy %s", qPrintable(name));
    return path;
}

void click(QWidget *w, const char *button) { w->findChild<QPushButton *>(QLatin1String(button))->click(); }

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

Scenario makeScenario(const QString &kind, ui::ScriptedPlatform &platform, const QString &folder)
{
    const int side = kind.endsWith(u'2') ? 2 : 1;
    if (kind.startsWith(u"USD"))
        return bankScenario<usd::DrumKitWindow, usd::UsdFile>(side, u"KITS1.USD"_s, u"KITS2.USD"_s, platform, folder,
                                                              &usd::DrumKitWindow::kit);
    if (kind.startsWith(u"USV"))
        return bankScenario<usv::UserVoiceWindow, usv::UsvFile>(side, u"VOICES1.USV"_s, u"VOICES2.USV"_s, platform,
                                                                folder, &usv::UserVoiceWindow::usv);
    auto *form = new msp_editor::MspEditorWindow;
    msp_editor::WavPanel *panel = form->wavPanel();
    if (!kind.startsWith(u"MSP")) {
        panel->setWavPath(copyExample(u"SINEC3.WAV"_s, folder));
        if (kind == u"CleanUp")
            return {std::unique_ptr<QWidget>(form), panel->wavPath(), [panel] { panel->cleanUpWav(); }};
        // A long trailer, so that the file grows well past its old end.
        panel->showWavInfo();
        panel->findChild<QLineEdit *>(u"Text14"_s)->setText(QString(16384, u'x'));
        return {std::unique_ptr<QWidget>(form), panel->wavPath(), [panel] { panel->writeHeaderFields(); },
                [] { return true; }, true};
    }
    const QString opened = copyExample(u"SINES.MSP"_s, folder);
    platform.queueFile(opened);
    form->openDocument();
    form->selectSlot(1);
    form->removeSelectedSample();
    const auto unsaved = [form, opened] {
        return form->document().isModified() && form->document().path() == opened && form->record().sampleCount() == 2;
    };
    if (kind == u"MSP Save")
        return {std::unique_ptr<QWidget>(form), opened, [form] { form->saveDocument(); }, unsaved};
    const QString other = copyExample(u"SINES.MSP"_s, folder, u"OTHER.MSP"_s);
    const auto saveAs = [form, &platform, other] {
        platform.queueAnswer(ui::Answer::Yes); // replace the other file
        platform.queueFile(other);
        form->saveDocumentAs();
    };
    return {std::unique_ptr<QWidget>(form), other, saveAs, unsaved};
}

} // namespace

class TestApp : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString inDir(const QString &name) const { return m_dir.filePath(name); }

private Q_SLOTS:

    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        for (const QString &as : {u"SINES.MSP"_s, u"kits.msp"_s, u"voices.dat"_s})
            copyExample(as == u"kits.msp" ? u"KITS1.USD"_s : as == u"voices.dat" ? u"VOICES1.USV"_s : u"SINES.MSP"_s, m_dir.path(), as);
        QVERIFY(test::writeAll(inDir(u"NEW.usv"_s), {}) && test::writeAll(inDir(u"notes.txt"_s), "hello"));
        QCOMPARE(mkfifo(QFile::encodeName(inDir(u"pipe.MSP"_s)).constData(), 0600), 0);
    }


    // Each button (Enter: the first) opens its editor as a window of its own, and the
    // launcher is gone for good: closing the editor ends the program. A burst of
    // presses and clicks opens the first one's editor only.
    void opensOneEditor_data()
    {
        QTest::addColumn<QString>("inputs"); // Return, or the button clicked
        QTest::addColumn<QByteArray>("editorClass");
        QTest::newRow("DrumKits USD Editor") << u"Command2"_s << QByteArray("tamo::usd::DrumKitWindow");
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
        row("unknown option", u"--frobnicate"_s, 2, u"TAMO: Unknown option 'frobnicate'. See TAMO --help."_s);
        row("--help", u"--help"_s, 0, u"  export <input> <folder>\n"_s);
        row("two files", u"@/SINES.MSP @/kits.msp"_s, 2, u"TAMO: one file at a time, not 2"_s);
        row("missing", u"@/GONE.MSP"_s, 2, u"TAMO: cannot open @/GONE.MSP: no such file"_s);
        row("FIFO", u"@/pipe.MSP"_s, 2, u"TAMO: cannot open @/pipe.MSP: not a regular file"_s);
        row("unknown kind", u"@/notes.txt"_s, 2, u"TAMO: cannot open @/notes.txt: not an MSP, USD or USV file"_s);

        row("nothing", {}, -1, {});
        row("window-system option", u"-platform offscreen @/SINES.MSP"_s, -1, {}, "tamo::msp_editor::MspEditorWindow");
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
            QCOMPARE(request.action, StartRequest::Action::Exit);
            QVERIFY2((exitCode == 0 ? out : err).contains(output), qPrintable(out + err));
            QVERIFY(exitCode == 0 ? err.isEmpty() : out.isEmpty() && err.count(u'\n') == 1);
            for (const QString &line : out.split(u'\n'))
                QVERIFY2(line.size() <= 80, qPrintable(line));

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
        // The title starts with the name of the file the window holds.
        QCOMPARE(editor->windowTitle().section(u"[*]"_s, 0, 0), message.isEmpty() ? QFileInfo(arguments.last()).fileName() : QString());
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
    // Texts were once cut off: in every window each text fits its widget as drawn, in
    // the design font as installed; the MSP editor holds a document and fills its WAV
    // panel, the slider shows its widest value. The bank windows share their pieces.
    void windowTextsFit()
    {
        ui::ScriptedPlatform platform;
        auto *slider = new msp_editor::ValueSlider;
        slider->setValue(-64);
        slider->minimum = -64;
        slider->maximum = 64;
        auto *msp = new msp_editor::MspEditorWindow;
        auto *bank = new usv::UserVoiceWindow;
        const std::unique_ptr<QWidget> forms[] = {std::make_unique<app::Launcher>(), std::unique_ptr<QWidget>(slider),
                                                  std::unique_ptr<QWidget>(msp), std::unique_ptr<QWidget>(bank)};
        for (const auto &form : forms)
            form->show();
        platform.queueFile(test::examplePath(u"SINES.MSP"_s));
        msp->findChild<QAction *>(u"MnuOuvrir"_s)->trigger();
        auto *list = msp->findChild<QListWidget *>(u"List1"_s); // its first entry fills the WAV panel
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        for (const QString &name : {u"Text23"_s, u"Label33"_s})
            QTest::mouseClick(msp->findChild<QWidget *>(name), Qt::LeftButton, {}, QPoint(5, 5));
        for (const QString &side : {u"1"_s, u"2"_s}) {
            platform.queueFile(test::examplePath(u"VOICES%1.USV"_s.arg(side)));
            QTest::mouseClick(bank->findChild<QWidget *>(side == u"1" ? u"Command2"_s : u"Command5"_s), Qt::LeftButton);
        }
        QCOMPARE(platform.unexpected(), 0);
        int shown = 0;
        for (const auto &form : forms) {
            form->grab(); // every widget fits its text as it is drawn
            for (QWidget *widget : form->findChildren<QWidget *>()) {
                const QString text = widget->property("text").toString();
                if (!widget->isVisibleTo(form.get()))
                    continue;
                if (auto *shownList = qobject_cast<QListWidget *>(widget))
                    shown += shownList->count();
                QVERIFY2(ui::textOverflow(widget) == 0, qPrintable(u"%1 \"%2\" at %3 pt"_s.arg(widget->objectName(), text).arg(widget->font().pointSizeF())));
                if (!text.isEmpty() && ++shown)
                    QCOMPARE(QFontInfo(widget->font()).family(), widget->font().family() == u"Terminal" ? u"DejaVu Sans Mono"_s : u"Tahoma"_s);
            }
        }
        QVERIFY2(shown >= 107, qPrintable(QString::number(shown)));
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
        const QTemporaryDir dir;
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
