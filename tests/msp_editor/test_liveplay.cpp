// SPDX-License-Identifier: GPL-3.0-or-later
// The computer keyboard as piano keys: Z is C3 (MIDI 48) and Q an octave up, - and +
// move an octave, and a key let go after an octave change ends the note it started.
#include "msp_editor/liveplay.h"

#include <QKeyEvent>
#include <QTest>
#include <QWidget>

class TestLivePlay : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rows()
    {
        tamo::msp_editor::LivePlay play;
        QWidget widget;
        widget.installEventFilter(&play);
        const QList<std::pair<int, int>> notes{{Qt::Key_Z, 48}, {Qt::Key_S, 49}, {Qt::Key_M, 59}, {Qt::Key_Q, 60},
                                               {Qt::Key_7, 70}, {Qt::Key_A, -1}};
        for (const auto &[key, note] : notes)
            QCOMPARE(play.noteForKey(key), note);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_U, Qt::NoModifier), release(QEvent::KeyRelease, Qt::Key_U, Qt::NoModifier);
        QVERIFY(play.eventFilter(&widget, &press));
        QTest::keyClick(&widget, Qt::Key_Minus);
        QCOMPARE(play.noteForKey(Qt::Key_Z), 36);
        QVERIFY(play.eventFilter(&widget, &release) && !play.eventFilter(&widget, &release));
        QTest::keyClick(&widget, Qt::Key_Plus);
        QTest::keyClick(&widget, Qt::Key_Equal);
        QCOMPARE(play.noteForKey(Qt::Key_U), 83);
    }
};

QTEST_MAIN(TestLivePlay)
#include "test_liveplay.moc"
