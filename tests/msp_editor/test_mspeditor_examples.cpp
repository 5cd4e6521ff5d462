// The example multisample in examples/: three sine tones and the MSP file that maps
// them over the keyboard. It must open as a working document.
//
// To make the files anew through the editor's own commands:
// TAMO_WRITE_EXAMPLES=1 ctest -R test_mspeditor_examples

#include "helper_editor.h"
#include "msp_editor/mspeditorwindow.h"
#include "msp_editor/editorstate.h"
#include "ui/scriptedplatform.h"

#include "testsupport.h"

#include <QDataStream>
#include <QtTest>

#include <cmath>
#include <numbers>

using namespace tamo;
using namespace Qt::StringLiterals;
using msp::SampleField;

namespace {

constexpr int kRate = 22050;
const QStringList kTones{u"SINEC3.WAV"_s, u"SINEE3.WAV"_s, u"SINEG3.WAV"_s};
// Per tone: KEY (60 is C3), START (one below the lowest key played) and END.
constexpr SampleField kFields[] = {SampleField::Key, SampleField::StartKey, SampleField::EndKey};
constexpr int kKeys[3][3] = {{60, 0, 62}, {64, 62, 65}, {67, 65, 127}};

// Half a second of a 16-bit mono sine with a short attack, a decay and a fade to silence.
QByteArray sineWav(int key)
{
    const int frames = kRate / 2;
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << qint32(36 + 2 * frames);
    out.writeRawData("WAVEfmt ", 8);
    out << qint32(16) << qint16(1) << qint16(1) << qint32(kRate) << qint32(2 * kRate) << qint16(2) << qint16(16);
    out.writeRawData("data", 4);
    out << qint32(2 * frames);
    const double frequency = 440.0 * std::pow(2.0, (key - 69) / 12.0);
    for (int i = 0; i < frames; ++i) {
        const double t = double(i) / kRate;
        const double envelope =
            std::exp(-3.0 * t) * std::min({1.0, double(i) / (kRate / 200), double(frames - 1 - i) / (kRate / 50)});
        out << qint16(std::lround(0.5 * 32767.0 * envelope * std::sin(2.0 * std::numbers::pi * frequency * t)));
    }
    return bytes;
}

} // namespace

class TestMspEditorExamples : public QObject {
    Q_OBJECT

    const QDir m_folder{tamo::test::examplePath()};

private Q_SLOTS:
    // Makes the files as a user would: Add Wav Sample with the three tones, their
    // keys set, then Save As.
    void initTestCase()
    {
        QVERIFY2(qEnvironmentVariableIsSet("TAMO_TEST_DATA"), "run through ctest");
        if (!qEnvironmentVariableIsSet("TAMO_WRITE_EXAMPLES"))
            return;
        QVERIFY(m_folder.mkpath(u"."_s));
        for (int i = 0; i < 3; ++i)
            QVERIFY(test::writeAll(m_folder.filePath(kTones.at(i)), sineWav(kKeys[i][0])));
        ui::ScriptedPlatform platform;
        msp_editor::MspEditorWindow form;
        platform.queueFiles(m_folder.path(), kTones);
        test::editor::run(form, u"Command9"_s);
        for (int slot = 1; slot <= 3; ++slot) {
            for (int i = 0; i < 3; ++i)
                form.record().setSample(kFields[i], slot, quint8(kKeys[slot - 1][i]));
        }
        platform.queueFile(m_folder.filePath(u"SINES.MSP"_s));
        test::editor::run(form, u"MnuSaveAs"_s);
        QVERIFY(!msp_editor::mspModified && platform.messages().isEmpty() && platform.unexpected() == 0);
    }

    void exampleOpensWithItsSamples()
    {
        ui::ScriptedPlatform platform;
        msp_editor::MspEditorWindow form;
        platform.queueFile(m_folder.filePath(u"SINES.MSP"_s));
        test::editor::run(form, u"MnuOuvrir"_s);
        QVERIFY(platform.messages().isEmpty());
        QCOMPARE(test::editor::listed(form), test::editor::split("SINEC3  |SINEE3  |SINEG3  "));
        for (int slot = 1; slot <= 3; ++slot) {
            form.selectSlot(slot);
            QCOMPARE(form.CurrentWavPath, m_folder.filePath(kTones.at(slot - 1)));
        }
    }
};

QTEST_MAIN(TestMspEditorExamples)
#include "test_mspeditor_examples.moc"
