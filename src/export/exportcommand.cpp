// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/exportcommand.h"

#include "export/keyboardexport.h"
#include "export/soundimport.h"
#include "msp/keymapping.h"
#include "msp/mspfile.h"
#include "msp/valueformats.h"
#include "sfz/sfzimport.h"
#include "util/signals.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace tamo::exporter {

namespace {

struct Set {
    msp::MspRecord record;
    QString mspFileName;
    QList<SlotSource> sources; // slot k at k - 1
};

// Empty when the set is ready, else the reason.
QString setFromFolder(const QString &folder, Set &set, QTextStream &out)
{
    const QDir dir(folder);
    const QFileInfoList files = dir.entryInfoList(
        {QStringLiteral("*.wav"), QStringLiteral("*.aif"), QStringLiteral("*.aiff"), QStringLiteral("*.flac"),
         QStringLiteral("*.ogg")},
        QDir::Files, QDir::Name | QDir::IgnoreCase);
    if (files.isEmpty())
        return QStringLiteral("no sound files in %1").arg(folder);
    if (files.size() > msp::kMaxSamples)
        return QStringLiteral("%1 sound files in %2; an MSP holds at most %3")
            .arg(files.size())
            .arg(folder)
            .arg(msp::kMaxSamples);
    QStringList paths;
    for (const QFileInfo &file : files)
        paths << file.absoluteFilePath();
    set.record = msp::MspRecord::newDocument();
    const AddResult added = addSoundFiles(set.record, paths);
    if (!added.skipped.isEmpty())
        return QStringLiteral("%1 cannot be named as a sample").arg(added.skipped.first());
    msp::SlotRoots roots;
    QList<int> fines;
    QStringList sources;
    for (const AddedSample &sample : added.added) {
        sources << sample.path;
        roots << sample.root.note;
        fines << sample.root.fine;
        if (sample.root.overruledName)
            out << sampleRootText(sample) << Qt::endl;
    }
    if (std::none_of(roots.cbegin(), roots.cend(), [](const std::optional<int> &root) { return root.has_value(); })) {
        msp::mapOneKeyPerSound(set.record);
        out << kOneKeyPerSound << Qt::endl;
    } else {
        const QList<int> order = msp::mapKeys(set.record, roots);
        sources = msp::reorderedBySlot(sources, order);
        fines = msp::reorderedBySlot(fines, order);
        for (qsizetype slot = 1; slot <= fines.size(); ++slot)
            set.record.setSample(msp::SampleField::Fine, int(slot), msp::storedValue(msp::ValueFormat::Fine, fines.at(slot - 1), 0).value_or(0));
    }
    for (const QString &source : std::as_const(sources))
        set.sources << source;
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
    for (int slot = 1; slot <= set.record.usedSlotCount(); ++slot)
        set.sources << soundFileBeside(path, set.record.sampleName(slot));
    set.mspFileName = QFileInfo(path).fileName();
    return {};
}

bool isSfzFile(const QFileInfo &file)
{
    return file.isFile() && file.suffix().compare(u"sfz", Qt::CaseInsensitive) == 0;
}

// The import's report goes to out; nothing is written when the import fails.
QString setFromSfz(const QString &path, Set &set, QTextStream &out)
{
    const sfz::SfzImport imported = sfz::importSfz(path);
    if (!imported.ok())
        return imported.error.text();
    set.record = msp::MspRecord::newDocument();
    if (imported.samples.isEmpty() || !sfz::fillMspRecord(imported, set.record))
        return QStringLiteral("%1 has no region to export").arg(path);
    for (const sfz::ImportedSample &sample : imported.samples)
        set.sources << SlotSource(sample.sourcePath, sample.cut);
    for (const QString &line : imported.report)
        out << line << Qt::endl;
    set.mspFileName = mspNameFor(QFileInfo(path).completeBaseName());
    return {};
}

} // namespace

int runExportCommand(const QString &input, const QString &folder, QTextStream &out, QTextStream &err,
                     const ExportOptions &options, QStringList *loops)
{
    const auto failWith = [&](const QString &reason) {
        err << "TAMO export: " << reason << Qt::endl;
        return 1;
    };
    const QFileInfo in(input);
    if (!in.exists())
        return failWith(QStringLiteral("%1 not found").arg(input));
    Set set;
    const QString problem = in.isDir()  ? setFromFolder(input, set, out)
                          : isSfzFile(in) ? setFromSfz(input, set, out)
                                          : setFromMsp(input, set);
    if (!problem.isEmpty())
        return failWith(problem);

    const bool created = !QFileInfo::exists(folder);
    if (created && !QDir().mkdir(folder))
        return failWith(QStringLiteral("cannot create the folder %1").arg(folder));
    ExportRequest request;
    request.record = set.record;
    request.mspFileName = set.mspFileName;
    request.targetFolder = folder;
    request.sourceFor = [&](int slot) { return set.sources.value(slot - 1); };
    request.cancel = util::cancelOnInterruption(); // Ctrl-C and kill stop it as Cancel does
    request.options = options;
    const ExportResult result = exportForKeyboard(request);
    if (result.status != ExportStatus::Done) {
        if (created)
            QDir().rmdir(folder);
        // The engine's messages are sentences; the command's line is not.
        QString reason = result.status == ExportStatus::Cancelled ? QStringLiteral("interrupted; nothing written") : result.message;
        if (reason.endsWith(u'.'))
            reason.chop(1);
        return failWith(reason);
    }
    for (const QString &note : result.notes)
        out << note << Qt::endl;
    if (loops)
        *loops << result.loops;
    else
        for (const QString &line : result.loops)
            out << line << Qt::endl;
    for (const QString &path : result.written)
        out << QDir::toNativeSeparators(path) << Qt::endl;
    for (const QString &path : result.replaced)
        out << "Replaced: " << QDir::toNativeSeparators(path) << Qt::endl;
    return 0;
}

} // namespace tamo::exporter
