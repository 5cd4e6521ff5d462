// Editing from the keyboard: the value slider and the key picker driven by key
// sequences, and Enter or Space on a parameter field of the editor window.
#include "helper_editor.h"
#include "msp/valueformats.h"
#include "msp_editor/editorstate.h"
#include "msp_editor/keypicker.h"
#include "msp_editor/mspeditorwindow.h"
#include "msp_editor/valueslider.h"

#include <QApplication>
#include <QLabel>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

using namespace tamo;
using namespace tamo::msp_editor;
using namespace tamo::test::editor;
using namespace Qt::StringLiterals;

namespace {

// Sends "Up PgDown 4 - Return": named keys as QKeySequence spells them, single
// characters as typed.
void press(QWidget *widget, const QString &keys)
{
    for (const QString &word : keys.split(u' ', Qt::SkipEmptyParts)) {
        if (word.size() == 1)
            QTest::keyClick(widget, word.at(0).toLatin1());
        else
            QTest::keyClick(widget, QKeySequence::fromString(word)[0].key());
    }
}

// Pixels of the blue of the current key in what the key picker's viewport shows.
int bluePixels(QWidget *picker)
{
    const QImage shown = picker->findChild<QWidget *>(u"Picture1"_s)->grab().toImage();
    int count = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            count += shown.pixelColor(x, y) == QColor(0, 0, 255);
    return count;
}

} // namespace

class TestKeyboardEditing : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void slider_data()
    {
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown"); // Text1 after the keys; returned on closing
        QTest::newRow("Up by 1") << 0 << 127 << 64 << "Up Up Return" << "66";
        QTest::newRow("Down, PageDown by 10") << 0 << 127 << 64 << "Down PgDown Return" << "53";
        QTest::newRow("PageUp by 10") << 0 << 127 << 64 << "PgUp Enter" << "74";
        QTest::newRow("PageUp held at the top") << 0 << 127 << 120 << "PgUp PgUp Enter" << "127";
        QTest::newRow("Home: bottom end") << -64 << 64 << 0 << "Home" << "-64";
        QTest::newRow("End: top end") << -64 << 64 << 0 << "End Return" << "64";
        QTest::newRow("typed digits") << 0 << 99 << 40 << "7 5 Return" << "75";
        QTest::newRow("typed past the top, held there") << 0 << 127 << 0 << "2 0 0" << "127";
        QTest::newRow("minus starts a negative entry") << -64 << 64 << 10 << "- 1 2 Return" << "-12";
        QTest::newRow("minus alone closes as 0") << -64 << 64 << 10 << "- Return" << "-";
        QTest::newRow("no minus where no value is negative") << 1 << 7 << 3 << "- 5 Return" << "5";
        QTest::newRow("a step ends the typed entry") << 0 << 127 << 0 << "1 2 Up 3" << "3";
        QTest::newRow("from beyond the range a step lands inside") << 0 << 127 << 200 << "Up" << "127";
    }

    void slider()
    {
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(int, start);
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        sliderValue = qint16(start);
        mspModified = false;
        ValueSlider slider;
        slider.minimum = qint16(min);
        slider.maximum = qint16(max);
        slider.show();
        press(&slider, keys);
        QCOMPARE(slider.findChild<QLabel *>(u"Text1"_s)->text(), shown);
        QCOMPARE(slider.isVisible(), !keys.endsWith(u"Return") && !keys.endsWith(u"Enter"));
        // The knob's centre stands at the value's place on the track (360 twips down, 2925 high).
        if (shown != u"-") {
            auto *knob = slider.findChild<QWidget *>(u"Picture1"_s);
            const double centre = (knob->y() + knob->height() / 2.0) * 15 - 360;
            QVERIFY2(qAbs(centre - (max - shown.toInt()) * 2925.0 / (max - min)) <= 30, qPrintable(QString::number(centre)));
        }
        slider.close();
        QCOMPARE(sliderValue, shown.toInt());
        QVERIFY(mspModified);
    }

    void picker_data()
    {
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<int>("picked"); // -1: nothing picked
        QTest::addColumn<int>("scroll"); // -1: any that shows the blue key
        QTest::newRow("Right: a semitone up") << 60 << "Right Return" << 61 << 2500;
        QTest::newRow("Left: a semitone down") << 60 << "Left Left Enter" << 58 << 2500;
        QTest::newRow("Up: an octave up") << 60 << "Up Up Return" << 84 << 2500;
        QTest::newRow("Down held at the bottom") << 5 << "Down Return" << 0 << 0;
        QTest::newRow("Up held at the top") << 120 << "Up Return" << 128 << 5290;
        QTest::newRow("a high note opens in view") << 120 << "" << -1 << -1;
        QTest::newRow("a low note opens in view") << 2 << "" << -1 << 200;
        QTest::newRow("Enter picks the note shown") << 64 << "Return" << 64 << 2500;
        QTest::newRow("Escape picks nothing") << 60 << "Right Escape" << -1 << 2500;
        QTest::newRow("from a negative note the first step is C-2") << -5 << "Right Return" << 0 << 0;
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
        auto *bar = form.findChild<QScrollBar *>(u"HScroll1"_s);
        if (scroll >= 0)
            QCOMPARE(bar->value(), scroll);
        QVERIFY(bluePixels(&form) > 0);
        QCOMPARE(form.picked(), picked >= 0);
        QCOMPARE(int(noteValue), picked >= 0 ? picked : start);
        QCOMPARE(mspModified, picked >= 0);
    }

    // Enter or Space on a field opens its editor, here driven by keys too.
    void fieldKeys_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("editorKeys");
        QTest::addColumn<QString>("shown"); // the field afterwards
        QTest::newRow("Space on VOLUME: slider") << "Text17" << int(Qt::Key_Space) << "Home Return" << "0";
        QTest::newRow("Enter on KEY: key picker") << "Text19" << int(Qt::Key_Return) << "Right Return" << "C#3";
        QTest::newRow("Enter on PITCH: toggles") << "Text18" << int(Qt::Key_Enter) << "" << msp::PitchModeText(1);
        QTest::newRow("Enter on OCTAVE: chooser") << "Text23" << int(Qt::Key_Return) << "Down Return" << "+1";
        QTest::newRow("Escape leaves the chooser") << "Text23" << int(Qt::Key_Return) << "Down Escape" << "0";
    }

    void fieldKeys()
    {
        QFETCH(QString, field);
        QFETCH(int, key);
        QFETCH(QString, editorKeys);
        QFETCH(QString, shown);
        MspEditorWindow form;
        showRecord(form, documentWith({u"ONE"_s, u"TWO"_s}));
        form.selectSlot(2);
        QTimer::singleShot(0, &form, [&] {
            if (QWidget *popup = QApplication::activeModalWidget())
                press(popup, editorKeys);
        });
        QTest::keyClick(form.findChild<QWidget *>(field), Qt::Key(key));
        if (auto *chooser = form.findChild<QWidget *>(u"List2"_s); chooser->isVisibleTo(&form))
            press(chooser, editorKeys);
        QCOMPARE(form.findChild<QWidget *>(field)->property("text").toString().trimmed(), shown);
    }
};

QTEST_MAIN(TestKeyboardEditing)
#include "test_keyboard_editing.moc"
