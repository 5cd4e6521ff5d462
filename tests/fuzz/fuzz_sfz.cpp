// SPDX-License-Identifier: GPL-3.0-or-later
// The SFZ reader and import: any text is either read or refused with a place, a
// trailing comment changes nothing, and whatever imports fits an MSP record. The
// input is up to eight files split at NUL bytes: the first is read, the others are
// 1.sfz ... 7.sfz beside it, for its #includes.

#include "fuzzsupport.h"

#include "msp/valueformats.h"
#include "sfz/sfzimport.h"

#include <QRegularExpression>

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
    const QList<QByteArray> parts = fuzz::input(data, size).toByteArray().split('\0');
    const QByteArray bytes = parts.first();
    // Only plain names beside the text are followed: any other could reach any file
    // of the machine.
    static const QRegularExpression include(QStringLiteral("#include(?![ \\t]*\"\\w{1,16}\\.sfz\"[ \\t\\r]*(\\n|$))"));
    for (const QByteArray &part : parts) {
        if (include.match(QString::fromLatin1(part)).hasMatch())
            return 0;
    }
    fuzz::writeFile(QStringLiteral("a.wav"), {});
    for (int i = 1; i < 8; ++i)
        fuzz::writeFile(QStringLiteral("%1.sfz").arg(i), parts.value(i));
    const QString path = fuzz::scratchFolder().filePath(QStringLiteral("FUZZ.sfz"));
    const SfzDocument document = parseSfzText(bytes, path);
    FUZZ_CHECK(!document.error.isSet() || document.error.place.line >= 1);
    FUZZ_CHECK(document.regions.size() <= 20000);
    // Checked where it is quick, so inputs that reach the caps stay within the time limit.
    qsizetype opcodes = 0;
    for (const Region &region : document.regions)
        opcodes += region.opcodes.size();
    if (opcodes <= 20000)
        FUZZ_CHECK(summary(parseSfzText(bytes + "\n// tail", path)) == summary(document));
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
