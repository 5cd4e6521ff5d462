// SPDX-License-Identifier: GPL-3.0-or-later
// The computer keyboard as piano keys: the two rows, the octave keys, and a key let
// go after an octave change ending the note it started.
#include "msp_editor/liveplay.h"

#include <QKeyEvent>
#include <QTest>
#include <QWidget>

using tamo::msp_editor::LivePlay;

class TestLivePlay : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rows_data()
    {
        QTest::addColumn<QList<int>>("octaveKeys");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("note");
        // MIDI numbers worked out from the rows' layout: Z is C3 (48), Q an octave up.
        QTest::newRow("Z") << QList<int>{} << int(Qt::Key_Z) << 48;
        QTest::newRow("S, the black key after Z") << QList<int>{} << int(Qt::Key_S) << 49;
        QTest::newRow("M") << QList<int>{} << int(Qt::Key_M) << 59;
        QTest::newRow("Q") << QList<int>{} << int(Qt::Key_Q) << 60;
        QTest::newRow("7") << QList<int>{} << int(Qt::Key_7) << 70;
        QTest::newRow("Z an octave down") << QList<int>{Qt::Key_Minus} << int(Qt::Key_Z) << 36;
        QTest::newRow("U two octaves up") << QList<int>{Qt::Key_Plus, Qt::Key_Equal} << int(Qt::Key_U) << 95;
        QTest::newRow("A plays nothing") << QList<int>{} << int(Qt::Key_A) << -1;
    }
    void rows()
    {
        QFETCH(QList<int>, octaveKeys);
        QFETCH(int, key);
        QFETCH(int, note);
        LivePlay play;
        QWidget widget;
        widget.installEventFilter(&play);
        for (int k : octaveKeys)
            QTest::keyClick(&widget, Qt::Key(k));
        QCOMPARE(play.noteForKey(key), note);
        // A key held across an octave change still ends its own note: the filter takes both.
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QCOMPARE(play.eventFilter(&widget, &press), note >= 0);
        QTest::keyClick(&widget, Qt::Key_Minus);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QCOMPARE(play.eventFilter(&widget, &release), note >= 0);
        QCOMPARE(play.eventFilter(&widget, &release), false);
    }
};

QTEST_MAIN(TestLivePlay)
#include "test_liveplay.moc"
