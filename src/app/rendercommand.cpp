// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/rendercommand.h"

#include "export/exportcommand.h"
#include "export/soundfontexport.h"
#include "export/soundimport.h"
#include "midi/midifile.h"
#include "msp/mspfile.h"
#include "voice/songrender.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cmath>
#include <memory>

namespace tamo::app {

namespace {

int fail(QTextStream &err, const QString &reason)
{
    err << "TAMO render: " << reason << '\n';
    err.flush();
    return 1;
}

} // namespace

int runRenderCommand(const QString &input, const QString &output, const RenderOptions &options, QTextStream &out,
                     QTextStream &err)
{
    if (options.bits != 16 && options.bits != 24)
        return fail(err, QStringLiteral("--bits is 16 or 24, not %1").arg(options.bits));
    midi::MidiSong song;
    if (!options.midiPath.isEmpty()) {
        song = midi::readMidiFile(options.midiPath);
        if (!song.ok())
            return fail(err, song.error);
    }
    // The set is played as the export writes it: exported first, then read back.
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return fail(err, scratch.errorString());
    const QString folder = scratch.filePath(QStringLiteral("set"));
    QString exportOut, exportErr;
    QTextStream exportOutStream(&exportOut), exportErrStream(&exportErr);
    int exported = 0;
    if (exporter::isSoundFontExportInput(input))
        exported = exporter::runSoundFontExport(input, folder, options.preset, false, exportOutStream, exportErrStream);
    else if (!options.preset.isEmpty())
        return fail(err, QStringLiteral("--preset goes with a SoundFont file"));
    else
        exported = exporter::runExportCommand(input, folder, exportOutStream, exportErrStream);
    exportErrStream.flush();
    if (exported != 0) {
        QString reason = exportErr.trimmed();
        reason.replace(QStringLiteral("TAMO export: "), QString());
        return fail(err, reason.isEmpty() ? QStringLiteral("the export failed") : reason);
    }
    QStringList sets;
    for (QDirIterator it(folder, {QStringLiteral("*.MSP"), QStringLiteral("*.msp")}, QDir::Files, QDirIterator::Subdirectories);
         it.hasNext();)
        sets << it.next();
    sets.sort();
    if (sets.isEmpty())
        return fail(err, QStringLiteral("%1 gives no set").arg(input));
    const QString mspPath = sets.first();
    if (sets.size() > 1)
        out << "playing " << QDir(folder).relativeFilePath(mspPath) << ", the first of " << sets.size()
            << " sets (choose one with --preset BANK:PROGRAM)\n";
    msp::MspRecord record;
    QString error;
    if (!msp::LoadMspFile(mspPath, record, &error))
        return fail(err, error);
    auto set = std::make_shared<voice::VoiceSet>(voice::loadVoiceSet(
        record, [&](int slot) { return exporter::soundFileBeside(mspPath, record.sampleName(slot)); }));
    for (const QString &problem : std::as_const(set->problems))
        out << "silent: " << problem << '\n';
    if (set->zones.empty())
        return fail(err, QStringLiteral("%1 has no sample that plays").arg(input));

    double seconds = 0;
    std::vector<midi::MidiEvent> phrase;
    if (options.midiPath.isEmpty()) {
        phrase = voice::testPhrase(*set, &seconds);
    } else {
        seconds = song.seconds;
        if (song.programChanges > 0)
            out << song.programChanges << " program changes ignored: the set plays every channel\n";
    }
    voice::Engine engine(set);
    const qint64 frames = std::llround((seconds + voice::tailSeconds(*set)) * engine.rate());
    error = voice::renderToWav(engine, options.midiPath.isEmpty() ? phrase : song.events, frames, output, options.bits);
    if (!error.isEmpty())
        return fail(err, QStringLiteral("%1: %2").arg(output, error));
    out << output << ": " << QString::number(double(frames) / engine.rate(), 'f', 1) << " s, " << options.bits
        << "-bit 44100 Hz stereo\n";
    out.flush();
    return 0;
}

} // namespace tamo::app
