#include "export/keyboardexport.h"

#include "export/exportplan.h"
#include "export/soundimport.h"
#include "util/atomicfile.h"
#include "util/filecopy.h"
#include "wav/keyboardformat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <memory>
#include <vector>

namespace tamo::exporter {

namespace {

// Copies go to the kernel in pieces this large, so progress and Cancel are seen.
constexpr qint64 kCopyPiece = qint64(32) << 20;

const QString kStagingPrefix = QStringLiteral(".tamo-export-");
const QString kReplacedPrefix = QStringLiteral(".tamo-replaced-");

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
        if (!plan() || !stageAll() || cancelled() || !swapIn()) {
            for (const QString &staged : std::as_const(m_staged))
                QFile::remove(staged);
            return m_result;
        }
        m_result.status = ExportStatus::Done;
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
    void report(const QString &fileName, qint64 done)
    {
        if (m_request.progress)
            m_request.progress({m_done + done, m_total, fileName});
    }

    bool plan()
    {
        if (!QFileInfo(m_request.targetFolder).isDir())
            return fail(QStringLiteral("The folder %1 does not exist.").arg(m_request.targetFolder));
        const QString mspName = QFileInfo(m_request.mspFileName).fileName();
        if (mspName.isEmpty())
            return fail(QStringLiteral("The MSP file has no name."));
        if (!m_plan.error.isEmpty())
            return fail(m_plan.error);
        for (const PlannedWav &wav : m_plan.wavs) {
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

    bool copyInto(AtomicFileWriter &out, const PlannedFile &file)
    {
        QFile source(file.source);
        if (!source.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("%1: unreadable: %2.").arg(QDir::toNativeSeparators(file.source), source.errorString()));
        const qint64 length = source.size();
        for (qint64 at = 0; at < length; at += kCopyPiece) {
            if (cancelled())
                return false;
            if (!out.appendFileRange(source.handle(), at, std::min(kCopyPiece, length - at)))
                return fail(QStringLiteral("Cannot write %1: %2.").arg(file.finalName, out.errorString()));
            report(file.finalName, std::min(at + kCopyPiece, length));
        }
        ++m_result.copied;
        return true;
    }

    bool convertInto(AtomicFileWriter &out, const PlannedFile &file)
    {
        const wav::ConvertResult r = wav::convertToKeyboardFormat(file.source, out, [&](double done) {
            report(file.finalName, qint64(done * double(file.size)));
            return !cancelled();
        }, file.cut);
        if (r.cancelled)
            return false;
        if (!r.ok)
            return fail(out.failed() ? QStringLiteral("Cannot write %1: %2.").arg(file.finalName, out.errorString())
                                     : QStringLiteral("%1: %2.").arg(QDir::toNativeSeparators(file.source), r.error));
        ++m_result.converted;
        return true;
    }

    // Every file is written before any is committed: a commit syncs its file to
    // the disk, and syncing them one after another while the next is written
    // would make the copy wait for the disk file by file.
    bool stageAll()
    {
        std::vector<std::unique_ptr<AtomicFileWriter>> writers; // an uncommitted writer removes its file
        for (const PlannedFile &file : std::as_const(m_files)) {
            if (cancelled())
                return false;
            report(file.finalName, 0);
            auto &out = *writers.emplace_back(
                std::make_unique<AtomicFileWriter>(m_folder.filePath(kStagingPrefix + file.finalName)));
            if (!out.open())
                return fail(QStringLiteral("Cannot write %1: %2.").arg(file.finalName, out.errorString()));
            const bool written = file.source.isEmpty()
                ? out.write(m_request.record.bytes()) || fail(QStringLiteral("Cannot write %1: %2.").arg(file.finalName, out.errorString()))
                : file.copy ? copyInto(out, file) : convertInto(out, file);
            if (!written)
                return false;
            m_done += file.size;
            report(file.finalName, 0);
        }
        // One batch for the whole set; each commit's own sync then finds little left to do.
        util::syncFileSystem(m_request.targetFolder);
        for (qsizetype i = 0; i < m_files.size(); ++i) {
            if (!writers.at(std::size_t(i))->commit())
                return fail(QStringLiteral("Cannot write %1: %2.").arg(m_files.at(i).finalName, writers.at(std::size_t(i))->errorString()));
            m_staged.append(m_folder.filePath(kStagingPrefix + m_files.at(i).finalName));
        }
        return true;
    }

    // Older files of the final names step aside first, so a failed rename can put
    // them back; they are removed once every new file is in place.
    bool swapIn()
    {
        QStringList placed, replaced;
        const auto undo = [&] {
            for (const QString &path : std::as_const(placed))
                QFile::remove(path);
            for (const QString &name : std::as_const(replaced))
                QFile::rename(m_folder.filePath(kReplacedPrefix + name), m_folder.filePath(name));
        };
        for (qsizetype i = 0; i < m_files.size(); ++i) {
            const QString name = m_files.at(i).finalName;
            const QString finalPath = m_folder.filePath(name);
            const QString aside = m_folder.filePath(kReplacedPrefix + name);
            if (QFileInfo::exists(finalPath) || QFileInfo(finalPath).isSymLink()) {
                QFile::remove(aside);
                if (!QFile::rename(finalPath, aside)) {
                    undo();
                    return fail(QStringLiteral("Cannot replace %1.").arg(name));
                }
                replaced.append(name);
            }
            if (!QFile::rename(m_staged.at(i), finalPath)) {
                undo();
                return fail(QStringLiteral("Cannot write %1.").arg(name));
            }
            placed.append(finalPath);
        }
        m_staged.clear();
        for (const QString &name : std::as_const(replaced))
            QFile::remove(m_folder.filePath(kReplacedPrefix + name));
        m_result.written = placed;
        return true;
    }

    const ExportRequest &m_request;
    const ExportPlan &m_plan;
    QDir m_folder;
    QList<PlannedFile> m_files; // the WAVs in slot order, then the MSP
    QStringList m_staged;
    qint64 m_total = 0, m_done = 0;
    ExportResult m_result;
};

} // namespace

ExportResult exportForKeyboard(const ExportRequest &request)
{
    const ExportPlan plan = planExport(request);
    ExportRequest planned = request;
    planned.record = plan.record;
    ExportResult result = Export(planned, plan).run();
    if (result.status == ExportStatus::Done) {
        result.replaced = plan.replaced;
        result.notes = plan.notes;
    }
    return result;
}

} // namespace tamo::exporter
