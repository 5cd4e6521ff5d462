// Every window with its example documents open: no text shown is wider than the
// room its widget gives it. Registered twice, at QT_SCALE_FACTOR 1 and 2.
#include "app/launcher.h"
#include "msp_editor/editorstate.h"
#include "msp_editor/keypicker.h"
#include "msp_editor/mspeditorwindow.h"
#include "msp_editor/valueslider.h"
#include "testsupport.h"
#include "ui/scriptedplatform.h"
#include "ui/textfit.h"
#include "usd/drumkitwindow.h"
#include "usv/uservoicewindow.h"

#include <QAction>
#include <QFontInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <memory>

using namespace tamo;
using namespace Qt::StringLiterals;

namespace {

std::unique_ptr<QWidget> openWindow(const QString &kind, ui::ScriptedPlatform &platform)
{
    const auto click = [](QWidget *window, const QString &name) {
        QTest::mouseClick(window->findChild<QWidget *>(name), Qt::LeftButton);
    };
    std::unique_ptr<QWidget> window;
    if (kind == u"launcher") {
        window = std::make_unique<app::Launcher>();
    } else if (kind == u"slider") {
        msp_editor::sliderValue = -64; // the widest value, on the widest scale
        auto slider = std::make_unique<msp_editor::ValueSlider>();
        slider->minimum = -64;
        slider->maximum = 64;
        window = std::move(slider);
    } else if (kind == u"key picker") {
        msp_editor::noteValue = 60;
        window = std::make_unique<msp_editor::KeyPicker>();
    } else if (kind == u"MSP editor") {
        window = std::make_unique<msp_editor::MspEditorWindow>();
        window->show();
        platform.queueFile(test::examplePath(u"SINES.MSP"_s));
        window->findChild<QAction *>(u"MnuOuvrir"_s)->trigger();
        // The first sample, chosen with the mouse, fills the WAV panel.
        auto *list = window->findChild<QListWidget *>(u"List1"_s);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        click(window.get(), u"Text23"_s); // the OCTAVE chooser
        click(window.get(), u"Label33"_s); // the EFFECTS chooser
    } else {
        const bool drumKits = kind == u"USD";
        window = drumKits ? std::unique_ptr<QWidget>(new usd::DrumKitWindow) : std::make_unique<usv::UserVoiceWindow>();
        for (const auto &[button, file] : {std::pair(u"Command2"_s, drumKits ? u"KITS1.USD"_s : u"VOICES1.USV"_s),
                                           std::pair(u"Command5"_s, drumKits ? u"KITS2.USD"_s : u"VOICES2.USV"_s)}) {
            platform.queueFile(test::examplePath(file));
            click(window.get(), button);
        }
    }
    window->show();
    return window;
}

} // namespace

class TestTextFit : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void windowTextsFit_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("fontOf"); // a widget drawn with the design font; none: no texts
        QTest::addColumn<QString>("family"); // the installed font it resolves to
        QTest::newRow("launcher") << "launcher" << "Label1" << "Tahoma";
        QTest::newRow("MSP editor") << "MSP editor" << "Label46" << "Tahoma";
        QTest::newRow("slider") << "slider" << "Label2" << "Tahoma";
        QTest::newRow("key picker") << "key picker" << "" << "";
        QTest::newRow("USD") << "USD" << "Command1" << "Tahoma";
        QTest::newRow("USV") << "USV" << "Command1" << "Tahoma";
    }

    void windowTextsFit()
    {
        QFETCH(QString, window);
        QFETCH(QString, fontOf);
        QFETCH(QString, family);
        ui::ScriptedPlatform platform;
        const std::unique_ptr<QWidget> form = openWindow(window, platform);
        QCOMPARE(platform.unexpected(), 0);
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        form->grab(); // draws every widget, which fits its text as it is drawn
        if (!fontOf.isEmpty())
            QCOMPARE(QFontInfo(form->findChild<QWidget *>(fontOf)->font()).family(), family);
        int texts = 0;
        for (QWidget *widget : form->findChildren<QWidget *>()) {
            if (!widget->isVisibleTo(form.get()))
                continue;
            const QString text = widget->property("text").toString();
            texts += !text.isEmpty();
            QVERIFY2(ui::textOverflow(widget) == 0,
                     qPrintable(u"%1 \"%2\" is %3 px too wide at %4 pt"_s.arg(widget->objectName(), text).arg(ui::textOverflow(widget)).arg(widget->font().pointSizeF())));
        }
        QCOMPARE(texts > 0, !fontOf.isEmpty());
    }
};

QTEST_MAIN(TestTextFit)
#include "test_text_fit.moc"
