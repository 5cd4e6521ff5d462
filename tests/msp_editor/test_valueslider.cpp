// The value slider driven with real mouse events at twip positions on its track,
// which starts 360 twips from the window's top and is 2925 high.
#include "msp_editor/valueslider.h"
#include "msp_editor/editorstate.h"

#include <QLabel>
#include <QTest>

#include <algorithm>

using namespace tamo::msp_editor;
using namespace Qt::StringLiterals;

namespace {

constexpr double kTwip = 15.0;
constexpr int kLeft = int(Qt::LeftButton);
constexpr int kRight = int(Qt::RightButton);

} // namespace

class TestValueSlider : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Opens the slider, presses the buttons at 1000 twips down the track, moves to
    // 600 then to `to`, releases, and closes the window.
    void slide_data()
    {
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("start");
        QTest::addColumn<QString>("scale"); // top to bottom
        QTest::addColumn<int>("buttons");
        QTest::addColumn<QPointF>("to"); // twips from the track's top left
        QTest::addColumn<QString>("close");
        QTest::addColumn<int>("value"); // shown, then returned
        QTest::newRow("0..127 top") << 0 << 127 << 0 << "127 63 0" << kLeft << QPointF(120, 0) << "Label2" << 127;
        QTest::newRow("0..127 bottom") << 0 << 127 << 64 << "127 63 0" << kLeft << QPointF(120, 2925) << "Text1" << 0;
        QTest::newRow("0..127 63.8") << 0 << 127 << 0 << "127 63 0" << kLeft << QPointF(120, 1455) << "Escape" << 63;
        QTest::newRow("-64..64 -3.6") << -64 << 64 << 0 << "64 0 -64" << kLeft << QPointF(120, 1545) << "close" << -3;
        QTest::newRow("-64..64 3.6") << -64 << 64 << 0 << "64 0 -64" << kLeft << QPointF(120, 1380) << "Label2" << 3;
        QTest::newRow("3..127 bottom") << 3 << 127 << 100 << "127 65 3" << kLeft << QPointF(120, 2925) << "Label2" << 3;
        QTest::newRow("1..7 1.15") << 1 << 7 << 4 << "7 4 1" << kLeft << QPointF(120, 2850) << "Label2" << 1;
        QTest::newRow("0..99 closed at once") << 0 << 99 << 40 << "99 49 0" << 0 << QPointF() << "Label2" << 40;
        QTest::newRow("beyond the range, closed at once") << 0 << 127 << 200 << "127 63 0" << 0 << QPointF() << "Text1" << 200;
        QTest::newRow("right button") << 0 << 127 << 64 << "127 63 0" << kRight << QPointF(120, 0) << "Label2" << 64;
        QTest::newRow("both buttons") << 0 << 127 << 64 << "127 63 0" << (kLeft | kRight) << QPointF(120, 0) << "Label2" << 64;
        QTest::newRow("left above the track") << 0 << 127 << 64 << "127 63 0" << kLeft << QPointF(120, -45) << "Label2" << 100;
        QTest::newRow("left below the track") << 0 << 127 << 64 << "127 63 0" << kLeft << QPointF(120, 2985) << "Label2" << 100;
        QTest::newRow("left of the track") << 0 << 127 << 64 << "127 63 0" << kLeft << QPointF(-450, 2925) << "Label2" << 0;
    }

    void slide()
    {
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(int, start);
        QFETCH(QString, scale);
        QFETCH(int, buttons);
        QFETCH(QPointF, to);
        QFETCH(QString, close);
        QFETCH(int, value);
        sliderValue = qint16(start);
        mspModified = false;
        ValueSlider slider;
        slider.minimum = qint16(min);
        slider.maximum = qint16(max);
        slider.show();
        auto *track = slider.findChild<QWidget *>(u"Picture2"_s);
        auto *knob = slider.findChild<QWidget *>(u"Picture1"_s);
        const auto shown = [&] { return slider.findChild<QLabel *>(u"Text1"_s)->text().toInt(); };
        // The knob centre's distance below the track's top, in twips.
        const auto knobAt = [&] { return (knob->y() + knob->height() / 2.0) * kTwip - 360; };
        const auto at = [](QPointF twips) { return (twips / kTwip).toPoint(); };
        auto labels = slider.findChildren<QLabel *>(u"Label1"_s);
        std::sort(labels.begin(), labels.end(), [](QLabel *a, QLabel *b) { return a->y() < b->y(); });
        QCOMPARE(QStringList({labels.at(0)->text(), labels.at(1)->text(), labels.at(2)->text()}).join(u' '), scale);
        const double startKnob = (max - start) * 2925.0 / (max - min);
        QVERIFY(qAbs(knobAt() - startKnob) <= 2 * kTwip);

        for (int button : {kLeft, kRight})
            if (buttons & button)
                QTest::mousePress(track, Qt::MouseButton(button), {}, at({120, 1000}));
        QCOMPARE(shown(), start); // pressing alone changes nothing
        if (buttons) {
            QTest::mouseMove(track, at({120, 600})); // 100.9 in 0..127
            QTest::mouseMove(track, at(to));
        }
        for (int button : {kLeft, kRight})
            if (buttons & button)
                QTest::mouseRelease(track, Qt::MouseButton(button), {}, at(to));
        QCOMPARE(shown(), value);
        const bool onTrack = to.y() >= 0 && to.y() <= 2925;
        const double knobAfter = buttons != kLeft ? startKnob : onTrack ? to.y() : 600;
        QVERIFY2(qAbs(knobAt() - knobAfter) <= 2 * kTwip, qPrintable(QString::number(knobAt())));

        if (close == u"Escape")
            QTest::keyClick(&slider, Qt::Key_Escape);
        else if (close == u"close")
            slider.close();
        else
            QTest::mouseClick(slider.findChild<QWidget *>(close), Qt::LeftButton);
        QVERIFY(!slider.isVisible());
        QCOMPARE(int(sliderValue), value);
        QVERIFY(mspModified);
    }
};

QTEST_MAIN(TestValueSlider)
#include "test_valueslider.moc"
