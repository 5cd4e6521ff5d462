// SPDX-License-Identifier: GPL-3.0-or-later
// The SoundFont reader and a preset's import: any bytes are read or refused with a
// message; whatever is read points only inside itself, and a preset imports into
// at most 64 samples whose files lie in the import's own folder.

#include "fuzzsupport.h"

#include "export/soundfontexport.h"
#include "msp/msprecord.h"
#include "sf2/soundfont.h"

using namespace tamo;

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
    // Two presets at most: each import writes its samples as files.
    for (int p = 0; p < font.presets.size() && p < 2; ++p) {
        const exporter::PresetImport import = exporter::importPreset(font, p, p == 1);
        FUZZ_CHECK(import.ok() || import.sets.isEmpty());
        for (const exporter::PresetSet &set : import.sets) {
            FUZZ_CHECK(set.import.samples.size() <= msp::kMaxSamples);
            FUZZ_CHECK(set.mspFileName.size() <= 12);
            for (const sfz::ImportedSample &sample : set.import.samples)
                FUZZ_CHECK(QFileInfo(sample.sourcePath).absolutePath() == import.files->path()
                           && QFileInfo(sample.sourcePath).isFile());
        }
    }
    return 0;
}
