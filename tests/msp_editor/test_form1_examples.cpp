// The example multisample in examples/: three sine tones and the MSP file that
// maps them over the keyboard. This test makes them afresh through the editor's own
// commands and checks that the committed files are what it makes and open as a
// working document.
//
// To write the files anew: TAMO_WRITE_EXAMPLES=1 ./test_form1_examples

#include "msp/msprecord.h"
#include "msp_editor/form1.h"
#include "msp_editor/shared.h"
#include "ui/scriptedplatform.h"

#include "testsupport.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <cmath>
#include <numbers>

using namespace tamo;
using msp::SampleField;
using tamo::msp_editor::Form1;
using tamo::msp_editor::MspModified;

namespace {

constexpr int kRate = 22050;
constexpr double kSeconds = 0.5;
constexpr qsizetype kHeaderSize = 44;

struct Tone {
    const char *file;
    int key;      // root note, 60 = C3
    int startKey; // stored START: one below the lowest note played
    int endKey;
};

// Each tone plays up to the note below the middle of it and the next one.
constexpr Tone kTones[] = {
    {"SINEC3.WAV", 60, 0, 62},
    {"SINEE3.WAV", 64, 62, 65},
    {"SINEG3.WAV", 67, 65, 127},
};
const QString kMspName = QStringLiteral("SINES.MSP");

void putLe16(QByteArray &bytes, qsizetype at, qint16 v) { qToLittleEndian(v, bytes.data() + at); }
void putLe32(QByteArray &bytes, qsizetype at, qint32 v) { qToLittleEndian(v, bytes.data() + at); }

// A canonical 16-bit mono PCM file of an equal-tempered sine with a short attack
// and a decaying tail that ends in silence.
QByteArray sineWav(int key)
{
    const double frequency = 440.0 * std::pow(2.0, (key - 69) / 12.0);
    const int frames = int(kRate * kSeconds);
    QByteArray bytes(kHeaderSize + 2 * frames, '\0');
    bytes.replace(0, 4, "RIFF");
    putLe32(bytes, 4, qint32(bytes.size() - 8));
    bytes.replace(8, 8, "WAVEfmt ");
    putLe32(bytes, 16, 16);
    putLe16(bytes, 20, 1);
    putLe16(bytes, 22, 1);
    putLe32(bytes, 24, kRate);
    putLe32(bytes, 28, kRate * 2);
    putLe16(bytes, 32, 2);
    putLe16(bytes, 34, 16);
    bytes.replace(36, 4, "data");
    putLe32(bytes, 40, qint32(2 * frames));
    const int attack = kRate / 200;
    const int fade = kRate / 50;
    for (int i = 0; i < frames; ++i) {
        const double t = double(i) / kRate;
        double envelope = std::exp(-3.0 * t);
        if (i < attack)
            envelope *= double(i) / attack;
        if (i >= frames - fade)
            envelope *= double(frames - 1 - i) / fade;
        const double value = 0.5 * 32767.0 * envelope * std::sin(2.0 * std::numbers::pi * frequency * t);
        putLe16(bytes, kHeaderSize + 2 * i, qint16(std::lround(value)));
    }
    return bytes;
}

// The example made the way a user would: Add Wav Sample with the three files,
// the key ranges set, then Save As.
bool makeExample(const QString &folder)
{
    QStringList names;
    for (const Tone &tone : kTones) {
        if (!test::writeAll(QDir(folder).filePath(QLatin1String(tone.file)), sineWav(tone.key)))
            return false;
        names << QLatin1String(tone.file);
    }
    ui::ScriptedPlatform platform;
    MspModified = false;
    Form1 form;
    platform.queueFiles(folder, names);
    form.findChild<QPushButton *>(QStringLiteral("Command9"))->click();
    for (int slot = 1; slot <= int(std::size(kTones)); ++slot) {
        const Tone &tone = kTones[slot - 1];
        form.record().setSample(SampleField::Key, slot, quint8(tone.key));
        form.record().setSample(SampleField::StartKey, slot, quint8(tone.startKey));
        form.record().setSample(SampleField::EndKey, slot, quint8(tone.endKey));
    }
    platform.queueFile(QDir(folder).filePath(kMspName));
    form.findChild<QAction *>(QStringLiteral("MnuSaveAs"))->trigger();
    return !MspModified && platform.messages().isEmpty() && platform.unexpected() == 0;
}

QString examplesFolder()
{
    return QDir::cleanPath(QDir(qEnvironmentVariable("TAMO_TEST_DATA")).absoluteFilePath(QStringLiteral("../../examples")));
}

QStringList exampleFiles()
{
    QStringList files{kMspName};
    for (const Tone &tone : kTones)
        files << QLatin1String(tone.file);
    return files;
}

} // namespace

class TestForm1Examples : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(qEnvironmentVariableIsSet("TAMO_TEST_DATA"), "run through ctest");
        if (qEnvironmentVariableIsSet("TAMO_WRITE_EXAMPLES")) {
            QVERIFY(QDir().mkpath(examplesFolder()));
            QVERIFY(makeExample(examplesFolder()));
        }
    }

    void committedFilesAreWhatTheEditorMakes()
    {
        QTemporaryDir made;
        QVERIFY(makeExample(made.path()));
        for (const QString &file : exampleFiles()) {
            const QByteArray expected = test::readAll(QDir(made.path()).filePath(file));
            const QByteArray committed = test::readAll(QDir(examplesFolder()).filePath(file));
            QVERIFY2(!committed.isEmpty(), qPrintable(file));
            QCOMPARE(committed.size(), expected.size());
            if (file == kMspName) {
                QCOMPARE(committed, expected);
                continue;
            }
            // The tone itself may differ by a rounding step where the maths library does.
            QCOMPARE(committed.left(kHeaderSize), expected.left(kHeaderSize));
            for (qsizetype at = kHeaderSize; at < committed.size(); at += 2) {
                const int a = qFromLittleEndian<qint16>(committed.constData() + at);
                const int b = qFromLittleEndian<qint16>(expected.constData() + at);
                QVERIFY2(std::abs(a - b) <= 1, qPrintable(file));
            }
        }
    }

    void exampleOpensWithPlayableSamples()
    {
        ui::ScriptedPlatform platform;
        MspModified = false;
        Form1 form;
        const QString msp = QDir(examplesFolder()).filePath(kMspName);
        platform.queueFile(msp);
        form.findChild<QAction *>(QStringLiteral("MnuOuvrir"))->trigger();
        QVERIFY(platform.messages().isEmpty());
        const auto *list = form.findChild<QListWidget *>(QStringLiteral("List1"));
        QCOMPARE(list->count(), int(std::size(kTones)));
        const QStringList keys{QStringLiteral("C3"), QStringLiteral("E3"), QStringLiteral("G3")};
        const QStringList starts{QStringLiteral("C#-2"), QStringLiteral("D#3"), QStringLiteral("F#3")};
        const QStringList ends{QStringLiteral("D3"), QStringLiteral("F3"), QStringLiteral("G8")};
        for (int slot = 1; slot <= list->count(); ++slot) {
            form.selectSlot(slot);
            QCOMPARE(form.findChild<QLineEdit *>(QStringLiteral("Text19"))->text(), keys.at(slot - 1));
            QCOMPARE(form.findChild<QLineEdit *>(QStringLiteral("Text15"))->text(), starts.at(slot - 1));
            QCOMPARE(form.findChild<QLineEdit *>(QStringLiteral("Text16"))->text(), ends.at(slot - 1));
            QCOMPARE(form.CurrentWavPath, QDir(examplesFolder()).filePath(QLatin1String(kTones[slot - 1].file)));
        }
    }
};

QTEST_MAIN(TestForm1Examples)
#include "test_form1_examples.moc"
