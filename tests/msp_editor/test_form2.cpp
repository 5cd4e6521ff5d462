// The key picker driven with real mouse events at positions taken from its
// twip design: a 15050-twip keyboard 1215 twips high, white keys 200 wide,
// black keys 120 wide reaching down to two thirds of the height.
#include "msp_editor/form2.h"
#include "msp_editor/shared.h"
#include "ui/scriptedplatform.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

using namespace tamo::msp_editor;

namespace {

constexpr double kTwip = 15.0;
constexpr double kUpperBand = 300;  // a height among the black keys
constexpr double kLowerThird = 1000; // a height below them

struct Picker {
    Form2 form;
    QWidget *viewport = nullptr;
    QWidget *canvas = nullptr;
    QScrollBar *scroll = nullptr;

    explicit Picker(int note)
    {
        NoteValue = qint16(note);
        form.show();
        viewport = form.findChild<QWidget *>(QStringLiteral("Picture1"));
        canvas = form.findChild<QWidget *>(QStringLiteral("Picture2"));
        scroll = form.findChild<QScrollBar *>(QStringLiteral("HScroll1"));
    }

    // Scrolls until canvas position X (twips) is in view, as a user would, and
    // returns it as a point on the canvas.
    QPointF bringIntoView(double X, double Y)
    {
        const QPointF p(X / kTwip, Y / kTwip);
        if (!viewport->rect().contains(canvas->mapTo(viewport, p.toPoint())))
            scroll->setValue(qBound(0, int(X) - 4000, scroll->maximum()));
        return p;
    }
};

void press(QWidget *w, QPointF pos, Qt::MouseButton button)
{
    if (pos == pos.toPoint()) {
        QTest::mousePress(w, button, {}, pos.toPoint());
        QTest::mouseRelease(w, button, {}, pos.toPoint());
        return;
    }
    // Sub-pixel positions need a hand-made event.
    QMouseEvent me(QEvent::MouseButtonPress, pos, w->mapToGlobal(pos), button, button, Qt::NoModifier);
    QApplication::sendEvent(w, &me);
}

QColor pixelAt(const QImage &image, double X, double Y)
{
    return image.pixelColor(int(X / kTwip), int(Y / kTwip));
}

bool isRed(QColor c) { return c.red() > 180 && c.green() < 120 && c.blue() < 120; }

} // namespace

class TestForm2 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pickGivesTheKeyUnderThePointer_data();
    void pickGivesTheKeyUnderThePointer();
    void closingWithoutAPickChangesNothing_data();
    void closingWithoutAPickChangesNothing();
    void currentKeyIsDrawnBlue_data();
    void currentKeyIsDrawnBlue();
    void octaveLabelStandsAtItsC();
    void opensScrolledToTheStartAndScrolls();
    void doubleClickOnTheBareStripQuits_data();
    void doubleClickOnTheBareStripQuits();
};

void TestForm2::pickGivesTheKeyUnderThePointer_data()
{
    QTest::addColumn<double>("X");
    QTest::addColumn<double>("Y");
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("note");
    const int left = Qt::LeftButton;
    QTest::newRow("C3 lower third") << 7050.0 << kLowerThird << left << 60;
    QTest::newRow("7200 upper band is C#3") << 7200.0 << kUpperBand << left << 61;
    QTest::newRow("7200 lower third belongs to C3") << 7200.0 << kLowerThird << left << 60;
    QTest::newRow("7140 upper belongs to C3") << 7140.0 << kUpperBand << left << 60;
    QTest::newRow("7155 upper is C#3") << 7155.0 << kUpperBand << left << 61;
    QTest::newRow("two thirds down is still the upper band") << 7200.0 << 810.0 << left << 61;
    QTest::newRow("just below two thirds") << 7200.0 << 825.0 << left << 60;
    QTest::newRow("1399.6 rounds to the next C, octave 0") << 1399.6 << kUpperBand << left << 0;
    QTest::newRow("1399.6 lower third") << 1399.6 << kLowerThird << left << 0;
    QTest::newRow("beyond 15000 lower third") << 15015.0 << kLowerThird << left << 129;
    QTest::newRow("beyond 15000 upper band") << 15015.0 << kUpperBand << left << 128;
    QTest::newRow("B of octave 0 upper") << 1275.0 << kUpperBand << left << 11;
    QTest::newRow("G# of octave 4") << 5600.0 + 1000 << kUpperBand << left << 56;
    QTest::newRow("right button picks") << 7050.0 << kLowerThird << int(Qt::RightButton) << 60;
    QTest::newRow("middle button picks") << 7395.0 << kLowerThird << int(Qt::MiddleButton) << 62;
}

void TestForm2::pickGivesTheKeyUnderThePointer()
{
    QFETCH(double, X);
    QFETCH(double, Y);
    QFETCH(int, button);
    QFETCH(int, note);
    MspModified = false;
    Picker p(40);
    const QPointF at = p.bringIntoView(X, Y);
    QVERIFY(p.viewport->rect().contains(p.canvas->mapTo(p.viewport, at.toPoint())));
    press(p.canvas, at, Qt::MouseButton(button));
    QCOMPARE(int(NoteValue), note);
    QVERIFY(MspModified);
    QVERIFY(p.form.picked());
    QVERIFY(!p.form.isVisible());
    QCOMPARE(p.form.result(), int(QDialog::Accepted));
}

void TestForm2::closingWithoutAPickChangesNothing_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("Escape") << true;
    QTest::newRow("window closed") << false;
}

void TestForm2::closingWithoutAPickChangesNothing()
{
    QFETCH(bool, escape);
    MspModified = false;
    NoteValue = 72;
    Form2 form;
    QTimer::singleShot(0, &form, [&] {
        if (escape)
            QTest::keyClick(&form, Qt::Key_Escape);
        if (form.isVisible())
            form.close();
    });
    QCOMPARE(form.exec(), int(QDialog::Rejected));
    QCOMPARE(int(NoteValue), 72);
    QVERIFY(!MspModified);
    QVERIFY(!form.picked());
}

void TestForm2::currentKeyIsDrawnBlue_data()
{
    QTest::addColumn<int>("note");
    QTest::addColumn<QList<QPointF>>("blue");
    QTest::addColumn<QList<QPointF>>("notBlue");
    // White key C3 spans 7000..7200; its upper part ends at the C# black key (7140).
    QTest::newRow("60") << 60 << QList<QPointF>{{7100, kLowerThird}, {7050, kUpperBand}}
                        << QList<QPointF>{{7300, kLowerThird}, {7200, kUpperBand}, {6900, kLowerThird}};
    // Black key C#3 spans 7140..7260 down to 810.
    QTest::newRow("61") << 61 << QList<QPointF>{{7200, kUpperBand}, {7150, 700}}
                        << QList<QPointF>{{7100, kLowerThird}, {7300, kLowerThird}, {7200, kLowerThird}};
    // D3 (7200..7400) lies under the black keys C# and D#, which stay black.
    QTest::newRow("62") << 62 << QList<QPointF>{{7300, kUpperBand}, {7300, kLowerThird}}
                        << QList<QPointF>{{7220, kUpperBand}, {7380, kUpperBand}};
    // The black key 14940..15060 is cut off by the canvas edge at 15050.
    QTest::newRow("128") << 128 << QList<QPointF>{{14950, kUpperBand}, {15030, kUpperBand}}
                         << QList<QPointF>{{15030, kLowerThird}, {14900, kUpperBand}};
    QTest::newRow("negative marks nothing") << -1 << QList<QPointF>{}
                                            << QList<QPointF>{{7300, kUpperBand}, {7200, kUpperBand}};
}

void TestForm2::currentKeyIsDrawnBlue()
{
    QFETCH(int, note);
    QFETCH(QList<QPointF>, blue);
    QFETCH(QList<QPointF>, notBlue);
    Picker p(note);
    const QImage image = p.canvas->grab().toImage();
    QCOMPARE(image.width(), qRound(15050 / kTwip));
    const QColor b(0, 0, 255);
    for (const QPointF &pt : blue)
        QVERIFY2(pixelAt(image, pt.x(), pt.y()) == b, qPrintable(QString::number(pt.x())));
    for (const QPointF &pt : notBlue)
        QVERIFY2(pixelAt(image, pt.x(), pt.y()) != b, qPrintable(QString::number(pt.x())));
    if (note < 0) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                QVERIFY(image.pixelColor(x, y) != b);
    }
}

void TestForm2::octaveLabelStandsAtItsC()
{
    Picker p(0);
    const QImage image = p.canvas->grab().toImage();
    // Labels sit from four fifths of the height (972 twips) at each C's left edge.
    const auto redIn = [&](double fromX, double toX) {
        for (int x = int(fromX / kTwip); x < int(toX / kTwip); ++x)
            for (int y = int(972 / kTwip); y < image.height(); ++y)
                if (isRed(image.pixelColor(x, y)))
                    return true;
        return false;
    };
    QVERIFY(redIn(7000, 7400));   // C3
    QVERIFY(!redIn(6750, 6990));  // nothing just left of it
    QVERIFY(redIn(0, 400));       // C-2
    QVERIFY(redIn(14000, 14400)); // C8
    // Nothing red above the label row.
    for (int y = 0; y < int(960 / kTwip); ++y)
        for (int x = 0; x < image.width(); ++x)
            QVERIFY(!isRed(image.pixelColor(x, y)));
}

void TestForm2::opensScrolledToTheStartAndScrolls()
{
    Picker p(60);
    QCOMPARE(p.scroll->value(), 2500);
    // The whole keyboard can be scrolled into the viewport, and no further.
    const double viewportTwips = p.viewport->width() * kTwip;
    QVERIFY(qAbs(p.scroll->maximum() + viewportTwips - 15050) <= kTwip);
    QVERIFY(qAbs(p.canvas->x() * kTwip + 2500) <= kTwip);
    p.scroll->setValue(p.scroll->maximum());
    QVERIFY(qAbs(p.canvas->geometry().right() + 1 - p.viewport->width()) <= 1);
    p.scroll->setValue(0);
    QCOMPARE(p.canvas->x(), 0);
    // Showing again starts at 2500 again.
    p.form.hide();
    p.form.show();
    QCOMPARE(p.scroll->value(), 2500);
}

void TestForm2::doubleClickOnTheBareStripQuits_data()
{
    QTest::addColumn<bool>("onStrip");
    QTest::newRow("bare strip") << true;
    QTest::newRow("viewport") << false;
}

void TestForm2::doubleClickOnTheBareStripQuits()
{
    QFETCH(bool, onStrip);
    tamo::ui::ScriptedPlatform platform;
    MspModified = false;
    Picker p(60);
    // The strip is the 50 twips right of the 9760-twip viewport.
    const int stripX = int((9760 + 25) / kTwip);
    const QPoint at = onStrip ? QPoint(stripX, 40) : QPoint(stripX - 5, p.form.height() - 1);
    QVERIFY(onStrip == !p.viewport->geometry().contains(at));
    QTest::mouseDClick(onStrip ? static_cast<QWidget *>(&p.form) : p.viewport, Qt::LeftButton, {},
                       onStrip ? at : p.viewport->mapFrom(&p.form, at));
    QCOMPARE(platform.quitRequests(), onStrip ? 1 : 0);
    QCOMPARE(int(NoteValue), 60);
    QVERIFY(!MspModified);
}

QTEST_MAIN(TestForm2)
#include "test_form2.moc"
