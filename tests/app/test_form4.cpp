#include "app/form4.h"
#include "msp_editor/form1.h"
#include "ui/scriptedplatform.h"
#include "usd/form3.h"
#include "usv/formusv.h"

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace tamo;

namespace {

QWidgetList visibleWindows()
{
    QWidgetList result;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible())
            result << w;
    return result;
}

// Runs the program's event loop until it ends by itself, doing step first.
// False when it was still running after a few seconds.
bool programEndsAfter(const std::function<void()> &step)
{
    bool timedOut = false;
    QTimer::singleShot(0, step);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        timedOut = true;
        QApplication::exit(1);
    });
    guard.start(5000);
    const int code = QApplication::exec();
    return !timedOut && code == 0;
}

app::Form4 *launcher()
{
    const QWidgetList windows = visibleWindows();
    return windows.size() == 1 ? qobject_cast<app::Form4 *>(windows.first()) : nullptr;
}

} // namespace

class TestForm4 : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        QApplication::setQuitOnLastWindowClosed(true);
        app::startProgram();
        QVERIFY(launcher());
    }
    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->isWindow() && w->testAttribute(Qt::WA_DeleteOnClose))
                w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void buttonOpensEditor_data()
    {
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QByteArray>("editorClass");
        QTest::newRow("Sampler MSP Editor") << QByteArray("Command1")
                                            << QByteArray("tamo::msp_editor::Form1");
        QTest::newRow("DrumKits USD Editor") << QByteArray("Command2")
                                             << QByteArray("tamo::usd::Form3");
        QTest::newRow("UserVoices USV Editor") << QByteArray("Command3")
                                               << QByteArray("tamo::usv::FormUSV");
    }
    void buttonOpensEditor()
    {
        QFETCH(QByteArray, button);
        QFETCH(QByteArray, editorClass);
        ui::ScriptedPlatform platform;
        QPointer<app::Form4> menu = launcher();
        QTest::mouseClick(menu->findChild<QPushButton *>(QLatin1String(button)), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        QVERIFY(menu.isNull());
        const QWidgetList windows = visibleWindows();
        QCOMPARE(windows.size(), 1);
        QPointer<QWidget> editor = windows.first();
        QVERIFY2(editor->inherits(editorClass.constData()), editor->metaObject()->className());
        QVERIFY(!editor->parentWidget());
        QVERIFY(!editor->isModal());

        // The launcher does not come back: closing the editor ends the program.
        QVERIFY(programEndsAfter([editor] { editor->close(); }));
        QVERIFY(editor.isNull());
        QCOMPARE(visibleWindows().size(), 0);
        QCOMPARE(platform.unexpected(), 0);
    }

    void enterOpensMspEditor()
    {
        app::Form4 *menu = launcher();
        QApplication::setActiveWindow(menu);
        QVERIFY(QTest::qWaitForWindowActive(menu));
        QCOMPARE(QApplication::focusWidget(),
                 menu->findChild<QPushButton *>(QStringLiteral("Command1")));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const QWidgetList windows = visibleWindows();
        QCOMPARE(windows.size(), 1);
        QVERIFY(qobject_cast<msp_editor::Form1 *>(windows.first()));
    }

    void closingLauncherEndsProgram()
    {
        QPointer<app::Form4> menu = launcher();
        QVERIFY(programEndsAfter([menu] { menu->close(); }));
        QVERIFY(menu.isNull());
        QCOMPARE(QApplication::topLevelWidgets().size(), 0);
    }
};

QTEST_MAIN(TestForm4)
#include "test_form4.moc"
