// SPDX-License-Identifier: GPL-3.0-or-later
// The whole SoundFont export road, from a file to the folder the keyboard reads,
// seeded with a real bank (scripts/fuzz.sh): any bytes are exported or refused with
// a message; what is written is whole (every MSP's WAVs beside it, no staging file
// left), and a refusal leaves no folder behind.

#include "fuzzsupport.h"

#include "export/keyboardexport.h"
#include "export/soundfontexport.h"
#include "msp/mspfile.h"
#include "sf2/soundfont.h"

#include <QDirIterator>
#include <QTextStream>

using namespace tamo;
using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes = fuzz::input(data, size);
    // One preset a run, chosen by the input: a whole bank would take too long.
    const sf2::SoundFont font = sf2::readSoundFont(bytes);
    QString preset;
    if (font.ok() && !font.presets.isEmpty()) {
        const sf2::Preset &chosen = font.presets.at(qsizetype(size % size_t(font.presets.size())));
        preset = u"%1:%2"_s.arg(chosen.bank).arg(chosen.program);
    }
    const QString path = fuzz::writeFile(u"bank.sf2"_s, bytes);
    const QString out = fuzz::scratchFolder().filePath(u"out"_s);
    QString said;
    QTextStream text(&said);
    const int status = exporter::runSoundFontExport(path, out, preset, (size & 1) != 0, text, text);
    FUZZ_CHECK(status == 0 || (status == 1 && !said.isEmpty() && !QFileInfo::exists(out)));
    for (QDirIterator it(out, {u"*.MSP"_s, u".*"_s}, QDir::Files | QDir::Hidden); it.hasNext();) {
        msp::MspRecord record;
        FUZZ_CHECK(!it.next().startsWith(out + u"/."_s) && msp::LoadMspFile(it.filePath(), record, nullptr));
        for (int slot = 1; slot <= record.usedSlotCount(); ++slot)
            FUZZ_CHECK(QFileInfo(QDir(out).filePath(exporter::keyboardFileName(record.sampleName(slot)))).isFile());
    }
    QDir(out).removeRecursively();
    return 0;
}
