// SPDX-License-Identifier: GPL-3.0-or-later
// The parameter fields as the table lays them out: what each shows, the editor a
// click or a key opens, its range and scale, and the byte it stores, through the
// document's undo stack. How bytes convert to shown values is test_msprecord's.

#include "editorsupport.h"
#include "msp_editor/mspdocument.h"

#include <QUndoStack>

using namespace tamo;
using namespace tamo::test::editor;
using msp::SampleField;

// A field clicked with slot 2 selected and effect type 9 (OVERDRIVE and CHORUS amounts
// shown): what the pop-up showed on opening, the field's text after, the one byte changed.
struct Edit {
    QString field;
    qsizetype offset;
    int before;
    Gesture gesture;
    QString seen; // for a chooser, the entry it marks on opening
    int after;
    QString shownAfter; // for the effect, its name and the amounts shown
};
Q_DECLARE_METATYPE(Edit)

class TestParameterTable : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void edit_data()
    {
        QTest::addColumn<Edit>("row");
        const auto at = [](SampleField f) { return msp::sampleFieldOffset(f, kSlot); };
        using F = SampleField;
        using G = Gesture;
        // The slider, mostly from VOLUME; a value outside the range comes back unchanged.
        const auto slide = [&](const char *tag, int before, const Gesture &gesture, int after) {
            QTest::newRow(tag) << Edit{u"Text17"_s, at(F::Volume), before, gesture, u"%1 in 127 63 0"_s.arg(before), after, QString::number(after)};
        };
        slide("top, closed by Label2", 0, drag(0, G::Label2), 127);
        slide("bottom, closed by Text1", 64, drag(2925, G::Text1), 0);
        slide("63.8 truncated, closed by Escape", 0, drag(1455, G::EscapeKey), 63);
        slide("beyond the range, closed at once", 200, {G::Hold}, 200);
        slide("left above the track", 64, drag(-45, G::Label2), 100);
        const Gesture bottom = drag(2925, G::Text1), top = drag(0, G::Text1);
        QTest::newRow("FINE TUNE -3.6 truncated towards 0") << Edit{u"Text37"_s, msp::kFineTuneOffset, 64, drag(1545, G::Close), u"0 in 64 0 -64"_s, 61, u"-3"_s};
        QTest::newRow("CUT OFF to 3") << Edit{u"Text32"_s, at(F::CutOff), 90, bottom, u"90 in 127 65 3"_s, 3, u"3"_s};
        QTest::newRow("ATTACK 27 to 0") << Edit{u"Text28"_s, at(F::Attack), 27, bottom, u"100 in 127 63 0"_s, 127, u"0"_s};
        QTest::newRow("RELEASE 96 to 64") << Edit{u"Text31"_s, at(F::Release), 96, top, u"0 in 64 32 0"_s, 32, u"64"_s};
        QTest::newRow("DCA SLOP of 0x35 to 1") << Edit{u"Text34"_s, at(F::Dca), 0x35, bottom, u"5 in 7 4 1"_s, 0x31, u"1"_s};
        QTest::newRow("DCA OFFS of 0x35 to 7") << Edit{u"Text33"_s, at(F::Dca), 0x35, top, u"3 in 7 3 0"_s, 0x75, u"7"_s};
        QTest::newRow("LEVEL 40 to 63") << Edit{u"Text22"_s, msp::kLevelOffset, 40, top, u"20 in 63 31 0"_s, 126, u"63"_s};
        // The key picker: a press of any button picks the key under the pointer and closes it.
        const auto key = [&](const char *tag, double x, double y, int note, const QString &name) {
            QTest::newRow(tag) << Edit{u"Text19"_s, at(F::Key), 40, pickKey(x, y), u"note 40 at 2500"_s, note, name};
        };
        key("7140 upper: a boundary is the left key's", 7140, 300, 60, u"C3"_s);
        key("7200 at two thirds", 7200, 810, 61, u"C#3"_s);
        key("7200 below two thirds", 7200, 825, 60, u"C3"_s);
        key("1399.6 rounds to the next C, octave 0", 1399.6, 300, 0, u"C-2"_s);
        QTest::newRow("START picks 0") << Edit{u"Text15"_s, at(F::StartKey), 40, pickKey(100, 1005), u"note 41 at 2500"_s, 0, u"C#-2"_s};
        QTest::newRow("END picks 129 beyond 15000") << Edit{u"Text16"_s, at(F::EndKey), 127, pickKey(15015, 1005), u"note 127 at 5240"_s, 129, u"A8"_s};
        QTest::newRow("key picker closed") << Edit{u"Text15"_s, at(F::StartKey), 0, {G::Escape}, u"note 1 at 140"_s, 0, u"C#-2"_s};
        QTest::newRow("PITCH 0") << Edit{u"Text18"_s, at(F::PitchMode), 0, {}, {}, 1, u"FIXED"_s};
        QTest::newRow("ROTOR off") << Edit{u"Text24"_s, msp::kEffectOffset, 131, {}, {}, 3, u"OFF"_s};
        QTest::newRow("ROTOR double-clicked: once") << Edit{u"Text24"_s, msp::kEffectOffset, 3, {G::DoubleClick}, {}, 131, u"ON"_s};
        QTest::newRow("OCTAVE -2") << Edit{u"Text23"_s, msp::kOctaveOffset, 2, choose(u"       -2"_s), u"+2"_s, 254, u"-2"_s};
        QTest::newRow("OCTAVE opened stores nothing") << Edit{u"Text23"_s, msp::kOctaveOffset, 1, choose({}), u"+1"_s, 1, u"+1"_s};
        QTest::newRow("DIST + DELAY keeps the rotor")
            << Edit{u"Label33"_s, msp::kEffectOffset, 131, choose(u"DIST + DELAY"_s), u"CHORUS"_s, 135, u"DIST + DELAY: DISTOR=10 DELAY=20 -"_s};
        // Each amount in its own field (overdrive or distortion, delay, chorus; bytes 20, 40, 60 shown
        // halved); one alone in the first.
        for (const auto &[type, name, amounts] : {std::tuple{2, u"DISTORTION"_s, u"DISTOR=10 - -"_s}, {4, u"DELAY"_s, u"DELAY=10 - -"_s},
                                                  {3, u"CHORUS"_s, u"CHORUS=10 - -"_s}, {5, u"DELAY + CHORUS"_s, u"DELAY=10 - CHORUS=30"_s},
                                                  {6, u"DIST + CHORUS"_s, u"DISTOR=10 - CHORUS=30"_s},
                                                  {8, u"DIST + DELAY + CHORUS"_s, u"DISTOR=10 DELAY=20 CHORUS=30"_s}})
            QTest::newRow(qPrintable(name)) << Edit{u"Label33"_s, msp::kEffectOffset, 9, choose(name), u"OVERDRIVE + CHORUS"_s, type, name + u": "_s + amounts};
        QTest::newRow("OFF drops the amounts") << Edit{u"Label33"_s, msp::kEffectOffset, 8, choose(u"OFF"_s), u"DIST + DELAY + CHORUS"_s, 0, u"OFF: - - -"_s};
        QTest::newRow("unknown effect opened: entry 0") << Edit{u"Label33"_s, msp::kEffectOffset, 12, choose({}), u"OFF"_s, 12, u": - - -"_s};
    }

    void edit()
    {
        QFETCH(Edit, row);
        MspEditorWindow form;
        const MspRecord record = open(form, split("S1|S2|S3"), {{msp::kEffectOffset, 9}, {msp::kOverdriveOffset, 20}, {msp::kDelayOffset, 40},
                                                                    {msp::kChorusOffset, 60}, {row.offset, quint8(row.before)}});
        const bool chooser = row.gesture.kind == Gesture::Choose;
        QCOMPARE(clickField(form, row.field, chooser ? Gesture{} : row.gesture), chooser ? QString() : row.seen);
        auto *field = form.findChild<QWidget *>(row.field);
        if (row.gesture.kind == Gesture::DoubleClick) { // the click's second half: no second toggle
            QTest::mouseDClick(field, Qt::LeftButton);
            QTest::mouseRelease(field, Qt::LeftButton);
        }
        if (chooser) {
            auto *list = form.findChild<QListWidget *>(row.field == u"Label33" ? u"List3"_s : u"List2"_s);
            QVERIFY(!list->isHidden());
            QCOMPARE(list->currentItem()->text().trimmed(), row.seen);
            const QList<QListWidgetItem *> items = list->findItems(row.gesture.entry, Qt::MatchExactly);
            if (!row.gesture.entry.isEmpty() && items.size() == 1)
                clickItem(list, items.first());
            QCOMPARE(list->isHidden(), !row.gesture.entry.isEmpty());
        }
        QString amounts; // each amount field's caption and value, "-" when hidden
        for (int i = 0; i < 3; ++i) {
            const QString label = u"Label3%1"_s.arg(i);
            amounts += form.findChild<QWidget *>(label)->isHidden() ? u" -"_s : u' ' + shown(form, label) + u'=' + shown(form, u"Text2%1"_s.arg(5 + i));
        }
        QCOMPARE(shown(form, row.field) + (row.field == u"Label33" ? u':' + amounts : QString()), row.shownAfter);
        QCOMPARE(form.selectedSlot(), kSlot);
        QCOMPARE(form.document().isModified(), row.gesture.kind != Gesture::Escape && !(chooser && row.gesture.entry.isEmpty()));
        QByteArray expected = record.bytes();
        expected[row.offset] = char(row.after);
        QCOMPARE(form.record().bytes(), expected);
    }

    // Editing from the keyboard: Space or Return on a field opens its editor, whose keys
    // step, jump or type the value; Return closes it, closing the window keeps the value.
    // A character other than a space first is typed on the field itself.
    void keyboardEditing_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<qsizetype>("offset");
        QTest::addColumn<int>("before"); // stored bytes
        QTest::addColumn<QList<int>>("keys"); // the first on the field, the others in its editor
        QTest::addColumn<int>("after");
        QTest::addColumn<QString>("seen"); // the slider's value, or the picker's scroll (the blue key in view)
        const qsizetype volume = msp::sampleFieldOffset(SampleField::Volume, kSlot), fine = msp::kFineTuneOffset,
                        key = msp::sampleFieldOffset(SampleField::Key, kSlot);
        enum : int { Up = Qt::Key_Up, Down = Qt::Key_Down, Left = Qt::Key_Left, Right = Qt::Key_Right, PgUp = Qt::Key_PageUp,
                     PgDown = Qt::Key_PageDown, Home = Qt::Key_Home, End = Qt::Key_End, Return = Qt::Key_Return, Enter = Qt::Key_Enter, Esc = Qt::Key_Escape };
        using K = QList<int>;
        QTest::newRow("VOLUME: Up, Down by 1") << "Text17" << volume << 64 << K{' ', Up, Up, Down, Return} << 65 << "65";
        QTest::newRow("VOLUME: PageUp, PageDown by 10") << "Text17" << volume << 64 << K{' ', PgUp, PgUp, PgDown, Return} << 74 << "74";
        QTest::newRow("VOLUME: held at the top") << "Text17" << volume << 120 << K{' ', PgUp, Up} << 127 << "127 open";
        QTest::newRow("VOLUME: typed digits") << "Text17" << volume << 40 << K{' ', '7', '5', Return} << 75 << "75";
        QTest::newRow("VOLUME: typed past the top") << "Text17" << volume << 0 << K{' ', '2', '0', '0'} << 127 << "127 open";
        QTest::newRow("FINE TUNE: End, then Home") << "Text37" << fine << 64 << K{' ', End, Home} << 0 << "-64 open";
        QTest::newRow("FINE TUNE: minus") << "Text37" << fine << 74 << K{' ', '-', '1', '2', Return} << 52 << "-12";
        QTest::newRow("KEY: Right, Left a semitone") << "Text19" << key << 60 << K{Return, Right, Right, Left, Return} << 61 << "2500";
        QTest::newRow("KEY: Up, Down an octave") << "Text19" << key << 60 << K{Return, Up, Up, Down, Return} << 72 << "2500";
        QTest::newRow("KEY: held at the top") << "Text19" << key << 120 << K{Return, Up, Return} << 128 << "5290";
        QTest::newRow("KEY: a high note opens in view, closed") << "Text19" << key << 120 << K{Return} << 120 << "4440 open";
        QTest::newRow("VOLUME: typed on the field") << "Text17" << volume << 40 << K{'1', '0', '0', Return} << 100 << "100";
        QTest::newRow("VOLUME: typed past the top, Enter") << "Text17" << volume << 40 << K{'2', '0', '0', Enter} << 127 << "127";
        QTest::newRow("VOLUME: Escape leaves it") << "Text17" << volume << 40 << K{'5', Esc} << 40 << "40";
        QTest::newRow("FINE TUNE: typed minus") << "Text37" << fine << 64 << K{'-', '1', '2', Return} << 52 << "-12";
        QTest::newRow("FINE TUNE: below the bottom") << "Text37" << fine << 64 << K{'-', '9', '9', Return} << 0 << "-64";
        QTest::newRow("KEY: a typed note") << "Text19" << key << 60 << K{'c', '#', '4', Return} << 73 << "C#4";
        QTest::newRow("KEY: a typed flat") << "Text19" << key << 60 << K{'D', 'b', '-', '2', Return} << 1 << "C#-2";
        QTest::newRow("KEY: a number") << "Text19" << key << 60 << K{'4', '8', Return} << 48 << "C2";
        QTest::newRow("KEY: no note") << "Text19" << key << 60 << K{'C', 'x', Return} << 60 << "C3";
        QTest::newRow("START typed") << "Text15" << msp::sampleFieldOffset(SampleField::StartKey, kSlot) << 0 << K{'E', '3', Return} << 63 << "E3";
        QTest::newRow("OCTAVE: Enter, the chooser") << "Text23" << msp::kOctaveOffset << 0 << K{Enter, Down, Return} << 1 << "";
    }
    void keyboardEditing()
    {
        QFETCH(QString, field);
        QFETCH(qsizetype, offset);
        QFETCH(int, before);
        QFETCH(QList<int>, keys);
        QFETCH(int, after);
        QFETCH(QString, seen);
        MspEditorWindow form;
        open(form, split("S1|S2|S3"), {{offset, quint8(before)}});
        const QList<int> editorKeys = keys.mid(1);
        QString popupSeen;
        QTimer::singleShot(0, &form, [&] {
            QWidget *popup = QApplication::activeModalWidget();
            if (!popup)
                return;
            press(popup, editorKeys);
            if (auto *slider = qobject_cast<msp_editor::ValueSlider *>(popup)) {
                const int value = shown(*popup, u"Text1"_s).toInt();
                popupSeen = QString::number(value) + (knobAt(*slider, placeOf(*slider, value)) ? u""_s : u" knob misplaced"_s);
            } else {
                popupSeen = QString::number(popup->findChild<QScrollBar *>(u"HScroll1"_s)->value());
            }
            popupSeen += popup->isVisible() ? u" open"_s : QString();
            popup->close();
        });
        auto *edit = form.findChild<QLineEdit *>(field);
        if (keys.first() < 0x80 && keys.first() != ' ') { // one undo step when stored
            press(edit, keys);
            QCOMPARE(edit->text() + (edit->isReadOnly() ? u""_s : u" editing"_s), seen);
            QCOMPARE(int(quint8(form.record().bytes().at(offset))), after);
            QCOMPARE(form.undoStack()->count(), after == before ? 0 : 1);
            return;
        }
        press(edit, keys.mid(0, 1));
        if (auto *chooser = form.findChild<QWidget *>(u"List2"_s); chooser->isVisibleTo(&form))
            press(chooser, editorKeys);
        QCOMPARE(popupSeen, seen);
        QCOMPARE(int(quint8(form.record().bytes().at(offset))), after);
    }
};

QTEST_MAIN(TestParameterTable)
#include "test_parametertable.moc"
