// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/keyboardexport.h"

#include "export/exportplan.h"
#include "export/soundimport.h"
#include "util/atomicfile.h"
#include "util/filecopy.h"
#include "util/workers.h"
#include "wav/keyboardformat.h"
#include "wav/soundfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSet>
#include <QStorageInfo>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

namespace tamo::exporter {

namespace {

// Copies go to the kernel in pieces this large, so progress and Cancel are seen.
constexpr qint64 kCopyPiece = qint64(32) << 20;

struct PlannedFile {
    QString finalName;
    QString source;  // empty for the MSP
    wav::SourceCut cut;
    qint64 size = 0; // source bytes
    bool copy = false;
};

class Export {
public:
    // request's record is the plan's, with the names it chose.
    Export(const ExportRequest &request, const ExportPlan &plan)
        : m_request(request), m_plan(plan), m_folder(request.targetFolder)
    {
    }

    ExportResult run()
    {
        // Cancel is honoured up to the moment the files take their names.
        if (!cancelled() && plan()) {
            AtomicFileSet::removeLeftovers(m_request.targetFolder);
            m_set = std::make_unique<AtomicFileSet>(m_request.targetFolder);
            if (stageAll() && !cancelled() && swapIn())
                m_result.status = ExportStatus::Done;
            m_set.reset(); // removes what was not placed
        }
        return m_result;
    }

private:
    bool fail(const QString &message)
    {
        m_result.status = ExportStatus::Failed;
        m_result.message = message;
        return false;
    }
    bool cancelled()
    {
        if (!m_request.cancel || !m_request.cancel->load())
            return false;
        m_result.status = ExportStatus::Cancelled;
        return true;
    }
    bool plan()
    {
        if (!QFileInfo(m_request.targetFolder).isDir())
            return fail(QCoreApplication::translate("KeyboardExport", "The folder %1 does not exist.").arg(m_request.targetFolder));
        const QString mspName = QFileInfo(m_request.mspFileName).fileName();
        if (mspName.isEmpty())
            return fail(QCoreApplication::translate("KeyboardExport", "The MSP file has no name."));
        if (!m_plan.error.isEmpty())
            return fail(m_plan.error);
        for (const PlannedWav &wav : m_plan.wavs) {
            if (wav.onStick)
                continue;
            PlannedFile file;
            file.finalName = wav.fileName;
            file.source = wav.source.path;
            file.cut = wav.source.cut;
            const wav::FormatCheck check = wav::checkKeyboardFormat(file.source);
            if (!check.readable)
                return fail(QStringLiteral("%1: %2.").arg(QDir::toNativeSeparators(file.source), check.reason));
            file.copy = check.ok && file.cut.isWhole();
            file.size = QFileInfo(file.source).size();
            m_total += file.size;
            m_files.append(file);
        }
        PlannedFile msp;
        msp.finalName = mspName;
        msp.size = msp::kMspRecordSize;
        m_total += msp.size;
        m_files.append(msp);
        return true;
    }

    // What staging one file came to; a message only when it failed.
    struct Staging {
        enum { Done, Stopped, Failed } outcome = Done;
        QString message;
        QString systemReason; // a write that failed: the system's reason
    };
    // Told the bytes of the file done so far; false asks the file to stop.
    using StagingStep = std::function<bool(qint64 done)>;

    static Staging failed(const QString &message) { return {Staging::Failed, message, {}}; }

    static Staging copyInto(AtomicFileWriter &out, const PlannedFile &file, const StagingStep &step)
    {
        QFile source(file.source);
        if (!source.open(QIODevice::ReadOnly))
            return failed(QCoreApplication::translate("KeyboardExport", "%1: unreadable: %2.").arg(QDir::toNativeSeparators(file.source), source.errorString()));
        const qint64 length = source.size();
        for (qint64 at = 0; at < length; at += kCopyPiece) {
            if (!out.appendFileRange(source.handle(), at, std::min(kCopyPiece, length - at)))
                return {Staging::Failed, QCoreApplication::translate("KeyboardExport", "Cannot write %1: %2.").arg(file.finalName, out.errorString()), out.errorString()};
            if (!step(std::min(at + kCopyPiece, length)))
                return {Staging::Stopped, {}, {}};
        }
        return {};
    }

    static Staging convertInto(AtomicFileWriter &out, const PlannedFile &file, const StagingStep &step)
    {
        const wav::ConvertResult r = wav::convertToKeyboardFormat(file.source, out, [&](double done) {
            return step(qint64(done * double(file.size)));
        }, file.cut);
        if (r.cancelled)
            return {Staging::Stopped, {}, {}};
        if (!r.ok)
            return out.failed() ? Staging{Staging::Failed, QCoreApplication::translate("KeyboardExport", "Cannot write %1: %2.").arg(file.finalName, out.errorString()), out.errorString()}
                                : failed(QStringLiteral("%1: %2.").arg(QDir::toNativeSeparators(file.source), r.error));
        return {};
    }

    Staging stage(AtomicFileWriter &out, const PlannedFile &file, const StagingStep &step) const
    {
        Staging staged = file.source.isEmpty() ? (out.write(m_request.record.bytes()) ? Staging{} : failed({}))
                       : file.copy             ? copyInto(out, file, step)
                                               : convertInto(out, file, step);
        // Flushed only: the set syncs all files at once.
        if (staged.outcome == Staging::Done && !out.commit())
            staged = failed({});
        if (staged.outcome == Staging::Failed && staged.message.isEmpty()) {
            staged.message = QCoreApplication::translate("KeyboardExport", "Cannot write %1: %2.").arg(file.finalName, out.errorString());
            staged.systemReason = out.errorString();
        }
        return staged;
    }

    // Every file is written to its staging file by a small pool of workers, one
    // file each at a time; this thread reports progress and sees Cancel meanwhile.
    bool stageAll()
    {
        std::vector<AtomicFileWriter *> writers;
        for (const PlannedFile &file : std::as_const(m_files)) {
            AtomicFileWriter &out = m_set->add(file.finalName);
            if (!out.open()) {
                m_result.systemReason = out.errorString();
                return fail(QCoreApplication::translate("KeyboardExport", "Cannot write %1: %2.").arg(file.finalName, out.errorString()));
            }
            writers.push_back(&out);
        }
        const std::size_t count = writers.size();
        std::vector<Staging> outcomes(count);
        std::vector<std::atomic<qint64>> done(count);
        std::atomic<std::size_t> next = 0;
        std::atomic_bool stop = false;
        std::mutex mutex;
        std::condition_variable changed;
        QStringList started; // names not reported yet, under mutex
        QString current;
        bool news = false;
        const auto tell = [&](const QString *name) {
            {
                const std::lock_guard lock(mutex);
                if (name)
                    started.append(*name);
                news = true;
            }
            changed.notify_one();
        };
        const auto work = [&] {
            while (!stop) {
                const std::size_t i = next++;
                if (i >= count)
                    break;
                const PlannedFile &file = m_files.at(qsizetype(i));
                tell(&file.finalName);
                outcomes[i] = stage(*writers[i], file, [&, i](qint64 bytes) {
                    done[i] = bytes;
                    tell(nullptr);
                    return !stop && !(m_request.cancel && m_request.cancel->load());
                });
                done[i] = file.size;
                if (outcomes[i].outcome != Staging::Done)
                    stop = true;
                tell(nullptr);
            }
        };
        // On the free threads of the one pool; with none free (a set of a bigger job), here.
        util::WorkerGroup workers;
        std::atomic<std::size_t> running = 0;
        const auto worker = [&] {
            work();
            --running;
            tell(nullptr);
        };
        for (std::size_t t = 0; t < count; ++t) {
            ++running;
            if (!workers.tryStart(worker)) {
                --running;
                break;
            }
        }
        if (running == 0) {
            ++running;
            worker();
        }
        for (;;) {
            QStringList names;
            {
                std::unique_lock lock(mutex);
                changed.wait(lock, [&] { return news; });
                news = false;
                names.swap(started);
            }
            qint64 sum = 0;
            for (const auto &bytes : done)
                sum += bytes;
            // Each file's name is told at least once, in the order the files start.
            if (!names.isEmpty())
                current = names.last();
            for (const QString &name : names.isEmpty() ? QStringList{current} : names)
                if (m_request.progress)
                    m_request.progress({.doneBytes = sum, .totalBytes = m_total, .fileName = name});
            if (cancelled())
                stop = true;
            if (running == 0)
                break;
        }
        workers.wait();
        for (std::size_t i = 0; i < count; ++i)
            if (outcomes[i].outcome == Staging::Failed) {
                m_result.systemReason = outcomes[i].systemReason;
                return fail(outcomes[i].message);
            }
        if (cancelled() || stop)
            return false;
        for (const PlannedFile &file : std::as_const(m_files))
            if (!file.source.isEmpty())
                ++(file.copy ? m_result.copied : m_result.converted);
        return true;
    }

    // One rename each: a file of the set is either the old one or the new one.
    bool swapIn()
    {
        const bool placed = m_set->commit([this](const QString &name) {
            if (m_request.progress)
                m_request.progress({.doneBytes = m_total, .totalBytes = m_total, .fileName = name, .placing = true});
        });
        if (!placed)
            return fail(m_set->errorString());
        for (const PlannedFile &file : std::as_const(m_files))
            m_result.written.append(m_folder.filePath(file.finalName));
        return true;
    }

    const ExportRequest &m_request;
    const ExportPlan &m_plan;
    QDir m_folder;
    QList<PlannedFile> m_files; // the WAVs in slot order, then the MSP
    std::unique_ptr<AtomicFileSet> m_set;
    qint64 m_total = 0;
    ExportResult m_result;
};

// At most what the set's files take: a keyboard-ready source its own size, any
// other 16-bit frames at 44.1 kHz and a header; the MSP record.
qint64 bytesNeeded(const ExportRequest &request)
{
    qint64 total = msp::kMspRecordSize;
    QSet<QString> seen;
    for (int slot = 1; slot <= request.record.usedSlotCount(); ++slot) {
        const QString path = request.sourceFor ? request.sourceFor(slot).path : QString();
        if (path.isEmpty() || seen.contains(path))
            continue;
        seen.insert(path);
        if (wav::checkKeyboardFormat(path).ok) {
            total += QFileInfo(path).size();
            continue;
        }
        const wav::SoundFile file(path);
        if (!file.isOpen()) // refused later, with its reason
            continue;
        const SF_INFO &info = file.info();
        const double frames = std::ceil(double(info.frames) * wav::kKeyboardRate / std::max(1, info.samplerate));
        total += qint64(frames) * std::max(1, info.channels) * 2 + 1024;
    }
    return total;
}

} // namespace

QString spaceShortage(const ExportRequest &request)
{
    const QStorageInfo storage(request.targetFolder);
    if (!storage.isValid())
        return {};
    const qint64 needed = bytesNeeded(request), free = storage.bytesAvailable();
    if (free < 0 || needed <= free)
        return {};
    const QLocale locale;
    return QCoreApplication::translate("KeyboardExport", "The export needs %1 in %2, but only %3 is free: nothing was written.")
        .arg(locale.formattedDataSize(needed, 1, QLocale::DataSizeSIFormat), QDir::toNativeSeparators(request.targetFolder),
             locale.formattedDataSize(free, 1, QLocale::DataSizeSIFormat));
}

namespace {

ExportResult exportInto(const ExportRequest &request, FolderSounds *sounds)
{
    // Checked before any sound is read or analysed: a full stick is told at once.
    if (QFileInfo(request.targetFolder).isDir()) {
        if (QString shortage = spaceShortage(request); !shortage.isEmpty()) {
            ExportResult refused;
            refused.message = std::move(shortage); // Failed
            return refused;
        }
    }
    const ExportPlan plan = planExport(request, sounds);
    ExportRequest planned = request;
    planned.record = plan.record;
    ExportResult result = Export(planned, plan).run();
    if (result.status == ExportStatus::Done) {
        result.replaced = plan.replaced;
        result.notes = plan.notes;
        result.overlap = plan.overlap;
        result.loops = plan.loops;
        if (sounds) {
            for (const PlannedWav &wav : plan.wavs) {
                if (!wav.onStick)
                    sounds->files.append({soundOf(wav.source), wav.fileName});
            }
        }
    }
    return result;
}

} // namespace

ExportResult exportForKeyboard(const ExportRequest &request) { return exportInto(request, nullptr); }

ExportResult exportSharingFolder(const ExportRequest &request, FolderSounds &sounds) { return exportInto(request, &sounds); }

} // namespace tamo::exporter
