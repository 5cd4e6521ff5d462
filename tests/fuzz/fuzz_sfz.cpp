// The SFZ reader and import: any text is either read or refused with a place, a
// trailing comment changes nothing, and whatever imports fits an MSP record.

#include "fuzzsupport.h"

#include "msp/valueformats.h"
#include "sfz/sfzimport.h"

using namespace tamo;
using namespace tamo::sfz;

static QString summary(const SfzDocument &document)
{
    QString text = document.error.text();
    for (const Region &region : document.regions) {
        text += QStringLiteral("\n<region>");
        for (const Opcode &opcode : region.opcodes)
            text += QStringLiteral(" %1=%2@%3").arg(opcode.name, opcode.value).arg(opcode.place.line);
    }
    return text;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes = fuzz::input(data, size);
    // Includes are covered by the tests; here they could reach any file of the machine.
    if (bytes.toByteArray().contains("#include"))
        return 0;
    fuzz::writeFile(QStringLiteral("a.wav"), {});
    const QString path = fuzz::scratchFolder().filePath(QStringLiteral("FUZZ.sfz"));
    const SfzDocument document = parseSfzText(bytes, path);
    FUZZ_CHECK(!document.error.isSet() || document.error.place.line >= 1);
    FUZZ_CHECK(summary(parseSfzText(bytes.toByteArray() + "\n// tail", path)) == summary(document));
    for (const Region &region : document.regions) {
        for (const Opcode &opcode : region.opcodes) {
            FUZZ_CHECK(!opcode.value.isEmpty() && !opcode.name.isEmpty());
            if (opcode.name == QStringLiteral("sample"))
                FUZZ_CHECK(!opcode.value.contains(QLatin1Char('\\')));
            if (opcode.name == QStringLiteral("lokey") || opcode.name == QStringLiteral("hikey")) {
                bool isNumber = false;
                (void)opcode.value.toInt(&isNumber);
                FUZZ_CHECK(isNumber);
            }
        }
    }

    const SfzImport import = importSfz(document);
    FUZZ_CHECK(import.ok() || (import.samples.isEmpty() && import.error.place.line >= 1));
    FUZZ_CHECK(import.samples.size() <= msp::kMaxSamples);
    msp::MspRecord record;
    FUZZ_CHECK(fillMspRecord(import, record) == import.ok());
    for (int slot = 1; slot <= import.samples.size(); ++slot) {
        const ImportedSample &sample = import.samples.at(slot - 1);
        FUZZ_CHECK(0 <= sample.lowKey && sample.lowKey <= sample.highKey && sample.highKey <= 127);
        FUZZ_CHECK(record.sample(msp::SampleField::StartKey, slot) == *msp::storedStartNote(sample.lowKey));
        FUZZ_CHECK(record.sample(msp::SampleField::EndKey, slot) == sample.highKey);
        FUZZ_CHECK(record.sampleName(slot) == sample.name);
    }
    return 0;
}
