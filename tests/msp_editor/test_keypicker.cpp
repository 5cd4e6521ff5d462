// The key picker driven with real mouse events at twip positions on its keyboard:
// 15050 twips wide and 1215 high, white keys 200 wide, black keys 120 wide reaching
// down to 810.
#include "msp_editor/keypicker.h"
#include "msp_editor/editorstate.h"
#include "ui/scriptedplatform.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>

using namespace tamo::msp_editor;
using namespace Qt::StringLiterals;
using Points = QList<QPointF>;

namespace {

constexpr double kTwip = 15.0;
constexpr double kUpper = 300;  // among the black keys
constexpr double kLower = 1005; // below them

} // namespace

class TestKeyPicker : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A press of any button picks the key under the pointer and closes the window.
    void pick_data()
    {
        QTest::addColumn<QPointF>("at"); // twips on the keyboard
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("note");
        const int left = int(Qt::LeftButton);
        QTest::newRow("7050 lower third") << QPointF(7050, kLower) << left << 60;
        QTest::newRow("7200 upper band") << QPointF(7200, kUpper) << left << 61;
        QTest::newRow("7200 lower third") << QPointF(7200, kLower) << left << 60;
        QTest::newRow("7140 upper: a boundary is the left key's") << QPointF(7140, kUpper) << left << 60;
        QTest::newRow("7200 at two thirds") << QPointF(7200, 810) << left << 61;
        QTest::newRow("7200 below two thirds") << QPointF(7200, 825) << left << 60;
        QTest::newRow("1399.6 rounds to the next C, octave 0") << QPointF(1399.6, kUpper) << left << 0;
        QTest::newRow("beyond 15000 lower third") << QPointF(15015, kLower) << left << 129;
        QTest::newRow("beyond 15000 upper band") << QPointF(15015, kUpper) << left << 128;
        QTest::newRow("right button") << QPointF(7050, kLower) << int(Qt::RightButton) << 60;
    }

    void pick()
    {
        QFETCH(QPointF, at);
        QFETCH(int, button);
        QFETCH(int, note);
        mspModified = false;
        noteValue = 40;
        KeyPicker form;
        form.show();
        auto *canvas = form.findChild<QWidget *>(u"Picture2"_s);
        auto *scroll = form.findChild<QScrollBar *>(u"HScroll1"_s);
        QCOMPARE(scroll->value(), 2500);
        scroll->setValue(qBound(0, int(at.x()) - 4000, scroll->maximum())); // the point in view, as a user would
        const QPointF pos = at / kTwip;
        if (pos.x() == qRound(pos.x())) {
            QTest::mousePress(canvas, Qt::MouseButton(button), {}, pos.toPoint());
        } else { // a sub-pixel position needs a hand-made event
            QMouseEvent press(QEvent::MouseButtonPress, pos, canvas->mapToGlobal(pos), Qt::MouseButton(button),
                              Qt::MouseButton(button), Qt::NoModifier);
            QApplication::sendEvent(canvas, &press);
        }
        QVERIFY(!form.isVisible());
        QCOMPARE(int(noteValue), note);
        QVERIFY(mspModified);
    }

    // The current key is drawn blue under the black keys; the C3 label stands at 7000.
    void drawing_data()
    {
        QTest::addColumn<int>("note");
        QTest::addColumn<Points>("blue");
        QTest::addColumn<Points>("notBlue");
        // Lower points at 900, above the labels.
        QTest::newRow("60") << 60 << Points{{7100, 900}, {7050, kUpper}}
                            << Points{{7300, 900}, {7200, kUpper}, {6900, 900}};
        QTest::newRow("61") << 61 << Points{{7200, kUpper}, {7150, 700}} << Points{{7100, 900}, {7200, 900}};
        QTest::newRow("62 under black keys") << 62 << Points{{7300, kUpper}, {7300, 900}}
                                             << Points{{7220, kUpper}, {7380, kUpper}};
        QTest::newRow("128 cut off at 15050") << 128 << Points{{14950, kUpper}, {15030, kUpper}} << Points{{15030, 900}};
        QTest::newRow("negative: none") << -1 << Points{} << Points{};
    }

    void drawing()
    {
        QFETCH(int, note);
        QFETCH(Points, blue);
        QFETCH(Points, notBlue);
        noteValue = qint16(note);
        KeyPicker form;
        form.show();
        const QImage image = form.findChild<QWidget *>(u"Picture2"_s)->grab().toImage();
        const auto colour = [&](QPointF p) { return image.pixelColor(int(p.x() / kTwip), int(p.y() / kTwip)); };
        const auto isBlue = [](QColor c) { return c == QColor(0, 0, 255); };
        const auto isRed = [](QColor c) { return c.red() > 180 && c.green() < 120 && c.blue() < 120; };
        // Pixels of a colour over the keyboard's height between two x positions.
        const auto count = [&](const auto &matches, double fromX, double toX) {
            int n = 0;
            for (int x = int(fromX / kTwip); x < int(toX / kTwip); ++x)
                for (int y = 0; y < image.height(); ++y)
                    n += matches(image.pixelColor(x, y)) ? 1 : 0;
            return n;
        };
        QCOMPARE(count(isBlue, 0, 15050) > 0, note >= 0);
        for (QPointF p : blue)
            QVERIFY2(isBlue(colour(p)), qPrintable(QString::number(p.x())));
        for (QPointF p : notBlue)
            QVERIFY2(!isBlue(colour(p)), qPrintable(QString::number(p.x())));
        QVERIFY(count(isRed, 7000, 7400) > 0 && count(isRed, 6750, 6990) == 0); // the label C3
    }

    // Only the bare strip right of the 9760-twip viewport quits, like the editor's Quit.
    void doubleClickOnTheBareStripQuits()
    {
        tamo::ui::ScriptedPlatform platform;
        KeyPicker form;
        form.show();
        auto *viewport = form.findChild<QWidget *>(u"Picture1"_s);
        QTest::mouseDClick(viewport, Qt::LeftButton, {}, QPoint(viewport->width() - 2, viewport->height() - 1));
        QCOMPARE(platform.quitRequests(), 0);
        QTest::mouseDClick(&form, Qt::LeftButton, {}, QPoint(int((9760 + 25) / kTwip), 40));
        QCOMPARE(platform.quitRequests(), 1);
    }
};

QTEST_MAIN(TestKeyPicker)
#include "test_keypicker.moc"
