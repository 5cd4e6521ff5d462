// Parameter editing through the MSP editor window: a click on a field, the pop-up
// driven with real mouse events, then the bytes of the saved file.
#include "helper_editor.h"
#include "msp/msprecord.h"
#include "msp_editor/mspeditorwindow.h"
#include "msp_editor/valueslider.h"
#include "msp_editor/editorstate.h"
#include "ui/scriptedplatform.h"

#include "testsupport.h"

#include <QApplication>
#include <QListWidget>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>


using namespace tamo;
using namespace tamo::msp_editor;
using namespace tamo::test::editor;
using namespace Qt::StringLiterals;
using Bytes = QList<QPair<qsizetype, quint8>>;

namespace {

constexpr double kTwip = 15.0;
constexpr int kSlot = 2; // the selected sample

// Clicks a field. A pop-up that opens is driven by `action`: "top" or "bottom" drags
// the slider to that end and clicks the value, "key X Y" presses the key picker's
// keyboard at X, Y twips, "Escape" presses Escape; then it is closed if still open.
// Returns what the pop-up showed on opening: the slider "<value> in <min>..<max>",
// the key picker "note <noteValue>"; empty when none opened.
QString clickField(MspEditorWindow &form, const QString &name, const QString &action = {}, QRect *geometry = nullptr)
{
    QString seen;
    QTimer::singleShot(0, &form, [&] {
        QWidget *popup = QApplication::activeModalWidget();
        if (!popup)
            return;
        if (auto *slider = qobject_cast<ValueSlider *>(popup))
            seen = u"%1 in %2..%3"_s.arg(shown(*popup, u"Text1"_s)).arg(slider->minimum).arg(slider->maximum);
        else
            seen = u"note %1"_s.arg(noteValue);
        if (geometry)
            *geometry = popup->geometry();
        auto *canvas = popup->findChild<QWidget *>(u"Picture2"_s); // the slider's track or the keyboard
        const QStringList words = action.split(u' ');
        if (action == u"Escape") {
            QTest::keyClick(popup, Qt::Key_Escape);
        } else if (words.first() == u"key") {
            auto *scroll = popup->findChild<QScrollBar *>(u"HScroll1"_s);
            scroll->setValue(qBound(0, words.at(1).toInt() - 4000, scroll->maximum()));
            QTest::mouseClick(canvas, Qt::LeftButton, {}, QPoint(words.at(1).toInt(), words.at(2).toInt()) / kTwip);
        } else if (action == u"top" || action == u"bottom") {
            const QPoint end(5, action == u"top" ? 0 : int(2925 / kTwip));
            QTest::mousePress(canvas, Qt::LeftButton, {}, QPoint(5, 50));
            QTest::mouseMove(canvas, end);
            QTest::mouseRelease(canvas, Qt::LeftButton, {}, end);
            QTest::mouseClick(popup->findChild<QWidget *>(u"Text1"_s), Qt::LeftButton);
        }
        if (popup->isVisible())
            popup->close();
    });
    QTest::mouseClick(form.findChild<QWidget *>(name), Qt::LeftButton);
    QCoreApplication::processEvents(); // lets the check run when no pop-up opened
    return seen;
}

} // namespace

class TestParameterEditor : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    // Shows a document with slot `select` selected (0: none), unmodified.
    static msp::MspRecord open(MspEditorWindow &form, const QStringList &names, const Bytes &bytes = {}, int select = kSlot)
    {
        const msp::MspRecord record = documentWith(names, bytes);
        showRecord(form, record);
        form.selectSlot(select);
        form.show();
        mspModified = false;
        return record;
    }

    // Saves through the window's Save; the file's bytes.
    QByteArray saved(MspEditorWindow &form)
    {
        form.CurrentMspPath = m_dir.filePath(u"EDIT.MSP"_s);
        ui::ScriptedPlatform platform;
        run(form, u"MnuSave"_s);
        return platform.messages().isEmpty() ? test::readAll(form.CurrentMspPath) : QByteArray("not saved");
    }

private Q_SLOTS:
    // A field clicked with slot 2 selected and effect type 9 (OVERDRIVE and CHORUS
    // amounts shown): the pop-up or chooser list, what the field then shows and the
    // one byte that changes in the saved file.
    void edit_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<qsizetype>("offset");
        QTest::addColumn<int>("before");
        QTest::addColumn<QString>("action"); // see clickField(); "List2:<entry>" clicks a chooser entry
        QTest::addColumn<QString>("seen");
        QTest::addColumn<int>("after");
        QTest::addColumn<QString>("shownAfter");
        const auto at = [](msp::SampleField f) { return msp::sampleFieldOffset(f, kSlot); };
        const qsizetype effect = msp::kEffectOffset;
        using F = msp::SampleField;
        QTest::newRow("VOLUME closed at once") << "Text17" << at(F::Volume) << 100 << "close" << "100 in 0..127" << 100 << "100";
        QTest::newRow("ATTACK 27 to 0") << "Text28" << at(F::Attack) << 27 << "bottom" << "100 in 0..127" << 127 << "0";
        QTest::newRow("RELEASE 96 to 64") << "Text31" << at(F::Release) << 96 << "top" << "0 in 0..64" << 32 << "64";
        QTest::newRow("DCA SLOP of 0x35 to 1") << "Text34" << at(F::Dca) << 0x35 << "bottom" << "5 in 1..7" << 0x31 << "1";
        QTest::newRow("DCA OFFS of 0x35 to 7") << "Text33" << at(F::Dca) << 0x35 << "top" << "3 in 0..7" << 0x75 << "7";
        QTest::newRow("CUT OFF to 3") << "Text32" << at(F::CutOff) << 90 << "bottom" << "90 in 3..127" << 3 << "3";
        QTest::newRow("FINE TUNE to -64") << "Text37" << msp::kFineTuneOffset << 64 << "bottom" << "0 in -64..64" << 0 << "-64";
        QTest::newRow("FINE TUNE to 64") << "Text37" << msp::kFineTuneOffset << 64 << "top" << "0 in -64..64" << 128 << "64";
        QTest::newRow("LEVEL 255 closed at once: the byte stays")
            << "Text22" << msp::kLevelOffset << 255 << "close" << "128 in 0..63" << 255 << "127";
        QTest::newRow("CHORUS amount") << "Text27" << msp::kChorusOffset << 10 << "bottom" << "5 in 0..63" << 0 << "0";
        QTest::newRow("START picks C3") << "Text15" << at(F::StartKey) << 40 << "key 7050 1005" << "note 41" << 59 << "C3";
        QTest::newRow("START picks note 0") << "Text15" << at(F::StartKey) << 40 << "key 100 1005" << "note 41" << 0 << "C#-2";
        QTest::newRow("END picks 129") << "Text16" << at(F::EndKey) << 127 << "key 15015 1005" << "note 127" << 129 << "A8";
        QTest::newRow("KEY picks C#3") << "Text19" << at(F::Key) << 60 << "key 7200 300" << "note 60" << 61 << "C#3";
        QTest::newRow("key picker closed") << "Text15" << at(F::StartKey) << 0 << "Escape" << "note 1" << 0 << "C#-2";
        QTest::newRow("PITCH 0") << "Text18" << at(F::PitchMode) << 0 << "" << "" << 1 << "FIXED";
        QTest::newRow("PITCH 5 stays") << "Text18" << at(F::PitchMode) << 5 << "" << "" << 5 << "5";
        QTest::newRow("ROTOR on") << "Text24" << effect << 3 << "" << "" << 131 << "ON";
        QTest::newRow("ROTOR off") << "Text24" << effect << 131 << "" << "" << 3 << "OFF";
        QTest::newRow("ROTOR double-clicked: once") << "Text24" << effect << 3 << "double-click" << "" << 131 << "ON";
        QTest::newRow("OCTAVE +1") << "Text23" << msp::kOctaveOffset << 0 << "List2:      +1" << "" << 1 << "+1";
        QTest::newRow("OCTAVE -2") << "Text23" << msp::kOctaveOffset << 2 << "List2:       -2" << "" << 254 << "-2";
        QTest::newRow("DIST + DELAY keeps the rotor")
            << "Label33" << effect << 131 << "List3:DIST + DELAY" << "" << 135 << "DIST + DELAY";
        QTest::newRow("OFF drops the amounts") << "Label33" << effect << 8 << "List3:OFF" << "" << 0 << "OFF";
    }

    void edit()
    {
        QFETCH(QString, field);
        QFETCH(qsizetype, offset);
        QFETCH(int, before);
        QFETCH(QString, action);
        QFETCH(QString, seen);
        QFETCH(int, after);
        QFETCH(QString, shownAfter);
        MspEditorWindow form;
        const msp::MspRecord record = open(form, split("S1|S2|S3"), {{msp::kEffectOffset, 9}, {offset, quint8(before)}});
        QCOMPARE(clickField(form, field, action), seen);
        if (action == u"double-click") { // the click's second half: no second toggle
            QTest::mouseDClick(form.findChild<QWidget *>(field), Qt::LeftButton);
            QTest::mouseRelease(form.findChild<QWidget *>(field), Qt::LeftButton);
        }
        if (action.startsWith(u"List")) {
            auto *list = form.findChild<QListWidget *>(action.left(5));
            QVERIFY(!list->isHidden());
            const QList<QListWidgetItem *> items = list->findItems(action.mid(6), Qt::MatchExactly);
            QCOMPARE(items.size(), 1);
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(items.first()).center());
            QVERIFY(list->isHidden());
        }
        QCOMPARE(shown(form, field), shownAfter);
        QCOMPARE(form.selectedSlot(), kSlot);
        QCOMPARE(mspModified, action != u"Escape");
        QByteArray expected = record.bytes();
        expected[offset] = char(after);
        QCOMPARE(saved(form), expected);
        if (field == u"Label33") { // the amount fields follow the effect type
            QCOMPARE(form.findChild<QWidget *>(u"Text26"_s)->isHidden(), after == 0);
            QVERIFY(form.findChild<QWidget *>(u"Text27"_s)->isHidden());
            if (after)
                QCOMPARE(shown(form, u"Label30"_s) + u' ' + shown(form, u"Label31"_s), u"DISTOR DELAY"_s);
        }
    }

    // Opening a chooser marks the current entry (entry 0 when none fits) and stores nothing.
    void openingAChooserStoresNothing()
    {
        MspEditorWindow form;
        const msp::MspRecord record = open(form, split("S1"), {{msp::kEffectOffset, 12}, {msp::kOctaveOffset, 1}});
        clickField(form, u"Label33"_s);
        clickField(form, u"Text23"_s);
        QCOMPARE(form.findChild<QListWidget *>(u"List2"_s)->currentItem()->text(), u"      +1"_s);
        QCOMPARE(form.findChild<QListWidget *>(u"List3"_s)->currentRow(), 0);
        QVERIFY(form.findChild<QWidget *>(u"List2"_s)->isVisible() && form.findChild<QWidget *>(u"List3"_s)->isVisible());
        QVERIFY(!mspModified);
        QCOMPARE(saved(form), record.bytes());
    }

    // With no samples no field takes a click; with samples but none selected only the
    // global ones do (Text26 is hidden by effect OFF).
    void guards()
    {
        const QStringList global = split("Text21|Text23|Text24|Label33|Text37");
        for (int samples : {0, 2}) {
            for (const QString &field : global + split("Text15|Text17|Text18|Text33|Text26")) {
                MspEditorWindow form;
                const msp::MspRecord record = open(form, split("S1|S2").mid(0, samples), {}, 0);
                const bool popup = !clickField(form, field).isEmpty();
                const bool list = form.findChild<QWidget *>(u"List2"_s)->isVisible() || form.findChild<QWidget *>(u"List3"_s)->isVisible();
                const bool works = samples > 0 && global.contains(field);
                QVERIFY2((popup || list || mspModified) == works, qPrintable(u"%1, %2 samples"_s.arg(field).arg(samples)));
                if (!works)
                    QCOMPARE(saved(form), record.bytes());
            }
        }
    }

    // Near the screen's bottom right corner the pop-ups still open wholly on the screen.
    void popupsStayOnTheScreen()
    {
        MspEditorWindow form;
        open(form, split("S1|S2|S3"));
        QWidget *field = form.findChild<QWidget *>(u"Text35"_s);
        const QRect screen = field->screen()->availableGeometry();
        const QPoint nearCorner = screen.bottomRight() - QPoint(field->width() + 10, 40);
        form.move(form.pos() + nearCorner - field->mapToGlobal(QPoint(0, 0)));
        for (const QString &name : split("Text35|Text19")) {
            QRect geometry;
            QVERIFY(!clickField(form, name, {}, &geometry).isEmpty());
            QVERIFY2(screen.contains(geometry), qPrintable(name));
        }
    }
};

QTEST_MAIN(TestParameterEditor)
#include "test_parametereditor.moc"
