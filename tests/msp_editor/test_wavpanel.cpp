#include "msp/wavtools.h"
#include "msp_editor/wavcanvas.h"
#include "msp_editor/wavpanel.h"
#include "ui/platform.h"
#include "ui/scriptedplatform.h"

#include "testsupport.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <cmath>

using namespace tamo;
using namespace tamo::msp_editor;
using test::filesIn;
using test::readAll;
using test::writeAll;

namespace {

QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray chunk(const char *id, const QByteArray &body)
{
    QByteArray c = QByteArray(id, 4) + le32(quint32(body.size())) + body;
    if (body.size() % 2)
        c.append('\0');
    return c;
}

const QByteArray kFmt = chunk("fmt ", QByteArray("\1\0\1\0\x44\xac\0\0\x88\x58\1\0\2\0\x10\0", 16));

// A 16-bit mono file: a 44-byte header (after any extra chunks), the samples, raw trailing bytes.
QByteArray wav(const QByteArray &data, const QByteArray &trailer = {}, const QByteArray &extra = {})
{
    const QByteArray chunks = kFmt + extra + QByteArray("data") + le32(quint32(data.size())) + data;
    return "RIFF" + le32(quint32(chunks.size() + 4)) + "WAVE" + chunks + trailer;
}

QByteArray sine(int samples)
{
    QByteArray d(2 * samples, '\0');
    for (int i = 0; i < samples; ++i)
        qToLittleEndian(qint16(30000 * std::sin(i / 20.0)), d.data() + 2 * i);
    return d;
}

} // namespace

class TestWavPanel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void captions();
    void showInfo_data();
    void showInfo();
    void longTrailerIsCut();
    void readout_data();
    void readout();
    void writeBackUnedited_data();
    void writeBackUnedited();
    void writeBackRefusesBadNumber();
    void writeBackReportsFailure();
    void drawing();
    void zoomAndPan();
    void cleanUpMessages_data();
    void cleanUpMessages();
    void cleanUpReplacesFile();
    void noiseAndTestHeader();
    void command8();

private:
    QLineEdit *text(int n) { return m_form->findChild<QLineEdit *>(QStringLiteral("Text%1").arg(n)); }
    QLabel *label(int n) { return m_form->findChild<QLabel *>(QStringLiteral("Label%1").arg(n)); }
    void click(const char *name) { m_form->findChild<QPushButton *>(QLatin1String(name))->click(); }
    QString show(const QByteArray &file);

    QTemporaryDir m_home;
    QTemporaryDir m_dir;
    QWidget *m_form = nullptr;
    WavPanel *m_panel = nullptr;
    QString m_path;
    QString m_wavPath;
};

void TestWavPanel::initTestCase()
{
    // The tools' fixed files go to the documents folder of this home.
    qputenv("HOME", m_home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", QDir(m_home.path()).filePath(QStringLiteral(".config")).toLocal8Bit());
    m_wavPath = m_dir.filePath(QStringLiteral("PIANO1.wav"));
}

void TestWavPanel::init()
{
    m_form = new QWidget;
    m_form->resize(1016, 722);
    m_path.clear();
    m_panel = new WavPanel(m_form, &m_path);
    m_form->show();
}

void TestWavPanel::cleanup()
{
    delete m_form;
    QFile::remove(m_wavPath);
}

QString TestWavPanel::show(const QByteArray &file)
{
    writeAll(m_wavPath, file);
    m_path = m_wavPath;
    m_panel->ShowWavInfo();
    return m_path;
}

void TestWavPanel::captions()
{
    QCOMPARE(label(47)->text(), QStringLiteral("Wavfile settings"));
    QCOMPARE(label(6)->text(), QStringLiteral("1=non compressé"));
    QCOMPARE(label(14)->text(), QStringLiteral("Données Après DATA"));
    QCOMPARE(label(17)->text(), QStringLiteral("Dec :"));
    // Design places are in twips of the form's client area.
    const QWidget *text38 = m_form->findChild<QWidget *>(QStringLiteral("Text38"));
    QCOMPARE(QRect(text38->mapTo(m_form, QPoint(0, 0)), text38->size()), QRect(552, 144, 449, 41));
    const QWidget *command1 = m_form->findChild<QWidget *>(QStringLiteral("Command1"));
    QCOMPARE(command1->mapTo(m_form, QPoint(0, 0)), QPoint(608, 672));
    QCOMPARE(m_form->findChild<QPushButton *>(QStringLiteral("Command8"))->text(), QStringLiteral("Command8"));
}

void TestWavPanel::showInfo_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("beforeText");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("afterText");

    const QByteArray list = chunk("LIST", QByteArray("INFOICMT\6\0\0\0hi\0you", 18));
    QTest::newRow("canonical") << wav(sine(50)) << u"data"_qs << u"0"_qs << QString() << u"0"_qs << QString();
    QTest::newRow("LIST of 26") << wav(sine(50), {}, list) << u"data"_qs << u"26"_qs
                                << QStringLiteral("LIST\x12°°°INFOICMT\x06°°°hi°you") << u"0"_qs << QString();
    QTest::newRow("zeros and s") << wav(sine(4), QByteArray("\0s\0", 3)) << u"data"_qs << u"0"_qs << QString()
                                 << u"3"_qs << u"°s°"_qs;
    QTest::newRow("no data") << wav(sine(4)).replace(36, 4, "DATA") << QString() << QString() << QString()
                             << QString() << QString();
}

void TestWavPanel::showInfo()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, tag);
    QFETCH(QString, before);
    QFETCH(QString, beforeText);
    QFETCH(QString, after);
    QFETCH(QString, afterText);
    show(file);
    QCOMPARE(text(1)->text(), QStringLiteral("RIFF"));
    QCOMPARE(text(7)->text(), QStringLiteral("1"));
    QCOMPARE(text(8)->text(), QStringLiteral("44100"));
    QCOMPARE(text(12)->text(), tag);
    QCOMPARE(label(50)->text(), before);
    QCOMPARE(text(38)->text(), beforeText);
    QCOMPARE(label(18)->text(), after);
    QCOMPARE(text(14)->text(), afterText);
    QCOMPARE(label(16)->text(), tag.isEmpty() ? QString() : QString::number(file.size()));

    m_panel->ClearWavInfo();
    for (int n : {1, 8, 12, 13, 14, 38})
        QVERIFY(text(n)->text().isEmpty());
    QVERIFY(label(16)->text().isEmpty() && label(50)->text().isEmpty());
}

void TestWavPanel::longTrailerIsCut()
{
    const QByteArray trailer(300000, 'x');
    show(wav(sine(8), trailer));
    QCOMPARE(label(18)->text(), QStringLiteral("300000"));
    QCOMPARE(text(14)->text(), QString(int(msp::kWavTextLimit), u'x'));
    const QLabel *note = m_form->findChild<QLabel *>(QStringLiteral("Text14Note"));
    QVERIFY(note->isVisible() && note->text().contains(QStringLiteral("300000")));
}

void TestWavPanel::readout_data()
{
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("caption");
    QTest::newRow("before a zero") << 0 << u"Dec : 0"_qs;
    QTest::newRow("before s") << 1 << u"Dec : 115"_qs;
    QTest::newRow("before é") << 3 << u"Dec : 233"_qs;
    QTest::newRow("at the end") << 4 << QString();
}

void TestWavPanel::readout()
{
    QFETCH(int, caret);
    QFETCH(QString, caption);
    show(wav(sine(4), QByteArray("\0s\0\xe9", 4)));
    QLineEdit *box = text(14);
    box->setCursorPosition(caret);
    QTest::keyRelease(box, Qt::Key_Shift);
    QCOMPARE(label(17)->text(), caption);

    // A press moves the caret first, then reads the character after it.
    box->setCursorPosition(int(box->text().size()));
    QTest::mousePress(box, Qt::LeftButton, {}, QPoint(1, box->height() / 2));
    QCOMPARE(box->cursorPosition(), 0);
    QCOMPARE(label(17)->text(), QStringLiteral("Dec : 0"));
}

void TestWavPanel::writeBackUnedited_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("canonical") << wav(sine(100));
    QTest::newRow("trailer of 0 and 176") << wav(sine(100), QByteArray("\0\xb0\0\xb0sx", 6));
    QTest::newRow("LIST chunk, trailer") << wav(sine(10), QByteArray("\0\0", 2), chunk("LIST", "INFOabcdef"));
    QTest::newRow("long trailer") << wav(sine(10), QByteArray(100000, '\0'));
    QByteArray every(256, '\0');
    for (int i = 0; i < 256; ++i)
        every[i] = char(i);
    QTest::newRow("every byte value") << wav(sine(10), every);
}

void TestWavPanel::writeBackUnedited()
{
    QFETCH(QByteArray, file);
    ui::ScriptedPlatform platform;
    show(file);
    click("Command4"); // does nothing
    click("Command5");
    QCOMPARE(readAll(m_wavPath), file);
    QVERIFY(platform.messages().isEmpty());
}

void TestWavPanel::writeBackRefusesBadNumber()
{
    ui::ScriptedPlatform platform;
    const QByteArray file = wav(sine(10));
    show(file);
    text(5)->setText(QStringLiteral("sixteen"));
    text(6)->setText(QStringLiteral("70000"));
    click("Command5");
    QCOMPARE(readAll(m_wavPath), file);
    QCOMPARE(platform.messages().size(), 1);
    QVERIFY2(platform.messages().first().text.contains(QStringLiteral("Pcm=16")), qPrintable(platform.messageTexts().first()));
    text(5)->setText(QStringLiteral("16"));
    click("Command5");
    QCOMPARE(platform.messages().size(), 2);
    QVERIFY(platform.messages().last().text.contains(QStringLiteral("1=non compressé")));
    QVERIFY(platform.messages().last().text.contains(QStringLiteral("32767")));
}

void TestWavPanel::writeBackReportsFailure()
{
    ui::ScriptedPlatform platform;
    show(wav(sine(10)));
    m_path = m_dir.filePath(QStringLiteral("no/such/folder.wav"));
    click("Command5");
    QCOMPARE(platform.messages().size(), 1);
    QCOMPARE(platform.messages().first().icon, ui::Icon::Exclamation);
}

void TestWavPanel::drawing()
{
    auto *canvas = m_form->findChild<WaveCanvas *>(QStringLiteral("Picture2"));
    auto navyPixels = [canvas] {
        const QImage img = canvas->grab().toImage();
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                n += img.pixelColor(x, y) == WaveCanvas::kForeground;
        return n;
    };
    auto rowColour = [canvas](double fraction) {
        const QImage img = canvas->grab().toImage();
        return img.pixelColor(img.width() / 2, int(img.height() * fraction));
    };

    show(wav(sine(5000)));
    m_panel->DrawWaveform();
    QVERIFY(navyPixels() > 500);
    QCOMPARE(rowColour(0.5), QColor(Qt::black));

    // Two bytes of data: one point, and the reference lines.
    show(wav(QByteArray("\0\0", 2)));
    m_panel->DrawWaveform();
    QCOMPARE(canvas->plot().points.size(), 1);
    QVERIFY(navyPixels() <= 1);
    QCOMPARE(rowColour(0.25), WaveCanvas::kReference);

    // A size typed into Text13 limits the drawing.
    show(wav(sine(5000)));
    text(13)->setText(QStringLiteral("1000"));
    m_panel->DrawWaveform();
    const double lastX = canvas->plot().points.last().x();
    QVERIFY(lastX < canvas->width() * 15 * 1000.0 / 10000 + 1);

    m_panel->ClearWavInfo();
    QVERIFY(!canvas->plot().drawn);
    QCOMPARE(navyPixels(), 0);
}

void TestWavPanel::zoomAndPan()
{
    auto *zoom = m_form->findChild<QScrollBar *>(QStringLiteral("HScroll1"));
    auto *pan = m_form->findChild<QScrollBar *>(QStringLiteral("HScroll2"));
    auto *viewport = m_form->findChild<QWidget *>(QStringLiteral("Picture1"));
    auto *canvas = m_form->findChild<WaveCanvas *>(QStringLiteral("Picture2"));
    show(wav(sine(200000)));
    m_panel->DrawWaveform();
    const qsizetype pointsAtZoom0 = canvas->plot().points.size();
    zoom->setValue(zoom->maximum());
    QCOMPARE(canvas->width(), 20 * viewport->width());
    QVERIFY(canvas->plot().points.size() > 10 * pointsAtZoom0);
    pan->setValue(pan->maximum());
    // The canvas's right end 50 twips inside the viewport's right edge.
    QVERIFY(qAbs(canvas->x() + canvas->width() - (viewport->width() - 50.0 / 15)) < 1);
    pan->setValue(0);
    QCOMPARE(canvas->x(), -3); // 50 twips, to the nearest pixel
}

void TestWavPanel::cleanUpMessages_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message");
    QTest::newRow("44 bytes") << wav({}) << u"Bad file size"_qs;
    QTest::newRow("no data") << wav(sine(10)).replace(36, 4, "DATA") << u"Data not found"_qs;
    QTest::newRow("size past end") << wav(sine(10)).replace(40, 4, le32(21)) << u"Wrong Data Size"_qs;
}

void TestWavPanel::cleanUpMessages()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, message);
    ui::ScriptedPlatform platform;
    show(file);
    click("Command7");
    QCOMPARE(platform.messages(), QList<ui::MessageBox>{ui::MessageBox{message}});
    QCOMPARE(readAll(m_wavPath), file);
    QCOMPARE(filesIn(m_dir.path()), QStringList{QStringLiteral("PIANO1.wav")});
    QVERIFY(!platform.busy());
}

void TestWavPanel::cleanUpReplacesFile()
{
    ui::ScriptedPlatform platform;
    show(wav(sine(500), QByteArray("trailing"), chunk("LIST", "INFOxx")));
    const QString shownSize = text(13)->text();
    click("Command7");
    QVERIFY(platform.messages().isEmpty());
    const QByteArray out = readAll(m_wavPath);
    QCOMPARE(out.size(), 44 + 1000 + 68);
    QCOMPARE(out.mid(44, 1000), sine(500));
    QCOMPARE(filesIn(m_dir.path()), QStringList{QStringLiteral("PIANO1.wav")});
    QCOMPARE(text(13)->text(), shownSize); // the panel is not refreshed
}

void TestWavPanel::noiseAndTestHeader()
{
    const QString folder = QDir(m_home.path()).filePath(QStringLiteral("Documents/TAMO"));
    QCOMPARE(WavPanel::noiseFilePath(), QDir(folder).filePath(QStringLiteral("bruit.wav")));
    m_path = m_wavPath;
    click("Command1");
    QCOMPARE(readAll(WavPanel::noiseFilePath()), msp::noiseWav());
    QCOMPARE(m_path, m_wavPath);

    const QString grand = QDir(folder).filePath(QStringLiteral("GRANDP00.wav"));
    QFile::remove(grand);
    click("Command3");
    QCOMPARE(m_path, grand);
    QCOMPARE(readAll(grand), msp::testHeader(0));
    m_panel->ShowWavInfo();
    QCOMPARE(text(13)->text(), QStringLiteral("0"));
}

void TestWavPanel::command8()
{
    ui::ScriptedPlatform platform;
    const QDir folder(ui::programFolder());
    const QString in = folder.filePath(QStringLiteral("ORIEN8ALL.wav"));
    const QString out = folder.filePath(QStringLiteral("O.Wav"));
    QByteArray input = wav(QByteArray(8 + 65536 + 8 + 100, 'p'));
    QVERIFY(writeAll(in, input));
    click("Command8");
    QCOMPARE(readAll(out).size(), 44 + 65536 + 100);
    QCOMPARE(platform.messages(), QList<ui::MessageBox>{ui::MessageBox{QString()}});
    QFile::remove(in);
    QFile::remove(out);
}

QTEST_MAIN(TestWavPanel)
#include "test_wavpanel.moc"
