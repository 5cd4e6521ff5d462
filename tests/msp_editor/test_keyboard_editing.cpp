// Editing from the keyboard: key sequences in the value slider and the key picker,
// and Enter or Space on the editor's parameter fields.
#include "helper_editor.h"
#include "msp_editor/editorstate.h"
#include "msp_editor/keypicker.h"
#include "msp_editor/mspeditorwindow.h"
#include "msp_editor/valueslider.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

using namespace tamo::msp_editor;
using namespace tamo::test::editor;
using namespace Qt::StringLiterals;

// Sends "Up PgDown 4 - Return": named keys as QKeySequence spells them, characters as typed.
static void press(QWidget *widget, const QString &keys)
{
    for (const QString &word : keys.split(u' ', Qt::SkipEmptyParts))
        word.size() == 1 ? QTest::keyClick(widget, word.at(0).toLatin1())
                         : QTest::keyClick(widget, QKeySequence::fromString(word)[0].key());
}

class TestKeyboardEditing : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void slider_data()
    {
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("keys"); // the window is open unless they end with Return
        QTest::addColumn<QString>("value"); // shown by Text1 after the keys, and returned
        QTest::newRow("Up, Down by 1") << 0 << 127 << 64 << "Up Up Down Return" << "65";
        QTest::newRow("PageUp, PageDown by 10") << 0 << 127 << 64 << "PgUp PgUp PgDown Return" << "74";
        QTest::newRow("held at the top") << 0 << 127 << 120 << "PgUp Up" << "127";
        QTest::newRow("End, then Home") << -64 << 64 << 0 << "End Home" << "-64";
        QTest::newRow("typed digits") << 0 << 99 << 40 << "7 5 Return" << "75";
        QTest::newRow("typed past the top") << 0 << 127 << 0 << "2 0 0" << "127";
        QTest::newRow("minus") << -64 << 64 << 10 << "- 1 2 Return" << "-12";
    }
    void slider()
    {
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(int, start);
        QFETCH(QString, keys);
        QFETCH(QString, value);
        sliderValue = qint16(start);
        ValueSlider slider;
        slider.minimum = qint16(min);
        slider.maximum = qint16(max);
        slider.show();
        press(&slider, keys);
        QCOMPARE(slider.findChild<QWidget *>(u"Text1"_s)->property("text").toString(), value);
        QCOMPARE(slider.isVisible(), !keys.endsWith(u"Return"));
        // The knob's centre (in twips) at the value's place on the 2925-twip track 360 down.
        const QWidget *knob = slider.findChild<QWidget *>(u"Picture1"_s);
        QVERIFY(qAbs((knob->y() + knob->height() / 2.0) * 15 - 360 - (max - value.toInt()) * 2925.0 / (max - min)) <= 30);
        slider.close();
        QCOMPARE(sliderValue, value.toInt());
    }

    void picker_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("picked"); // -1: nothing
        QTest::addColumn<int>("scroll"); // afterwards: the blue key in view
        QTest::newRow("Right, Left a semitone") << 60 << "Right Right Left Return" << 61 << 2500;
        QTest::newRow("Up, Down an octave") << 60 << "Up Up Down Return" << 72 << 2500;
        QTest::newRow("held at the top") << 120 << "Up Return" << 128 << 5290;
        QTest::newRow("a high note opens in view") << 120 << "" << -1 << 4440;
        QTest::newRow("from a negative note to C-2") << -5 << "Right Return" << 0 << 0;
    }
    void picker()
    {
        QFETCH(int, start);
        QFETCH(QString, keys);
        QFETCH(int, picked);
        QFETCH(int, scroll);
        noteValue = qint16(start);
        mspModified = false;
        KeyPicker form;
        form.show();
        press(&form, keys);
        QCOMPARE(form.findChild<QScrollBar *>(u"HScroll1"_s)->value(), scroll);
        QCOMPARE(int(noteValue), picked >= 0 ? picked : start);
        QCOMPARE(mspModified, picked >= 0);
    }

    // Enter or Space on a field opens its editor, driven here by keys too.
    void fieldKeys_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("keys"); // the first on the field, the others in its editor
        QTest::addColumn<QString>("value"); // shown by the field afterwards
        QTest::newRow("Space on VOLUME: slider") << "Text17" << "Space Home Return" << "0";
        QTest::newRow("Return on KEY: key picker") << "Text19" << "Return Right Return" << "C#3";
        QTest::newRow("Enter on OCTAVE: chooser") << "Text23" << "Enter Down Return" << "+1";
    }
    void fieldKeys()
    {
        QFETCH(QString, field);
        QFETCH(QString, keys);
        QFETCH(QString, value);
        const QString editorKeys = keys.section(u' ', 1);
        MspEditorWindow form;
        form.record() = documentWith({u"ONE"_s});
        form.RefreshMspView();
        form.selectSlot(1);
        QTimer::singleShot(0, &form, [&] {
            if (QWidget *popup = QApplication::activeModalWidget())
                press(popup, editorKeys); // the slider or the key picker
        });
        press(form.findChild<QWidget *>(field), keys.section(u' ', 0, 0));
        if (auto *chooser = form.findChild<QWidget *>(u"List2"_s); chooser->isVisibleTo(&form))
            press(chooser, editorKeys);
        QCOMPARE(form.findChild<QWidget *>(field)->property("text").toString().trimmed(), value);
    }
};

QTEST_MAIN(TestKeyboardEditing)
#include "test_keyboard_editing.moc"
