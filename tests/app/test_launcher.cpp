#include "app/launcher.h"
#include "ui/scriptedplatform.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

static QWidgetList visibleWindows()
{
    QWidgetList windows = QApplication::topLevelWidgets();
    windows.removeIf([](const QWidget *w) { return !w->isVisible(); });
    return windows;
}

// Runs the program's event loop after step; true when it ends by itself within 5 s.
static bool programEndsAfter(const std::function<void()> &step)
{
    const QObject guard;
    QTimer::singleShot(5000, &guard, [] { QApplication::exit(1); });
    QTimer::singleShot(0, step);
    return QApplication::exec() == 0;
}

class TestLauncher : public QObject {
    Q_OBJECT

    QPointer<tamo::app::Launcher> m_launcher;

private Q_SLOTS:
    void init()
    {
        tamo::app::startProgram();
        m_launcher = qobject_cast<tamo::app::Launcher *>(visibleWindows().value(0));
        QVERIFY(m_launcher && visibleWindows().size() == 1);
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
        QTest::newRow("three Enters") << u"Return Return Return"_s << QByteArray("tamo::msp_editor::MspEditorWindow");
        QTest::newRow("Enter, then clicks") << u"Return Command2 Command3"_s << QByteArray("tamo::msp_editor::MspEditorWindow");
        QTest::newRow("three clicks") << u"Command3 Command3 Command2"_s << QByteArray("tamo::usv::UserVoiceWindow");
    }
    void opensOneEditor()
    {
        QFETCH(QString, inputs);
        QFETCH(QByteArray, editorClass);
        const tamo::ui::ScriptedPlatform platform;
        QApplication::setActiveWindow(m_launcher);
        QVERIFY(QTest::qWaitForWindowActive(m_launcher));
        // Queued all at once, as the window system hands over what piled up; a key
        // goes to the button that has the focus.
        for (const QString &input : inputs.split(u' ')) {
            QWidget *target = input == u"Return" ? QApplication::focusWidget() : m_launcher->findChild<QWidget *>(input);
            const QPointF centre = QRectF(target->rect()).center();
            for (const bool press : {true, false})
                QCoreApplication::postEvent(target, input == u"Return"
                    ? static_cast<QEvent *>(new QKeyEvent(press ? QEvent::KeyPress : QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier))
                    : new QMouseEvent(press ? QEvent::MouseButtonPress : QEvent::MouseButtonRelease, centre, target->mapToGlobal(centre),
                                      Qt::LeftButton, press ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier));
        }
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(visibleWindows().size() == 1 && m_launcher.isNull() && platform.unexpected() == 0);
        const QPointer<QWidget> editor = visibleWindows().first();
        QVERIFY2(editor->inherits(editorClass) && !editor->parentWidget() && !editor->isModal(), editor->metaObject()->className());
        QVERIFY(programEndsAfter([editor] { editor->close(); }) && editor.isNull() && visibleWindows().isEmpty());
    }

    void closingLauncherEndsProgram()
    {
        QVERIFY(programEndsAfter([this] { m_launcher->close(); }) && m_launcher.isNull() && QApplication::topLevelWidgets().isEmpty());
    }
};

QTEST_MAIN(TestLauncher)
#include "test_launcher.moc"
