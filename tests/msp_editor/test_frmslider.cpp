// The value slider driven with real mouse events at positions taken from its
// twip design: track top 360, height 2925, knob height 270.
#include "msp_editor/frmslider.h"
#include "msp_editor/shared.h"

#include <QLabel>
#include <QTest>
#include <QTimer>

#include <algorithm>

using namespace tamo::msp_editor;
using namespace Qt::StringLiterals;

namespace {

constexpr double kTwip = 15.0;
constexpr double kTrackTopTwips = 360;
constexpr double kTrackHeightTwips = 2925;

struct Opened {
    FrmSlider slider;
    QWidget *track = nullptr;
    QWidget *knob = nullptr;
    QLabel *value = nullptr;

    Opened(int start, int min, int max)
    {
        SliderValue = qint16(start);
        slider.MinValue = qint16(min);
        slider.MaxValue = qint16(max);
        slider.show();
        track = slider.findChild<QWidget *>(QStringLiteral("Picture2"));
        knob = slider.findChild<QWidget *>(QStringLiteral("Picture1"));
        value = slider.findChild<QLabel *>(QStringLiteral("Text1"));
    }
    ~Opened() { slider.hide(); }

    int shown() const { return value->text().toInt(); }
    // Knob centre in twips from the window's top.
    double knobCentre() const { return (knob->y() + knob->height() / 2.0) * kTwip; }
    // A point on the track y twips below its top.
    QPoint at(double yTwips) const { return {track->width() / 2, qRound(yTwips / kTwip)}; }
};

} // namespace

class TestFrmSlider : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void scaleReadsTopToBottom_data();
    void scaleReadsTopToBottom();
    void leftDragShowsTruncatedValue_data();
    void leftDragShowsTruncatedValue();
    void otherButtonsChangeNothing_data();
    void otherButtonsChangeNothing();
    void leavingTheTrackFreezesTheValue();
    void pressAloneOnlyBordersTheKnob();
    void knobStartsAtTheStartValue_data();
    void knobStartsAtTheStartValue();
    void everyCloseReturnsTheShownValue_data();
    void everyCloseReturnsTheShownValue();
};

void TestFrmSlider::scaleReadsTopToBottom_data()
{
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::addColumn<QStringList>("scale");
    QTest::newRow("0..127") << 0 << 127 << QStringList{u"127"_s, u"63"_s, u"0"_s};
    QTest::newRow("-64..64") << -64 << 64 << QStringList{u"64"_s, u"0"_s, u"-64"_s};
    QTest::newRow("3..127") << 3 << 127 << QStringList{u"127"_s, u"65"_s, u"3"_s};
    QTest::newRow("1..7") << 1 << 7 << QStringList{u"7"_s, u"4"_s, u"1"_s};
}

void TestFrmSlider::scaleReadsTopToBottom()
{
    QFETCH(int, min);
    QFETCH(int, max);
    QFETCH(QStringList, scale);
    Opened o(min, min, max);
    auto labels = o.slider.findChildren<QLabel *>(QStringLiteral("Label1"));
    QCOMPARE(labels.size(), 3);
    std::sort(labels.begin(), labels.end(), [](QLabel *a, QLabel *b) { return a->y() < b->y(); });
    QStringList read;
    for (QLabel *l : labels) {
        read << l->text();
        // Each number stands left of the track, clear of it.
        QVERIFY(l->geometry().right() < o.track->x());
    }
    QCOMPARE(read, scale);
}

void TestFrmSlider::leftDragShowsTruncatedValue_data()
{
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::addColumn<double>("yTwips");
    QTest::addColumn<int>("expected");
    QTest::newRow("top end gives the maximum") << 0 << 127 << 0.0 << 127;
    QTest::newRow("bottom end gives the minimum") << 0 << 127 << 2925.0 << 0;
    // 127 - 127 * 1455 / 2925 = 63.83
    QTest::newRow("near the middle") << 0 << 127 << 1455.0 << 63;
    // 64 - 128 * 1545 / 2925 = -3.61
    QTest::newRow("negative part truncates up") << -64 << 64 << 1545.0 << -3;
    // 64 - 128 * 1380 / 2925 = 3.61
    QTest::newRow("positive part truncates down") << -64 << 64 << 1380.0 << 3;
    QTest::newRow("-64..64 bottom") << -64 << 64 << 2925.0 << -64;
    QTest::newRow("3..127 bottom") << 3 << 127 << 2925.0 << 3;
    // 7 - 6 * 2850 / 2925 = 1.15
    QTest::newRow("1..7 near the bottom") << 1 << 7 << 2850.0 << 1;
}

void TestFrmSlider::leftDragShowsTruncatedValue()
{
    QFETCH(int, min);
    QFETCH(int, max);
    QFETCH(double, yTwips);
    QFETCH(int, expected);
    Opened o(min, min, max);
    QTest::mousePress(o.track, Qt::LeftButton, {}, o.at(1000));
    QTest::mouseMove(o.track, o.at(yTwips));
    QTest::mouseRelease(o.track, Qt::LeftButton, {}, o.at(yTwips));
    QCOMPARE(o.shown(), expected);
    // The knob's centre follows the pointer.
    QVERIFY(qAbs(o.knobCentre() - (kTrackTopTwips + yTwips)) <= 2 * kTwip);
}

void TestFrmSlider::otherButtonsChangeNothing_data()
{
    QTest::addColumn<bool>("withLeft");
    QTest::newRow("right button") << false;
    QTest::newRow("left and right") << true;
}

void TestFrmSlider::otherButtonsChangeNothing()
{
    QFETCH(bool, withLeft);
    Opened o(100, 0, 127);
    const double knobBefore = o.knobCentre();
    if (withLeft)
        QTest::mousePress(o.track, Qt::LeftButton, {}, o.at(500));
    QTest::mousePress(o.track, Qt::RightButton, {}, o.at(500));
    QTest::mouseMove(o.track, o.at(2000));
    QTest::mouseMove(o.track, o.at(100));
    QTest::mouseRelease(o.track, Qt::RightButton, {}, o.at(100));
    if (withLeft)
        QTest::mouseRelease(o.track, Qt::LeftButton, {}, o.at(100));
    QCOMPARE(o.shown(), 100);
    QCOMPARE(o.knobCentre(), knobBefore);
}

void TestFrmSlider::leavingTheTrackFreezesTheValue()
{
    Opened o(0, 0, 127);
    QTest::mousePress(o.track, Qt::LeftButton, {}, o.at(1500));
    QTest::mouseMove(o.track, o.at(600)); // 127 - 127 * 600 / 2925 = 100.9
    QCOMPARE(o.shown(), 100);
    const double knob = o.knobCentre();
    QTest::mouseMove(o.track, QPoint(5, -3));
    QCOMPARE(o.shown(), 100);
    QTest::mouseMove(o.track, QPoint(5, o.track->height() + 4));
    QCOMPARE(o.shown(), 100);
    QCOMPARE(o.knobCentre(), knob);
    // Sideways moves still count: only the height matters.
    QTest::mouseMove(o.track, QPoint(-30, qRound(2925 / kTwip)));
    QCOMPARE(o.shown(), 0);
    QTest::mouseRelease(o.track, Qt::LeftButton, {}, QPoint(-30, 0));
}

void TestFrmSlider::pressAloneOnlyBordersTheKnob()
{
    Opened o(64, 0, 127);
    const double knob = o.knobCentre();
    const auto cornerIsBlack = [&] {
        return o.knob->grab().toImage().pixelColor(0, 0) == QColor(Qt::black);
    };
    QVERIFY(!cornerIsBlack());
    QTest::mousePress(o.track, Qt::LeftButton, {}, o.at(100));
    QVERIFY(cornerIsBlack());
    QCOMPARE(o.shown(), 64);
    QCOMPARE(o.knobCentre(), knob);
    QTest::mouseRelease(o.track, Qt::LeftButton, {}, o.at(100));
    QVERIFY(!cornerIsBlack());
}

void TestFrmSlider::knobStartsAtTheStartValue_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::newRow("100 in 0..127") << 100 << 0 << 127;
    QTest::newRow("max at the top") << 64 << -64 << 64;
    QTest::newRow("min at the bottom") << 1 << 1 << 7;
    QTest::newRow("beyond the top") << 200 << 0 << 127;
}

void TestFrmSlider::knobStartsAtTheStartValue()
{
    QFETCH(int, start);
    QFETCH(int, min);
    QFETCH(int, max);
    Opened o(start, min, max);
    const double expected = kTrackTopTwips + double(max - start) * kTrackHeightTwips / (max - min);
    QVERIFY2(qAbs(o.knobCentre() - expected) <= 2 * kTwip,
             qPrintable(QStringLiteral("knob at %1, expected %2").arg(o.knobCentre()).arg(expected)));
    QCOMPARE(o.shown(), start);
}

void TestFrmSlider::everyCloseReturnsTheShownValue_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("drag");
    QTest::addColumn<int>("expected");
    // Start 40 in 0..99; the drag goes to 99 - 99 * 1800 / 2925 = 38.08.
    QTest::newRow("X at once") << u"Label2"_s << false << 40;
    QTest::newRow("value at once") << u"Text1"_s << false << 40;
    QTest::newRow("X after a drag") << u"Label2"_s << true << 38;
    QTest::newRow("value after a drag") << u"Text1"_s << true << 38;
    QTest::newRow("Escape after a drag") << u"escape"_s << true << 38;
    QTest::newRow("window closed after a drag") << u"close"_s << true << 38;
}

void TestFrmSlider::everyCloseReturnsTheShownValue()
{
    QFETCH(QString, how);
    QFETCH(bool, drag);
    QFETCH(int, expected);
    MspModified = false;
    SliderValue = 40;
    FrmSlider slider;
    slider.MinValue = 0;
    slider.MaxValue = 99;
    bool ran = false;
    bool closed = false;
    QTimer::singleShot(0, &slider, [&] {
        ran = true;
        if (drag) {
            auto *track = slider.findChild<QWidget *>(QStringLiteral("Picture2"));
            const QPoint p(5, qRound(1800 / kTwip));
            QTest::mousePress(track, Qt::LeftButton, {}, p);
            QTest::mouseMove(track, p);
            QTest::mouseRelease(track, Qt::LeftButton, {}, p);
        }
        if (how == u"escape"_s)
            QTest::keyClick(&slider, Qt::Key_Escape);
        else if (how == u"close"_s)
            slider.close();
        else
            QTest::mouseClick(slider.findChild<QWidget *>(how), Qt::LeftButton);
        closed = !slider.isVisible();
        if (!closed)
            slider.close(); // never leave the test hanging in exec()
    });
    slider.exec();
    QVERIFY(ran);
    QVERIFY(closed);
    QCOMPARE(int(SliderValue), expected);
    QVERIFY(MspModified);
}

QTEST_MAIN(TestFrmSlider)
#include "test_frmslider.moc"
