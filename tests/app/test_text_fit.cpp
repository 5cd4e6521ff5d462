// Every window with example documents open: no text is wider than the room its
// widget gives it, in the design font as installed. Runs at QT_SCALE_FACTOR 1 and 2.
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
#include <QListWidget>
#include <QTest>

using namespace tamo;
using namespace Qt::StringLiterals;

class TestTextFit : public QObject {
    Q_OBJECT
private Q_SLOTS:
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
};

QTEST_MAIN(TestTextFit)
#include "test_text_fit.moc"
