// Adding WAV files as samples ("Add Wav Sample") and removing the selected sample.

#include "msp/msprecord.h"
#include "msp_editor/form1.h"
#include "msp_editor/shared.h"
#include "ui/scriptedplatform.h"

#include "testsupport.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using namespace tamo;
using msp::MspRecord;
using msp::SampleField;
using tamo::msp_editor::Form1;
using tamo::msp_editor::MspModified;

namespace {

const QString kLimitText = QStringLiteral("You can use only 64 Wav files in a Msp!");

constexpr SampleField kSampleFields[] = {
    SampleField::StartKey, SampleField::EndKey,  SampleField::Volume, SampleField::Dca,
    SampleField::CutOff,   SampleField::Dcf,     SampleField::PitchMode, SampleField::Fine,
    SampleField::Key,      SampleField::Attack,  SampleField::Sustain, SampleField::Decay,
    SampleField::Release,
};

// Everything a slot holds: its name, its fields and its reserved bytes.
QByteArray slotBytes(const MspRecord &record, int slot)
{
    QByteArray bytes = record.sampleName(slot);
    for (SampleField field : kSampleFields)
        bytes += char(record.sample(field, slot));
    for (int block = 0; block < msp::kSampleReservedBlocks; ++block)
        bytes += char(record.sampleReserved(block, slot));
    return bytes;
}

QStringList listed(const Form1 &form)
{
    QStringList lines;
    const auto *list = form.findChild<QListWidget *>(QStringLiteral("List1"));
    for (int i = 0; i < list->count(); ++i)
        lines << list->item(i)->text();
    return lines;
}

QString countText(const Form1 &form) { return form.findChild<QLabel *>(QStringLiteral("Label25"))->text(); }

void click(Form1 &form, const char *button)
{
    auto *b = form.findChild<QPushButton *>(QLatin1String(button));
    QVERIFY2(b, button);
    b->click();
}

bool touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    return test::writeAll(path, QByteArray("RIFF"));
}

QStringList presetNames(int count)
{
    QStringList names;
    for (int i = 1; i <= count; ++i)
        names << QStringLiteral("S%1").arg(i, 2, 10, QChar(u'0'));
    return names;
}

} // namespace

class TestForm1Import : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { MspModified = false; }

    void import_data()
    {
        QTest::addColumn<int>("preset");        // samples already in the document
        QTest::addColumn<QStringList>("files"); // files that exist
        QTest::addColumn<QString>("folder");    // where the dialog chose
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QStringList>("added"); // new List1 lines
        QTest::addColumn<bool>("limit");

        const QString wavs = QStringLiteral("WAVS");
        QTest::newRow("one file") << 0 << QStringList{QStringLiteral("WAVS/PIANO1.WAV")} << wavs
                                  << QStringList{QStringLiteral("PIANO1.WAV")}
                                  << QStringList{QStringLiteral("PIANO1  ")} << false;
        const QStringList five = {QStringLiteral("DRUMS.WAV"), QStringLiteral("A1.WAV"), QStringLiteral("E.wav"),
                                  QStringLiteral("CELLO.WAV"), QStringLiteral("BASS.WAV")};
        QStringList fiveFiles;
        for (const QString &name : five)
            fiveFiles << wavs + u'/' + name;
        QTest::newRow("five files, in the dialog's order")
            << 3 << fiveFiles << wavs << five
            << QStringList{QStringLiteral("DRUMS   "), QStringLiteral("A1      "), QStringLiteral("E       "),
                           QStringLiteral("CELLO   "), QStringLiteral("BASS    ")}
            << false;
        QTest::newRow("long name takes its short name")
            << 0 << QStringList{QStringLiteral("WAVS/Grand Piano.wav")} << wavs
            << QStringList{QStringLiteral("Grand Piano.wav")} << QStringList{QStringLiteral("GRANDP~1")} << false;
        QTest::newRow("folder name with a dot")
            << 0 << QStringList{QStringLiteral("my.samples/PIANO1.WAV")} << QStringLiteral("my.samples")
            << QStringList{QStringLiteral("PIANO1.WAV")} << QStringList{QStringLiteral("PIANO1  ")} << false;
        QTest::newRow("several in a folder with a dot")
            << 0 << QStringList{QStringLiteral("v1.2/A.WAV"), QStringLiteral("v1.2/B.WAV")} << QStringLiteral("v1.2")
            << QStringList{QStringLiteral("A.WAV"), QStringLiteral("B.WAV")}
            << QStringList{QStringLiteral("A       "), QStringLiteral("B       ")} << false;
        QTest::newRow("missing file and name without a dot are skipped")
            << 0
            << QStringList{QStringLiteral("WAVS/A.WAV"), QStringLiteral("WAVS/NODOT"), QStringLiteral("WAVS/B.WAV")}
            << wavs
            << QStringList{QStringLiteral("A.WAV"), QStringLiteral("GONE.WAV"), QStringLiteral("NODOT"),
                           QStringLiteral("B.WAV")}
            << QStringList{QStringLiteral("A       "), QStringLiteral("B       ")} << false;
        QTest::newRow("62 and 3 more")
            << 62 << QStringList{QStringLiteral("WAVS/X1.WAV"), QStringLiteral("WAVS/X2.WAV"), QStringLiteral("WAVS/X3.WAV")}
            << wavs << QStringList{QStringLiteral("X1.WAV"), QStringLiteral("X2.WAV"), QStringLiteral("X3.WAV")}
            << QStringList{QStringLiteral("X1      "), QStringLiteral("X2      ")} << true;
        QTest::newRow("64 and one more") << 64 << QStringList{QStringLiteral("WAVS/X1.WAV")} << wavs
                                         << QStringList{QStringLiteral("X1.WAV")} << QStringList{} << true;
    }

    void import()
    {
        QFETCH(int, preset);
        QFETCH(QStringList, files);
        QFETCH(QString, folder);
        QFETCH(QStringList, chosen);
        QFETCH(QStringList, added);
        QFETCH(bool, limit);
        QTemporaryDir dir;
        for (const QString &file : files)
            QVERIFY(touch(dir.filePath(file)));

        ui::ScriptedPlatform platform;
        Form1 form;
        MspRecord record = MspRecord::newDocument();
        const QStringList before = presetNames(preset);
        for (int i = 0; i < preset; ++i)
            record.setSampleName(i + 1, before.at(i).toLatin1());
        record.setGlobal(msp::GlobalField::SampleCount, quint8(preset));
        form.record() = record;
        form.RefreshMspView();
        platform.queueFiles(dir.filePath(folder), chosen);

        click(form, "Command9");

        QCOMPARE(platform.dialogs().size(), 1);
        const ui::FileDialogRequest &request = platform.dialogs().first();
        QCOMPARE(request.mode, ui::FileDialogRequest::Mode::Open);
        QCOMPARE(request.title, QStringLiteral("Selectionner un ou plusieurs fichier(s) WAV"));
        QCOMPARE(request.filter, QStringLiteral("Wav Files (*.WAV)|*.WAV"));
        QVERIFY(request.multiSelect);
        QCOMPARE(request.maxLength, 32000);
        QCOMPARE(request.initialFolder, ui::programFolder());

        const int count = preset + int(added.size());
        QCOMPARE(form.record().sampleCount(), count);
        QCOMPARE(countText(form), QStringLiteral("%1 SAMPLES").arg(count));
        QStringList expectedLines;
        for (const QString &name : before)
            expectedLines << name.leftJustified(8, u' ');
        QCOMPARE(listed(form), expectedLines + added);
        QCOMPARE(form.selectedSlot(), 0);
        // A new sample has the slot defaults; nothing else of the record changes.
        const MspRecord defaults = MspRecord::newDocument();
        for (int slot = preset + 1; slot <= count; ++slot) {
            QCOMPARE(slotBytes(form.record(), slot).mid(8), slotBytes(defaults, 1).mid(8));
            QCOMPARE(form.record().sampleName(slot), added.at(slot - preset - 1).toLatin1());
        }
        for (int slot = count + 1; slot <= msp::kMaxSamples; ++slot)
            QCOMPARE(slotBytes(form.record(), slot), slotBytes(defaults, slot));

        QCOMPARE(platform.messageTexts(), limit ? QStringList{kLimitText} : QStringList{});
        if (limit) {
            QCOMPARE(platform.messages().first().icon, ui::Icon::Exclamation);
            QCOMPARE(platform.messages().first().title, ui::kProgramTitle);
        }
        QVERIFY(MspModified);
        QCOMPARE(platform.busyDepth(), 0);
    }

    void cancelledImportChangesNothing()
    {
        ui::ScriptedPlatform platform;
        Form1 form;
        platform.queueCancel();
        click(form, "Command9");
        QCOMPARE(form.record(), MspRecord::newDocument());
        QVERIFY(!MspModified);
        QVERIFY(platform.messages().isEmpty());
        QCOMPARE(platform.busyDepth(), 0);
    }

    void removal_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("removed"); // 0: no line selected
        QTest::newRow("first of three") << 3 << 1;
        QTest::newRow("middle of three") << 3 << 2;
        QTest::newRow("last of three") << 3 << 3;
        QTest::newRow("slot 64 of 64") << 64 << 64;
        QTest::newRow("first of 64") << 64 << 1;
        QTest::newRow("no selection") << 3 << 0;
        QTest::newRow("empty list") << 0 << 0;
    }

    void removal()
    {
        QFETCH(int, count);
        QFETCH(int, removed);
        ui::ScriptedPlatform platform;
        Form1 form;
        // Every byte of every slot distinct enough to follow it, unused slots included.
        MspRecord record = MspRecord::newDocument();
        for (int slot = 1; slot <= msp::kMaxSamples; ++slot) {
            record.setSampleName(slot, QStringLiteral("N%1").arg(slot).toLatin1());
            int value = slot * 7;
            for (SampleField field : kSampleFields)
                record.setSample(field, slot, quint8(++value));
            for (int block = 0; block < msp::kSampleReservedBlocks; ++block)
                record.setSampleReserved(block, slot, quint8(++value));
        }
        record.setGlobal(msp::GlobalField::SampleCount, quint8(count));
        form.record() = record;
        form.RefreshMspView();
        form.selectSlot(removed);
        QCOMPARE(form.selectedSlot(), removed);

        click(form, "Command10");

        QVERIFY(MspModified);
        QVERIFY(platform.messages().isEmpty());
        if (removed == 0) {
            QCOMPARE(form.record(), record);
            return;
        }
        const MspRecord &after = form.record();
        QCOMPARE(after.sampleCount(), count - 1);
        QCOMPARE(countText(form), QStringLiteral("%1 SAMPLES").arg(count - 1));
        QCOMPARE(form.selectedSlot(), 0);
        for (int slot = 1; slot < removed; ++slot)
            QCOMPARE(slotBytes(after, slot), slotBytes(record, slot));
        for (int slot = removed; slot < msp::kMaxSamples; ++slot)
            QCOMPARE(slotBytes(after, slot), slotBytes(record, slot + 1));
        QCOMPARE(slotBytes(after, msp::kMaxSamples), slotBytes(MspRecord::newDocument(), 1));
        QCOMPARE(after.sampleName(msp::kMaxSamples), QByteArray(8, '\0'));
        QStringList expected;
        for (int slot = 1; slot < count; ++slot)
            expected << QString::fromLatin1(after.sampleName(slot));
        QCOMPARE(listed(form), expected);
    }
};

QTEST_MAIN(TestForm1Import)
#include "test_form1_import.moc"
