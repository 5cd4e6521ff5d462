#include "../wav/helper_wav.h"
#include "wav/wavtools.h"
#include "msp_editor/wavcanvas.h"
#include "msp_editor/wavpanel.h"
#include "ui/platform.h"
#include "ui/scriptedplatform.h"

#include "testsupport.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

using namespace tamo;
using namespace tamo::msp_editor;
using namespace tamo::test::wavgen;
using test::filesIn;
using test::readAll;
using test::writeAll;

class TestWavPanel : public QObject {
    Q_OBJECT
    QTemporaryDir m_home, m_dir;
    std::unique_ptr<QWidget> m_form;
    WavPanel *m_panel = nullptr;
    QString m_path; // the editor's CurrentWavPath

    QLineEdit *text(int n) { return m_form->findChild<QLineEdit *>(QStringLiteral("Text%1").arg(n)); }
    QLabel *label(int n) { return m_form->findChild<QLabel *>(QStringLiteral("Label%1").arg(n)); }
    void click(const char *name) { m_form->findChild<QPushButton *>(QLatin1String(name))->click(); }
    WaveCanvas *canvas() { return m_form->findChild<WaveCanvas *>(QStringLiteral("Picture2")); }
    QString wavPath() const { return m_dir.filePath(QStringLiteral("PIANO1.wav")); }
    void show(const QByteArray &file)
    {
        QVERIFY(writeAll(wavPath(), file));
        m_path = wavPath();
        m_panel->showWavInfo();
    }

private Q_SLOTS:
    void initTestCase()
    {
        // The tools' fixed files go to the documents folder of this home.
        qputenv("HOME", m_home.path().toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", QDir(m_home.path()).filePath(QStringLiteral(".config")).toLocal8Bit());
    }

    void init()
    {
        m_form = std::make_unique<QWidget>();
        m_form->resize(1016, 722);
        m_path.clear();
        m_panel = new WavPanel(m_form.get(), &m_path);
        m_form->show();
    }

    void cleanup() { m_form.reset(); }

    void showInfo_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("before"); // Label50|Text38
        QTest::addColumn<QString>("after");  // Label18|Text14
        const QByteArray list = chunk("LIST", QByteArray("INFOICMT\6\0\0\0hi\0you", 18));
        QTest::newRow("canonical") << wavFile(payload(100)) << u"0|"_qs << u"0|"_qs;
        QTest::newRow("LIST of 26") << wavFile(payload(100), {}, list) << u"26|LIST\x12°°°INFOICMT\x06°°°hi°you"_qs
                                    << u"0|"_qs;
        QTest::newRow("zeros and s") << wavFile(payload(8), QByteArray("\0s\0", 3)) << u"0|"_qs << u"3|°s°"_qs;
        QTest::newRow("no data") << wavFile(payload(8)).replace(36, 4, "DATA") << u"|"_qs << u"|"_qs;
        QTest::newRow("long trailer") << wavFile(payload(8), QByteArray(300000, 'x')) << u"0|"_qs
                                      << u"300000|"_qs + QString(wav::kWavTextLimit, u'x');
    }

    void showInfo()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, before);
        QFETCH(QString, after);
        show(file);
        const bool found = before != u"|";
        QCOMPARE(text(12)->text(), found ? QStringLiteral("data") : QString());
        QCOMPARE(label(16)->text(), found ? QString::number(file.size()) : QString());
        QCOMPARE(label(50)->text() + u'|' + text(38)->text(), before);
        QCOMPARE(label(18)->text() + u'|' + text(14)->text(), after);
        // Past the bound a visible note gives the full count.
        const QLabel *note = m_form->findChild<QLabel *>(QStringLiteral("Text14Note"));
        QCOMPARE(note->isVisible() && !note->text().isEmpty(), file.size() > 300000);
        QVERIFY(note->text().isEmpty() || note->text().contains(QStringLiteral("300000")));

        m_panel->clearWavInfo();
        QVERIFY(text(8)->text().isEmpty() && text(14)->text().isEmpty() && text(38)->text().isEmpty());
        QVERIFY(label(16)->text().isEmpty() && label(50)->text().isEmpty());
    }

    void readout()
    {
        show(wavFile(payload(8), QByteArray("\0s\xe9", 3)));
        QLineEdit *box = text(14);
        using Case = std::pair<int, QString>;
        for (const auto &[caret, caption] : {Case{0, u"Dec : 0"_qs}, Case{1, u"Dec : 115"_qs},
                                             Case{2, u"Dec : 233"_qs}, Case{3, QString()}}) {
            box->setCursorPosition(caret);
            QTest::keyRelease(box, Qt::Key_Shift);
            QCOMPARE(label(17)->text(), caption);
        }
        // A press moves the caret from the end first, then reads the character after it.
        QTest::mousePress(box, Qt::LeftButton, {}, QPoint(1, box->height() / 2));
        QCOMPARE(label(17)->text(), QStringLiteral("Dec : 0"));
    }

    void writeBack_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("field"); // Text<field> gets `typed`; 0: no edit
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message"); // a part of it; empty: none
        // Unedited: byte for byte, trailer bytes 0 and 176 (both shown as "°") included.
        const QByteArray trailer = payload(256);
        QVERIFY(trailer.contains('\0') && trailer.contains('\xb0'));
        QTest::newRow("LIST, trailer") << wavFile(payload(10), trailer, chunk("LIST", "INFOabcdef")) << 0 << QString()
                                       << QString();
        QTest::newRow("long trailer") << wavFile(payload(10), QByteArray(100000, '\0')) << 0 << QString() << QString();
        QTest::newRow("no data") << wavFile(payload(10)).replace(36, 4, "DATA") << 0 << QString() << QString();
        // Not a whole number, or too wide: a message naming the field, nothing written.
        QTest::newRow("not a number") << wavFile(payload(10)) << 5 << u"sixteen"_qs << u"Pcm=16"_qs;
        QTest::newRow("too wide") << wavFile(payload(10)) << 6 << u"70000"_qs << u"1=non compressé"_qs;
    }

    void writeBack()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, field);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        ui::ScriptedPlatform platform;
        show(file);
        if (field)
            text(field)->setText(typed);
        click("Command4"); // does nothing
        click("Command5");
        QVERIFY(readAll(wavPath()) == file);
        QCOMPARE(platform.messages().size(), message.isEmpty() ? 0 : 1);
        QVERIFY(message.isEmpty() || platform.messages().first().text.contains(message));
    }

    void drawing()
    {
        show(wavFile({})); // S = 0: the reference lines and the centre line only
        m_panel->drawWaveform();
        const QImage linesOnly = canvas()->grab().toImage();
        const int x = linesOnly.width() / 2, h = linesOnly.height();
        QVERIFY(canvas()->plot().points.isEmpty());
        QCOMPARE(linesOnly.pixelColor(x, h / 4), WaveCanvas::kReference);
        QCOMPARE(linesOnly.pixelColor(x, h / 2), QColor(Qt::black));

        show(wavFile(payload(10000)));
        m_panel->drawWaveform();
        QVERIFY(canvas()->grab().toImage() != linesOnly);
        text(13)->setText(QStringLiteral("1000")); // the size typed in Text13 limits the drawing
        m_panel->drawWaveform();
        QVERIFY(canvas()->plot().points.last().x() < canvas()->width() * 15 * 1000.0 / 10000 + 1);
        m_panel->clearWavInfo(); // not even the reference lines
        QVERIFY(!canvas()->plot().drawn);
        QVERIFY(canvas()->grab().toImage().pixelColor(x, h / 4) != WaveCanvas::kReference);
    }

    void zoomAndPan()
    {
        auto *zoom = m_form->findChild<QScrollBar *>(QStringLiteral("HScroll1"));
        auto *pan = m_form->findChild<QScrollBar *>(QStringLiteral("HScroll2"));
        const QWidget *viewport = m_form->findChild<QWidget *>(QStringLiteral("Picture1"));
        show(wavFile(payload(2000000)));
        m_panel->drawWaveform();
        const qsizetype pointsAtZoom0 = canvas()->plot().points.size();
        zoom->setValue(zoom->maximum());
        QCOMPARE(canvas()->width(), 20 * viewport->width());
        // Many more points, yet no more than the canvas is wide in twips.
        QVERIFY(canvas()->plot().points.size() > 10 * pointsAtZoom0);
        QVERIFY(canvas()->plot().points.size() <= canvas()->width() * 15 + 3);
        pan->setValue(pan->maximum());
        // The canvas's right end 50 twips inside the viewport's right edge.
        QVERIFY(qAbs(canvas()->x() + canvas()->width() - (viewport->width() - 50.0 / 15)) < 1);
    }

    void cleanUp_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("44 bytes") << wavFile({}) << u"Bad file size"_qs;
        QTest::newRow("no data") << wavFile(payload(20)).replace(36, 4, "DATA") << u"Data not found"_qs;
        QTest::newRow("size past end") << wavFile(payload(20)).replace(40, 4, le32(21)) << u"Wrong Data Size"_qs;
    }

    void cleanUp()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, message);
        ui::ScriptedPlatform platform;
        show(file);
        click("Command7");
        QCOMPARE(platform.messages(), QList<ui::MessageBox>{ui::MessageBox{message}});
        QVERIFY(!platform.busy());
        QCOMPARE(readAll(wavPath()), file);
        QCOMPARE(filesIn(m_dir.path()), QStringList{QStringLiteral("PIANO1.wav")});
    }

    void fixedFileTools()
    {
        ui::ScriptedPlatform platform;
        const QDir folder(QDir(m_home.path()).filePath(QStringLiteral("Documents/TAMO")));
        m_path = wavPath();
        click("Command1"); // "creer bruit": never over the selected sample
        QCOMPARE(readAll(folder.filePath(QStringLiteral("bruit.wav"))), wav::noiseWav());
        QCOMPARE(m_path, wavPath());
        click("Command3"); // "Ecrire une entete": a missing test file gets the header, and is selected
        QCOMPARE(m_path, folder.filePath(QStringLiteral("GRANDP00.wav")));
        QCOMPARE(readAll(m_path), wav::testHeader(0));

        // "Command8", in the program's folder: without its input both files end up empty.
        const QDir program(ui::programFolder());
        const QString in = program.filePath(QStringLiteral("ORIEN8ALL.wav"));
        const QString out = program.filePath(QStringLiteral("O.Wav"));
        QFile::remove(in);
        click("Command8");
        QVERIFY(QFileInfo::exists(in) && readAll(in).isEmpty() && QFileInfo::exists(out) && readAll(out).isEmpty());
        QCOMPARE(platform.messages(), QList<ui::MessageBox>{ui::MessageBox{QString()}});
        QFile::remove(in);
        QFile::remove(out);
    }
};

QTEST_MAIN(TestWavPanel)
#include "test_wavpanel.moc"
