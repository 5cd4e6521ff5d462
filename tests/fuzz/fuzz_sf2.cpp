// SPDX-License-Identifier: GPL-3.0-or-later
// The SoundFont reader and the export road, seeded also with a real bank at run time
// (scripts/fuzz.sh): any bytes are read or refused with a message; whatever is read
// points only inside itself.

#include "fuzzsupport.h"

#include "export/soundimport.h"
#include "export/soundfontexport.h"
#include "msp/mspfile.h"
#include "msp/msprecord.h"
#include "sf2/soundfont.h"

#include <QDirIterator>
#include <QTextStream>

using namespace tamo;
using namespace Qt::StringLiterals;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = fuzz::input(data, size).toByteArray();
    const sf2::SoundFont font = sf2::readSoundFont(bytes);
    FUZZ_CHECK(font.ok() || (font.presets.isEmpty() && font.samples.isEmpty()));
    if (!font.ok())
        return 0;
    for (const sf2::Preset &preset : font.presets) {
        for (const sf2::Zone &zone : preset.zones)
            FUZZ_CHECK(zone.link < font.instruments.size());
    }
    for (const sf2::Instrument &instrument : font.instruments) {
        for (const sf2::Zone &zone : instrument.zones)
            FUZZ_CHECK(zone.link < font.samples.size());
    }
    for (qsizetype i = 0; i < font.samples.size() && i < 8; ++i) {
        const sf2::SampleHeader &header = font.samples.at(i);
        const sf2::SampleFrames frames = sf2::sampleFrames(font, int(i));
        FUZZ_CHECK(frames.error.isEmpty() || frames.frames.empty());
        if (!header.isRom() && !header.isCompressed())
            FUZZ_CHECK(frames.frames.size() == header.end - header.start);
    }
    // One preset a run down the whole export road, from a file to the folder the
    // keyboard reads: written whole (every MSP's WAVs beside it, no staging file left)
    // or refused with a message, leaving no folder.
    if (font.presets.isEmpty())
        return 0;
    const sf2::Preset &chosen = font.presets.at(qsizetype(size % size_t(font.presets.size())));
    const QString out = fuzz::scratchFolder().filePath(u"out"_s);
    QString said;
    QTextStream text(&said);
    const int status = exporter::runSoundFontExport(fuzz::writeFile(u"bank.sf2"_s, bytes), out, u"%1:%2"_s.arg(chosen.bank).arg(chosen.program),
                                                    (size & 1) != 0, text, text);
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
