// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/exportcommand.h"

#include "export/drumkit.h"
#include "export/keyboardexport.h"
#include "export/sampleloops.h"
#include "export/soundimport.h"
#include "msp/keymapping.h"
#include "msp/mspfile.h"
#include "msp/valueformats.h"
#include "sfz/sfzimport.h"
#include "util/paths.h"
#include "util/signals.h"
#include "wav/keyboardformat.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace tamo::exporter {

namespace {

using Set = ExportSet;

const QString kNotAKit = QStringLiteral("\n");

// A folder that is a drum kit (see drumKitOfFolder) as a set: empty when the set is
// ready, else the reason; kNotAKit for a folder of notes.
QString setFromKit(const QString &folder, const QFileInfoList &files, Set &set, QTextStream &out)
{
    QStringList paths, report;
    for (const QFileInfo &file : files)
        paths << file.absoluteFilePath();
    const std::optional<DrumKit> kit = drumKitOfFolder(folder, paths, report);
    for (const QString &line : std::as_const(report))
        out << line << Qt::endl;
    if (!kit)
        return kNotAKit;
    if (kit->pieces.isEmpty())
        return QStringLiteral("no sound in the drum kit %1").arg(folder);
    fillKitRecord(*kit, set.record, set.sources);
    set.mspFileName = mspNameForFolder(QDir(folder).absolutePath());
    return {};
}

// Empty when the set is ready, else the reason.
QString setFromFolder(const QString &folder, Set &set, QTextStream &out)
{
    const QDir dir(folder);
    const QFileInfoList files = dir.entryInfoList(
        {QStringLiteral("*.wav"), QStringLiteral("*.aif"), QStringLiteral("*.aiff"), QStringLiteral("*.flac"),
         QStringLiteral("*.ogg")},
        QDir::Files, QDir::Name | QDir::IgnoreCase);
    if (const QString kit = setFromKit(folder, files, set, out); kit != kNotAKit)
        return kit;
    if (files.isEmpty())
        return QStringLiteral("no sound files in %1").arg(folder);
    if (files.size() > msp::kMaxSamples)
        return QStringLiteral("%1 sound files in %2; an MSP holds at most %3")
            .arg(files.size())
            .arg(folder)
            .arg(msp::kMaxSamples);
    QStringList paths;
    for (const QFileInfo &file : files) {
        // One unreadable file (a text named .wav) does not hold back the others.
        if (const wav::FormatCheck check = wav::checkKeyboardFormat(file.absoluteFilePath()); !check.readable)
            out << QStringLiteral("%1: skipped: %2").arg(QDir::toNativeSeparators(file.absoluteFilePath()), check.reason) << Qt::endl;
        else
            paths << file.absoluteFilePath();
    }
    if (paths.isEmpty())
        return QStringLiteral("no readable sound files in %1").arg(folder);
    set.record = msp::MspRecord::newDocument();
    const AddResult added = addSoundFiles(set.record, paths);
    if (!added.skipped.isEmpty())
        return QStringLiteral("%1 cannot be named as a sample").arg(added.skipped.first());
    QStringList sources;
    for (const AddedSample &sample : added.added)
        sources << sample.path;
    // The roots found, checked against the sound.
    FolderRoots decided = rootsBySound(added.added);
    for (qsizetype i = 0; i < added.added.size(); ++i) {
        if (added.added.at(i).root.overruledName && decided.origins.value(i) == RootOrigin::SamplerChunk)
            out << sampleRootText(added.added.at(i)) << Qt::endl;
    }
    for (const QString &note : std::as_const(decided.notes))
        out << note << Qt::endl;
    const msp::SlotRoots &roots = decided.roots;
    if (std::none_of(roots.cbegin(), roots.cend(), [](const std::optional<int> &root) { return root.has_value(); })) {
        msp::mapOneKeyPerSound(set.record);
        out << kOneKeyPerSound << Qt::endl;
    } else {
        const QList<int> order = msp::mapKeys(set.record, roots);
        sources = msp::reorderedBySlot(sources, order);
        decided.fines = msp::reorderedBySlot(decided.fines, order);
        decided.origins = msp::reorderedBySlot(decided.origins, order);
        setFines(set.record, decided.fines);
    }
    for (const QString &source : std::as_const(sources))
        set.sources << source;
    set.origins = decided.origins;
    set.mspFileName = mspNameForFolder(dir.absolutePath());
    return {};
}

QString setFromMsp(const QString &path, Set &set)
{
    QString error;
    if (!msp::LoadMspFile(path, set.record, &error))
        return QStringLiteral("%1: %2").arg(path, error);
    if (!set.record.isValid())
        return QStringLiteral("%1 is not a valid MSP file").arg(path);
    // With the loops the editor keeps beside it for files not in the keyboard's format.
    const SampleLoops loops = readLoopsBeside(path);
    for (int slot = 1; slot <= set.record.usedSlotCount(); ++slot) {
        SlotSource source(soundFileBeside(path, set.record.sampleName(slot)));
        loops.value(loopKey(set.record.sampleName(slot))).applyTo(source);
        set.sources << source;
    }
    set.mspFileName = QFileInfo(path).fileName();
    return {};
}

bool isSfzFile(const QFileInfo &file)
{
    return file.isFile() && file.suffix().compare(u"sfz", Qt::CaseInsensitive) == 0;
}

// The import's report goes to report; nothing is written when the import fails.
QString setFromSfz(const QString &path, Set &set, QStringList &report, const ExportOptions &options)
{
    const sfz::SfzImport imported = sfz::importSfz(path, options.firstLayer ? sfz::Layers::First : sfz::Layers::Mix);
    if (!imported.ok())
        return imported.error.text();
    set.record = msp::MspRecord::newDocument();
    if (imported.samples.isEmpty() || !sfz::fillMspRecord(imported, set.record))
        return QStringLiteral("%1 has no region to export").arg(path);
    for (const sfz::ImportedSample &sample : imported.samples)
        set.sources << SlotSource(sample.sourcePath, sample.cut);
    set.files = imported.files;
    report = imported.report;
    set.mspFileName = mspNameFor(QFileInfo(path).completeBaseName());
    return {};
}

// Writes the set into folder (created when missing).
InstrumentExport exportSet(const Set &set, const QString &folder, const ExportOptions &options,
                           const std::atomic_bool *cancel)
{
    InstrumentExport done;
    // The folders made for the export, deepest first, go again if it writes nothing.
    QStringList created;
    if (QString why; !util::makeFolders(folder, &created, &why)) {
        done.fault = ExportFault::Folder;
        done.systemReason = why;
        done.error = QStringLiteral("cannot create the folder %1: %2").arg(folder, why);
        return done;
    }
    ExportRequest request;
    request.record = set.record;
    request.mspFileName = set.mspFileName;
    request.targetFolder = folder;
    request.sourceFor = [&](int slot) { return set.sources.value(slot - 1); };
    request.cancel = cancel;
    request.options = options;
    const ExportResult result = exportForKeyboard(request);
    if (result.status != ExportStatus::Done) {
        util::removeEmptyFolders(created);
        // The engine's messages are sentences; the command's line is not.
        QString reason = result.status == ExportStatus::Cancelled ? QStringLiteral("interrupted; nothing written") : result.message;
        if (reason.endsWith(u'.'))
            reason.chop(1);
        done.fault = result.status == ExportStatus::Cancelled ? ExportFault::Cancelled
                   : result.systemReason.isEmpty()            ? ExportFault::Input
                                                              : ExportFault::Write;
        done.systemReason = result.systemReason;
        done.error = reason;
        return done;
    }
    done.written = result.written;
    done.replaced = result.replaced;
    done.loops = result.loops;
    done.notes = result.notes;
    done.overlap = result.overlap;
    return done;
}

// The lines of a done export: notes, loops (into loops instead when given), files.
void printExport(const InstrumentExport &done, QTextStream &out, QStringList *loops)
{
    for (const QString &note : done.notes)
        out << note << Qt::endl;
    if (loops)
        *loops << done.loops;
    else
        for (const QString &line : done.loops)
            out << line << Qt::endl;
    for (const QString &path : done.written)
        out << QDir::toNativeSeparators(path) << Qt::endl;
    for (const QString &path : done.replaced)
        out << "Replaced: " << QDir::toNativeSeparators(path) << Qt::endl;
}

} // namespace

QString resolveExportSet(const QString &input, ExportSet &set, QTextStream &out, const ExportOptions &options)
{
    const QFileInfo in(input);
    if (!in.exists())
        return QStringLiteral("%1 not found").arg(input);
    if (in.isDir())
        return setFromFolder(input, set, out);
    if (!isSfzFile(in))
        return setFromMsp(input, set);
    QStringList report;
    const QString problem = setFromSfz(input, set, report, options);
    for (const QString &line : std::as_const(report))
        out << line << Qt::endl;
    return problem;
}

InstrumentExport exportSfzInstrument(const QString &sfzPath, const QString &folder, const ExportOptions &options,
                                     const std::atomic_bool *cancel)
{
    Set set;
    QStringList report;
    if (const QString problem = setFromSfz(sfzPath, set, report, options); !problem.isEmpty()) {
        InstrumentExport refused;
        refused.fault = ExportFault::Input;
        refused.error = problem;
        return refused;
    }
    InstrumentExport done = exportSet(set, folder, options, cancel);
    done.imported = true;
    done.report = report;
    done.sets = 1;
    done.samples = set.sources.size();
    return done;
}

int runExportCommand(const QString &input, const QString &folder, QTextStream &out, QTextStream &err,
                     const ExportOptions &options, QStringList *loops)
{
    const auto failWith = [&](const QString &reason) {
        err << "TAMO export: " << reason << Qt::endl;
        return 1;
    };
    const std::atomic_bool *cancel = util::cancelOnInterruption(); // Ctrl-C and kill stop it as Cancel does
    const QFileInfo in(input);
    if (in.exists() && !in.isDir() && isSfzFile(in)) {
        const InstrumentExport done = exportSfzInstrument(input, folder, options, cancel);
        for (const QString &line : done.report)
            out << line << Qt::endl;
        if (!done.ok())
            return failWith(done.error);
        printExport(done, out, loops);
        return 0;
    }
    Set set;
    const QString problem = resolveExportSet(input, set, out, options);
    if (!problem.isEmpty())
        return failWith(problem);
    if (set.record.usedSlotCount() == 0)
        out << "Warning: the set holds no sample; its instrument plays nothing." << Qt::endl;
    const InstrumentExport done = exportSet(set, folder, options, cancel);
    if (!done.ok())
        return failWith(done.error);
    printExport(done, out, loops);
    return 0;
}

} // namespace tamo::exporter
