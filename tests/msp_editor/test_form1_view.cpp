// What the MSP editor window shows of its record, the WAV file found for a sample,
// and opening (and with Auto Play, playing) it on a mouse release over the list.

#include "msp/msprecord.h"
#include "msp_editor/form1.h"
#include "msp_editor/shared.h"
#include "ui/scriptedplatform.h"

#include "testsupport.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

using namespace tamo;
using msp::GlobalField;
using msp::MspRecord;
using msp::SampleField;
using tamo::msp_editor::Form1;
using tamo::msp_editor::MspModified;

Q_DECLARE_METATYPE(GlobalField)
Q_DECLARE_METATYPE(SampleField)

namespace {

QString shown(const Form1 &form, const QString &name)
{
    if (const auto *edit = form.findChild<QLineEdit *>(name))
        return edit->text();
    return form.findChild<QLabel *>(name)->text();
}

MspRecord twoSamples(const QByteArray &first = "PIANO1", const QByteArray &second = "PIANO2")
{
    MspRecord record = MspRecord::newDocument();
    record.setSampleName(1, first);
    record.setSampleName(2, second);
    record.setGlobal(GlobalField::SampleCount, 2);
    return record;
}

QStringList strings(std::initializer_list<const char *> texts)
{
    QStringList list;
    for (const char *text : texts)
        list << QString::fromUtf8(text);
    return list;
}

bool touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    return test::writeAll(path, QByteArray("RIFF"));
}

} // namespace

class TestForm1View : public QObject {
    Q_OBJECT

private:
    QString m_oldCurrent;

private Q_SLOTS:
    void initTestCase() { m_oldCurrent = QDir::currentPath(); }
    void init() { MspModified = false; }
    void cleanup() { QDir::setCurrent(m_oldCurrent); }

    void globalFields_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<GlobalField>("global");
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("text");
        QTest::newRow("REVERB halved, rounded down") << "Text21" << GlobalField::Reverb << 21 << "10";
        QTest::newRow("LEVEL") << "Text22" << GlobalField::Level << 127 << "63";
        QTest::newRow("OCTAVE -1") << "Text23" << GlobalField::Octave << 255 << "-1";
        QTest::newRow("ROTOR on") << "Text24" << GlobalField::Effect << 0x83 << "ON";
        QTest::newRow("first effect amount") << "Text25" << GlobalField::Overdrive << 9 << "4";
        QTest::newRow("DELAY") << "Text26" << GlobalField::Delay << 50 << "25";
        QTest::newRow("CHORUS") << "Text27" << GlobalField::Chorus << 3 << "1";
        QTest::newRow("FINE TUNE negative") << "Text37" << GlobalField::FineTune << 0 << "-64";
        QTest::newRow("EFFECTS without the rotor bit") << "Label33" << GlobalField::Effect << 0x87 << "DIST + DELAY";
    }

    void globalFields()
    {
        QFETCH(QString, field);
        QFETCH(GlobalField, global);
        QFETCH(int, stored);
        QFETCH(QString, text);
        ui::ScriptedPlatform platform;
        Form1 form;
        MspRecord record = twoSamples();
        record.setGlobal(global, quint8(stored));
        form.record() = record;
        form.RefreshMspView();
        QCOMPARE(shown(form, field), text);
        QVERIFY(platform.messages().isEmpty());
    }

    // The effect type decides which amount fields show, and under which caption.
    void effectAmounts_data()
    {
        QTest::addColumn<int>("effect");
        QTest::addColumn<QStringList>("captions"); // Label30..Label32, empty when hidden
        QTest::newRow("DIST + DELAY, rotor on") << 0x87 << strings({"DISTOR", "DELAY", ""});
        QTest::newRow("unnamed type") << 10 << strings({"", "", ""});
    }

    void effectAmounts()
    {
        QFETCH(int, effect);
        QFETCH(QStringList, captions);
        ui::ScriptedPlatform platform;
        Form1 form;
        // From a type with all three shown, so that hiding is seen as well.
        MspRecord record = twoSamples();
        record.setGlobal(GlobalField::Effect, 8);
        form.record() = record;
        form.RefreshMspView();
        record.setGlobal(GlobalField::Effect, quint8(effect));
        form.record() = record;
        form.RefreshMspView();
        for (int i = 0; i < 3; ++i) {
            auto *label = form.findChild<QLabel *>(QStringLiteral("Label%1").arg(30 + i));
            auto *field = form.findChild<QLineEdit *>(QStringLiteral("Text%1").arg(25 + i));
            const bool visible = !captions.at(i).isEmpty();
            QCOMPARE(label->isHidden(), !visible);
            QCOMPARE(field->isHidden(), !visible);
            if (visible) {
                QCOMPARE(label->text(), captions.at(i));
                QCOMPARE(field->accessibleName(), captions.at(i));
            }
        }
    }

    // Each sample field shows its own byte of the selected slot.
    void sampleFields_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<SampleField>("sample");
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("text");
        QTest::newRow("START one above") << "Text15" << SampleField::StartKey << 59 << "C3";
        QTest::newRow("END") << "Text16" << SampleField::EndKey << 100 << "E6";
        QTest::newRow("VOLUME") << "Text17" << SampleField::Volume << 100 << "100";
        QTest::newRow("PITCH") << "Text18" << SampleField::PitchMode << 1 << "FIXED";
        QTest::newRow("KEY") << "Text19" << SampleField::Key << 61 << "C#3";
        QTest::newRow("FINE") << "Text20" << SampleField::Fine << 42 << "16";
        QTest::newRow("ATTACK") << "Text28" << SampleField::Attack << 27 << "100";
        QTest::newRow("DECAY") << "Text29" << SampleField::Decay << 9 << "90";
        QTest::newRow("SUSTAIN") << "Text30" << SampleField::Sustain << 10 << "10";
        QTest::newRow("RELEASE") << "Text31" << SampleField::Release << 90 << "6";
        QTest::newRow("CUT OFF") << "Text32" << SampleField::CutOff << 3 << "3";
        QTest::newRow("DCA OFFS") << "Text33" << SampleField::Dca << 0x35 << "3";
        QTest::newRow("DCA SLOP") << "Text34" << SampleField::Dca << 0x35 << "5";
        QTest::newRow("DCF SLOP") << "Text35" << SampleField::Dcf << 0x62 << "2";
        QTest::newRow("DCF OFFS") << "Text36" << SampleField::Dcf << 0x62 << "6";
    }

    void sampleFields()
    {
        QFETCH(QString, field);
        QFETCH(SampleField, sample);
        QFETCH(int, stored);
        QFETCH(QString, text);
        ui::ScriptedPlatform platform;
        Form1 form;
        MspRecord record = twoSamples();
        record.setSample(sample, 2, quint8(stored));
        form.record() = record;
        form.RefreshMspView();
        QVERIFY(shown(form, field).isEmpty());
        form.selectSlot(2);
        QCOMPARE(form.selectedSlot(), 2);
        QCOMPARE(shown(form, field), text);
        form.selectSlot(1); // slot 1 keeps the defaults
        QVERIFY(shown(form, field) != text);
        form.RefreshMspView();
        QCOMPARE(form.selectedSlot(), 0);
        QVERIFY(shown(form, field).isEmpty());
    }

    // The WAV file of a list line: beside the MSP file, any case, short names too.
    void wavLookup_data()
    {
        QTest::addColumn<QString>("msp");      // relative to the test folder; empty: untitled
        QTest::addColumn<QStringList>("files"); // files that exist; a folder ends with "/"
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("found"); // what the lookup gives, with "<dir>/" for the test folder

        const QString msp = QStringLiteral("SETS/PIANO.MSP");
        QTest::newRow("beside the MSP file") << msp << strings({"SETS/PIANO1.wav"}) << "PIANO1  "
                                             << "<dir>/SETS/PIANO1.wav";
        QTest::newRow("upper-case extension") << msp << strings({"SETS/PIANO1.WAV"}) << "PIANO1  "
                                              << "<dir>/SETS/PIANO1.WAV";
        QTest::newRow("lower-case file") << msp << strings({"SETS/piano1.wav"}) << "PIANO1  "
                                         << "<dir>/SETS/piano1.wav";
        QTest::newRow("exact case first") << msp << strings({"SETS/PIANO1.wav", "SETS/piano1.WAV"})
                                          << "PIANO1  " << "<dir>/SETS/PIANO1.wav";
        QTest::newRow("spaces at both ends") << msp << strings({"SETS/PIANO1.wav"}) << " PIANO1 "
                                             << "<dir>/SETS/PIANO1.wav";
        QTest::newRow("short name finds the long file") << msp << strings({"SETS/Grand Piano.wav"})
                                                        << "GRANDP~1" << "<dir>/SETS/Grand Piano.wav";
        QTest::newRow("missing") << msp << QStringList() << "PIANO1  " << "";
        QTest::newRow("elsewhere only") << msp << strings({"PIANO1.wav"}) << "PIANO1  " << "";
        QTest::newRow("a folder of that name") << msp << strings({"SETS/PIANO1.wav/"}) << "PIANO1" << "";
        QTest::newRow("other extension") << msp << strings({"SETS/PIANO1.aif"}) << "PIANO1  " << "";
        QTest::newRow("name reaching out of the folder") << msp << strings({"PIANO1.wav"}) << "../PIANO1" << "";
        QTest::newRow("untitled: current folder") << "" << strings({"CWD/PIANO1.wav"}) << "PIANO1  "
                                                  << "PIANO1.wav";
    }

    void wavLookup()
    {
        QFETCH(QString, msp);
        QFETCH(QStringList, files);
        QFETCH(QString, line);
        QFETCH(QString, found);
        QTemporaryDir dir;
        for (const QString &file : files)
            QVERIFY(file.endsWith(u'/') ? QDir(dir.path()).mkpath(file) : touch(dir.filePath(file)));
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("CWD")));
        QVERIFY(QDir::setCurrent(dir.filePath(QStringLiteral("CWD"))));
        ui::ScriptedPlatform platform;
        Form1 form;
        form.CurrentMspPath = msp.isEmpty() ? QString() : dir.filePath(msp);
        found.replace(QStringLiteral("<dir>"), dir.path());
        QCOMPARE(form.wavFileFor(line), found);
    }

    // Selecting a sample points CurrentWavPath at its file, or leaves it alone.
    void selectionFindsWav()
    {
        QTemporaryDir dir;
        QVERIFY(touch(dir.filePath(QStringLiteral("PIANO1.WAV"))));
        ui::ScriptedPlatform platform;
        Form1 form;
        form.CurrentMspPath = dir.filePath(QStringLiteral("PIANO.MSP"));
        form.record() = twoSamples();
        form.RefreshMspView();
        form.CurrentWavPath = QStringLiteral("previous");
        form.selectSlot(2); // PIANO2: no file
        QCOMPARE(form.CurrentWavPath, QStringLiteral("previous"));
        form.selectSlot(1);
        QCOMPARE(form.CurrentWavPath, dir.filePath(QStringLiteral("PIANO1.WAV")));
    }

    // Releasing the mouse over the list opens the sample's WAV, and plays it with Auto Play.
    void mouseReleaseOpensWav_data()
    {
        QTest::addColumn<bool>("autoPlay");
        QTest::addColumn<bool>("exists");
        QTest::addColumn<bool>("keyboard");
        QTest::newRow("Auto Play off") << false << true << false;
        QTest::newRow("Auto Play on") << true << true << false;
        QTest::newRow("no file") << true << false << false;
        QTest::newRow("keyboard selection") << true << true << true;
    }

    void mouseReleaseOpensWav()
    {
        QFETCH(bool, autoPlay);
        QFETCH(bool, exists);
        QFETCH(bool, keyboard);
        QTemporaryDir dir;
        const QString wav = dir.filePath(QStringLiteral("PIANO2.wav"));
        if (exists)
            QVERIFY(touch(wav));
        ui::ScriptedPlatform platform;
        Form1 form;
        form.CurrentMspPath = dir.filePath(QStringLiteral("PIANO.MSP"));
        form.record() = twoSamples();
        form.record().setSample(SampleField::Volume, 2, 77);
        form.RefreshMspView();
        form.CurrentWavPath = QStringLiteral("previous");
        form.findChild<QCheckBox *>(QStringLiteral("Check1"))->setChecked(autoPlay);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QSignalSpy opened(&form, &Form1::wavOpened);
        QSignalSpy played(&form, &Form1::wavPlayed);
        auto *list = form.findChild<QListWidget *>(QStringLiteral("List1"));

        if (keyboard) {
            form.selectSlot(1);
            list->setFocus();
            QTest::keyClick(list, Qt::Key_Down);
        } else {
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
        }

        QCOMPARE(form.selectedSlot(), 2);
        QCOMPARE(shown(form, QStringLiteral("Text17")), QStringLiteral("77"));
        QCOMPARE(form.CurrentWavPath, exists ? wav : QStringLiteral("previous"));
        const bool opens = exists && !keyboard;
        QCOMPARE(opened.count(), opens ? 1 : 0);
        QCOMPARE(played.count(), opens && autoPlay ? 1 : 0);
        if (opens)
            QCOMPARE(opened.first().first().toString(), wav);
    }
};

QTEST_MAIN(TestForm1View)
#include "test_form1_view.moc"
