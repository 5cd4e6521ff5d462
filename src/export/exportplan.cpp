// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/exportplan.h"

#include "export/soundimport.h"
#include "msp/keymapping.h"
#include "msp/mspfile.h"
#include "msp/valueformats.h"
#include "util/filestamp.h"
#include "util/shortname.h"
#include "util/workers.h"
#include "wav/keyboardformat.h"
#include "wav/levels.h"
#include "wav/rootnote.h"
#include "wav/sourceanalysis.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

namespace tamo::exporter {

namespace {

QString nativePath(const QString &path) { return QDir::toNativeSeparators(path); }

// The WAV names (upper case) each other MSP of the folder plays, by MSP file name.
QHash<QString, QString> namesOfOtherSets(const QDir &folder, const QString &ownMsp)
{
    QHash<QString, QString> owner;
    // Name filters ignore case unless told otherwise.
    const QStringList msps = folder.entryList({QStringLiteral("*.msp")}, QDir::Files, QDir::Name);
    for (const QString &msp : msps) {
        if (msp.compare(ownMsp, Qt::CaseInsensitive) == 0)
            continue;
        msp::MspRecord record;
        if (!msp::LoadMspFile(folder.filePath(msp), record, nullptr))
            continue; // what it names cannot be known
        for (int slot = 1; slot <= record.usedSlotCount(); ++slot) {
            const QString name = keyboardFileName(record.sampleName(slot)).toUpper();
            if (!name.isEmpty() && !owner.contains(name))
                owner.insert(name, msp);
        }
    }
    return owner;
}

QString noteText(int note) { return msp::NoteName(note).replace(u'#', u'S'); }

// What --find-loops says of one WAV, in frames of the written file.
QString loopLine(const wav::SourceAnalysis &analysis, const wav::SourceCut &cut)
{
    if (analysis.loop.found)
        return analysis.loop.resampled(double(wav::kKeyboardRate) / double(analysis.rate), cut.start).description();
    if (cut.loop == wav::SourceCut::Loop::Forward || (cut.loop == wav::SourceCut::Loop::Keep && analysis.hasOwnLoop))
        return QCoreApplication::translate("ExportPlan", "its own loop, kept");
    if (cut.loop == wav::SourceCut::Loop::None)
        return QCoreApplication::translate("ExportPlan", "no loop: a one-shot in its instrument");
    if (!cut.seekLoop)
        return QCoreApplication::translate("ExportPlan", "no loop: a drum of the kit");
    return analysis.loop.description();
}

// Changes each WAV's cut as the options ask; false, with plan.error, when a source
// cannot be read. A cut that already loops (an instrument's loop, the source's
// own) or is a one-shot by its instrument gets no other loop.
bool applyOptions(ExportPlan &plan, const ExportRequest &request)
{
    const ExportOptions &options = request.options;
    const auto cancelled = [&request] { return request.cancel && request.cancel->load(); };
    using Loop = wav::SourceCut::Loop;
    const std::size_t count = std::size_t(plan.wavs.size());
    std::vector<wav::SourceAnalysis> analyses(count);
    // The analysis takes time: its progress is told in source bytes, one call at a time.
    std::mutex telling;
    ExportProgress told;
    told.analysing = true;
    for (const PlannedWav &wav : std::as_const(plan.wavs))
        told.totalBytes += QFileInfo(wav.source.path).size();
    // Each source is read whole once; finding loops takes time, so on every core.
    util::forEachInParallel(count, [&](std::size_t i) {
        if (cancelled())
            return;
        const SlotSource &source = plan.wavs.at(qsizetype(i)).source;
        analyses[i] = wav::analyseSource(source.path, {.from = source.cut.start,
                                                       .to = source.cut.end,
                                                       .findLoop = options.findLoops && source.cut.loop == Loop::Keep && source.cut.seekLoop});
        if (request.progress) {
            const std::lock_guard lock(telling);
            told.doneBytes += QFileInfo(source.path).size();
            told.fileName = plan.wavs.at(qsizetype(i)).fileName;
            request.progress(told);
        }
    });
    if (cancelled()) // the export stops without a word of the sources left unread
        return false;

    std::vector<float> peaks;
    for (std::size_t i = 0; i < count; ++i) {
        PlannedWav &wav = plan.wavs[qsizetype(i)];
        const wav::SourceAnalysis &analysis = analyses[i];
        if (!analysis.ok) {
            plan.error = QCoreApplication::translate("ExportPlan", "%1: unreadable: %2.").arg(nativePath(wav.source.path), analysis.error);
            return false;
        }
        wav::SourceCut &cut = wav.source.cut;
        if (options.trimSilence && !analysis.sound.isSilent()) {
            qint64 from = analysis.sound.start, to = analysis.sound.end;
            if (cut.loop == Loop::Forward) { // an instrument's loop stays whole
                from = std::min(from, cut.loopStart);
                to = std::max(to, cut.loopEnd);
            } else if (cut.loop == Loop::Keep && analysis.hasOwnLoop) { // so does the source's own
                from = std::min(from, std::max(cut.start, analysis.ownLoopStart));
                to = std::max(to, analysis.ownLoopEnd);
            }
            cut.start = from;
            cut.end = to >= analysis.frames ? -1 : to;
        }
        if (const wav::FoundLoop &loop = analysis.loop; loop.found) {
            cut.loop = Loop::Forward;
            cut.loopStart = loop.start;
            cut.loopEnd = loop.end;
            cut.loopLength = loop.periods > 0 ? loop.periods * loop.period : double(loop.end - loop.start);
            cut.crossfade = loop.crossfade;
        }
        if (options.findLoops)
            plan.loops << QStringLiteral("%1: %2").arg(wav.fileName, loopLine(analysis, cut));
        peaks.push_back(analysis.peak * float(cut.gain));
    }
    if (const double gain = options.normalize ? wav::setGain(peaks) : 1.0; gain != 1.0)
        for (PlannedWav &wav : plan.wavs)
            wav.source.cut.gain *= gain;
    return true;
}

// Where slots overlap the keyboard sounds only the first on a key: say which keys
// and whose slots, so that no layer or stereo half is lost without a word.
QString overlapNote(const msp::MspRecord &record)
{
    const QList<int> coverage = msp::keyCoverage(record);
    QStringList ranges, names;
    for (int key = 0; key < coverage.size(); ++key) {
        if (coverage.at(key) < 2)
            continue;
        int last = key;
        while (last + 1 < coverage.size() && coverage.at(last + 1) > 1)
            ++last;
        ranges << (key == last ? msp::NoteName(key) : msp::NoteName(key) + u'-' + msp::NoteName(last));
        for (int slot = 1; slot <= record.usedSlotCount(); ++slot) {
            const QString name = sampleNameText(record.sampleName(slot));
            if (record.sample(msp::SampleField::StartKey, slot) < last && record.sample(msp::SampleField::EndKey, slot) >= key
                && !names.contains(name))
                names << name;
        }
        key = last;
    }
    if (ranges.isEmpty())
        return {};
    return QCoreApplication::translate("ExportPlan", "Keys %1 are played by more than one sample (%2): the keyboard sounds only the first on each key.")
        .arg(ranges.join(QStringLiteral(", ")), names.join(QStringLiteral(", ")));
}

} // namespace

SlotSource soundOf(SlotSource source)
{
    source.cut.rootKey = -1;
    source.cut.fineCents = 0;
    return source;
}

QString FolderSounds::fileOf(const SlotSource &source) const
{
    const SlotSource sound = soundOf(source);
    for (const auto &[written, name] : files) {
        if (written.cut == sound.cut && (written.path == sound.path || isSameFile(written.path, sound.path)))
            return name;
    }
    return {};
}

bool isSameFile(const QString &a, const QString &b)
{
    const util::FileStamp sa = util::fileStamp(a), sb = util::fileStamp(b);
    if (!sa.exists || !sb.exists)
        return false;
    if (sa.inode != 0 || sb.inode != 0)
        return sa.device == sb.device && sa.inode == sb.inode;
    // No file numbers here: the resolved paths, ignoring case as such systems do.
    return QFileInfo(a).canonicalFilePath().compare(QFileInfo(b).canonicalFilePath(), Qt::CaseInsensitive) == 0;
}

bool isMadeUpName(const QString &storedName, const QString &sourcePath)
{
    const QString own = QFileInfo(sourcePath).fileName().section(u'.', 0, 0);
    return storedName.contains(u'~') && own.compare(storedName, Qt::CaseInsensitive) != 0;
}

QString nameWithoutNote(const QString &baseName)
{
    static const QRegularExpression trailingNote(QStringLiteral("[ _.-]*[A-Ga-g](#|b|S)?-?[0-9]$"));
    return QString(baseName).remove(trailingNote);
}

QString readableSampleName(const QString &sourcePath, std::optional<int> root, qsizetype stemLength)
{
    // A note at the end of the name says what the root says.
    QString stem = QFileInfo(sourcePath).completeBaseName();
    if (root) {
        // Words that name notes ("D#21": a note and a layer) would contradict it.
        static const QRegularExpression separators(QStringLiteral("[ _.-]+"));
        static const QRegularExpression noteWord(QStringLiteral("^[A-Ga-g](#|b|S)?-?[0-9]+$"));
        QStringList words = nameWithoutNote(stem).split(separators, Qt::SkipEmptyParts);
        words.removeIf([](const QString &word) { return noteWord.match(word).hasMatch(); });
        stem = words.join(u' ');
    }
    if (util::shortNameCharacters(stem).remove(u'~').isEmpty())
        stem = QStringLiteral("SAMPLE");
    if (!root)
        return util::stickName(stem, msp::kSampleNameSize);
    const QString note = noteText(*root);
    const qsizetype room = std::min<qsizetype>(stemLength, msp::kSampleNameSize - 1 - note.size());
    return util::stickName(stem, std::max<qsizetype>(1, room)) + u'_' + note;
}

QStringList namesWithNotes(const QString &prefix, const QList<int> &keys, QSet<QString> taken)
{
    qsizetype room = msp::kSampleNameSize;
    for (const int key : keys)
        room = std::min<qsizetype>(room, msp::kSampleNameSize - 1 - noteText(key).size());
    const QString stem = util::stickName(prefix, std::max<qsizetype>(1, room));
    QStringList names;
    for (const int key : keys) {
        names << util::freeStickName(stem, u'_' + noteText(key), [&](const QString &name) { return !taken.contains(name.toUpper()); });
        taken.insert(names.last().toUpper());
    }
    return names;
}

ExportPlan planExport(const ExportRequest &request, const FolderSounds *sounds)
{
    ExportPlan plan;
    plan.record = request.record;
    const QDir folder(request.targetFolder);
    const QString mspName = QFileInfo(request.mspFileName).fileName();

    // Slots on one name share its file when they play the same sound.
    const auto sameSound = [](const SlotSource &a, const SlotSource &b) {
        return a.cut == b.cut && (a.path == b.path || isSameFile(a.path, b.path));
    };
    QHash<QString, qsizetype> wavOfName; // upper-case file name -> index in plan.wavs
    for (int slot = 1; slot <= request.record.usedSlotCount(); ++slot) {
        const QByteArray stored = request.record.sampleName(slot);
        const QString fileName = keyboardFileName(stored);
        if (fileName.isEmpty()) {
            plan.error = QStringLiteral("Sample %1 (\"%2\") has no name a file can carry.").arg(slot).arg(sampleNameText(stored));
            return plan;
        }
        const SlotSource source = request.sourceFor ? request.sourceFor(slot) : SlotSource();
        // A made-up name is replaced below: another sound on it gets a file of its own.
        QString key = fileName.toUpper();
        while (wavOfName.contains(key) && !sameSound(plan.wavs.at(wavOfName.value(key)).source, source)
               && isMadeUpName(fileName.chopped(4), source.path)
               && isMadeUpName(fileName.chopped(4), plan.wavs.at(wavOfName.value(key)).source.path))
            key += u'+';
        if (wavOfName.contains(key)) {
            PlannedWav &wav = plan.wavs[wavOfName.value(key)];
            if (!sameSound(wav.source, source)) {
                plan.error = QCoreApplication::translate("ExportPlan", "Two samples would be written as %1.").arg(fileName);
                return plan;
            }
            wav.slots << slot;
            continue;
        }
        if (source.path.isEmpty()) {
            plan.error = QStringLiteral("%1: no sound file found for sample \"%2\".").arg(fileName, sampleNameText(stored));
            return plan;
        }
        wavOfName.insert(key, plan.wavs.size());
        plan.wavs.append({fileName, source, {slot}});
    }

    // Names: those that fit stay; made-up ones become readable; none takes a
    // file that another set of the folder plays.
    const QHash<QString, QString> otherSets = namesOfOtherSets(folder, mspName);
    QList<std::optional<int>> roots(plan.wavs.size());
    QList<bool> madeUp(plan.wavs.size(), false);
    qsizetype stemLength = msp::kSampleNameSize;
    for (qsizetype i = 0; i < plan.wavs.size(); ++i) {
        const PlannedWav &wav = plan.wavs.at(i);
        madeUp[i] = isMadeUpName(wav.fileName.chopped(4), wav.source.path);
        if (!madeUp.at(i))
            continue;
        // The key the keyboard plays it at, for a sound that has a root at all.
        if (wav.source.cut.rootKey >= 0 || wav::detectRoot(wav.source.path).note)
            roots[i] = request.record.sample(msp::SampleField::Key, wav.slots.first());
        // One stem length for the set, so its names read alike (PNO_C2, PNO_FS2).
        if (roots.at(i))
            stemLength = std::min<qsizetype>(stemLength, msp::kSampleNameSize - 1 - noteText(*roots.at(i)).size());
    }
    QSet<QString> taken; // upper-case names without ".WAV"
    QList<bool> settled(plan.wavs.size(), false);
    QStringList ownerNotes(plan.wavs.size()); // told unless the sound is on the stick already
    for (qsizetype i = 0; i < plan.wavs.size(); ++i) {
        const QString name = plan.wavs.at(i).fileName.chopped(4).toUpper();
        settled[i] = !madeUp.at(i) && util::isStickName(name) && name == plan.wavs.at(i).fileName.chopped(4) && !otherSets.contains(plan.wavs.at(i).fileName.toUpper()) && !taken.contains(name);
        if (settled.at(i))
            taken.insert(name);
    }
    const auto isFree = [&](const QString &name) {
        return !taken.contains(name.toUpper()) && !otherSets.contains(name.toUpper() + QStringLiteral(".WAV"));
    };
    for (qsizetype i = 0; i < plan.wavs.size(); ++i) {
        if (settled.at(i))
            continue;
        PlannedWav &wav = plan.wavs[i];
        const QString wanted = madeUp.at(i) ? readableSampleName(wav.source.path, roots.at(i), stemLength)
                                            : util::stickName(wav.fileName.chopped(4));
        const qsizetype noteAt = madeUp.at(i) && roots.at(i) ? wanted.lastIndexOf(u'_') : wanted.size();
        const QString name = util::freeStickName(wanted.left(noteAt), wanted.mid(noteAt), isFree);
        taken.insert(name.toUpper());
        const QString owner = otherSets.value(wanted.toUpper() + QStringLiteral(".WAV"));
        if (!owner.isEmpty())
            ownerNotes[i] = QCoreApplication::translate("ExportPlan", "%1.WAV belongs to %2, which is left as it is: this set's sample is written as %3.WAV.")
                              .arg(wanted, owner, name);
        wav.fileName = name + QStringLiteral(".WAV");
        for (const int slot : std::as_const(wav.slots))
            plan.record.setSampleName(slot, name.toLatin1());
    }

    // Every slot names its WAV as the stick does.
    for (const PlannedWav &wav : std::as_const(plan.wavs))
        for (const int slot : wav.slots)
            plan.record.setSampleName(slot, wav.fileName.chopped(4).toLatin1());

    if (request.options.any() && !applyOptions(plan, request))
        return plan;
    // A sound already in the folder from an earlier set of the job is named there.
    if (sounds) {
        for (PlannedWav &wav : plan.wavs) {
            const QString written = sounds->fileOf(wav.source);
            if (written.isEmpty() || !QFileInfo::exists(folder.filePath(written)))
                continue;
            wav.onStick = true;
            for (QString &line : plan.loops) {
                if (line.startsWith(wav.fileName + u':'))
                    line.replace(0, wav.fileName.size(), written);
            }
            wav.fileName = written;
            for (const int slot : std::as_const(wav.slots))
                plan.record.setSampleName(slot, written.chopped(4).toLatin1());
        }
    }
    for (qsizetype i = 0; i < plan.wavs.size(); ++i) {
        if (!plan.wavs.at(i).onStick && !ownerNotes.at(i).isEmpty())
            plan.notes << ownerNotes.at(i);
    }
    if (const QString overlaps = overlapNote(plan.record); !overlaps.isEmpty()) {
        plan.notes << overlaps;
        plan.overlap = overlaps;
    }
    // A WAV written anew says in its sampler chunk the pitch its slot's KEY and FINE
    // express (FINE raises the sample: it sounds that much below KEY), whatever road it came by.
    for (PlannedWav &wav : plan.wavs) {
        wav::SourceCut &cut = wav.source.cut;
        if (wav.slots.isEmpty() || wav.onStick || (cut.isWhole() && wav::checkKeyboardFormat(wav.source.path).ok)) // copied as it is
            continue;
        cut.rootKey = plan.record.sample(msp::SampleField::Key, wav.slots.first());
        cut.fineCents = -msp::FineValue(plan.record.sample(msp::SampleField::Fine, wav.slots.first()));
    }

    // A target that is a source is written over only by its own unchanged bytes.
    QStringList overwritten;
    for (const PlannedWav &wav : std::as_const(plan.wavs)) {
        const QString target = folder.filePath(wav.fileName);
        if (wav.onStick || !QFileInfo::exists(target))
            continue;
        bool ownCopy = false, isSource = false;
        for (const PlannedWav &other : std::as_const(plan.wavs)) {
            if (!isSameFile(target, other.source.path))
                continue;
            isSource = true;
            ownCopy = &other == &wav && wav.source.cut.isWhole() && wav::checkKeyboardFormat(target).ok;
            break;
        }
        if (isSource && !ownCopy)
            overwritten << nativePath(target);
        else if (!isSource)
            plan.replaced << target;
    }
    if (!overwritten.isEmpty()) {
        plan.error = QStringLiteral("The export would write over its own source files: %1. "
                                    "Export into another folder.")
                         .arg(overwritten.join(QStringLiteral(", ")));
        return plan;
    }
    if (!mspName.isEmpty() && QFileInfo::exists(folder.filePath(mspName)))
        plan.replaced << folder.filePath(mspName);
    return plan;
}

} // namespace tamo::exporter
