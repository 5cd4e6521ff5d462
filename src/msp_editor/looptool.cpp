// SPDX-License-Identifier: GPL-3.0-or-later
#include "msp_editor/looptool.h"

#include "ui/platform.h"
#include "wav/keyboardformat.h"
#include "wav/sourceanalysis.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

namespace tamo::msp_editor {

void findLoopForSample(int slot, const QString &path, QWidget *parent,
                       const std::function<void(const QString &tool, const QString &path, const QByteArray &before)> &wrote,
                       const std::function<void(qint64 start, qint64 end, qint64 crossfade)> &proposed,
                       const std::function<void(const QString &tool, const SampleLoop &loop)> &keep, const SampleLoop &kept)
{
    const auto tell = [&](const QString &text, ui::Icon icon) {
        ui::message(text, ui::Buttons::Ok, icon, ui::kProgramTitle, parent);
    };
    if (slot == 0)
        return tell(QCoreApplication::translate("LoopTool", "Select a sample first."), ui::Icon::Exclamation);
    const QString shown = QDir::toNativeSeparators(path);
    // Another format would be converted as a whole: the export does that on its copies,
    // looped as the document keeps it.
    const wav::FormatCheck format = wav::checkKeyboardFormat(path);
    const bool inDocument = !format.ok && format.readable && keep;
    if (!format.ok && !inDocument)
        return tell(QCoreApplication::translate("LoopTool", "%1 is not in the keyboard's format (%2), so Find loop leaves it as it is. "
                                   "Export for the keyboard with Find loops ticked loops the exported copy.")
                        .arg(shown, format.reason),
                    ui::Icon::Exclamation);
    const wav::SourceAnalysis analysis = wav::analyseSource(path, {.findLoop = true});
    if (!analysis.ok)
        return tell(QCoreApplication::translate("LoopTool", "%1: unreadable: %2").arg(shown, analysis.error), ui::Icon::Exclamation);
    if (kept.kind == SampleLoop::Kind::Forward || (kept.kind == SampleLoop::Kind::Keep && analysis.hasOwnLoop))
        return tell(QCoreApplication::translate("LoopTool", "%1 has a loop already; it stays as it is.").arg(shown), ui::Icon::Information);
    const wav::FoundLoop &loop = analysis.loop;
    if (!loop.found)
        return tell(QCoreApplication::translate("LoopTool", "%1: %2.").arg(shown, loop.description()), ui::Icon::Information);
    if (proposed)
        proposed(loop.start, loop.end, loop.crossfade);
    // The proposal first: where the loop lies, how long it is, how much is blended.
    const QString proposal = (inDocument ? QCoreApplication::translate("LoopTool", "%1: %2 (%3 s long, %4 s crossfade). Keep this loop with the set? "
                                                                         "The file stays as it is; the export loops its copy.")
                                         : QCoreApplication::translate("LoopTool", "%1: %2 (%3 s long, %4 s crossfade). Write this loop into the file?"))
                                 .arg(shown, loop.description(), QString::number(double(loop.end - loop.start) / analysis.rate, 'f', 3),
                                      QString::number(double(loop.crossfade) / analysis.rate, 'f', 3));
    if (ui::message(proposal, ui::Buttons::YesNo, ui::Icon::Question, ui::kProgramTitle, parent) != ui::Answer::Yes)
        return;
    const double length = loop.periods > 0 ? loop.periods * loop.period : double(loop.end - loop.start);
    if (inDocument) {
        keep(QCoreApplication::translate("LoopTool", "Find loop"), {SampleLoop::Kind::Forward, loop.start, loop.end, loop.crossfade, length});
        return tell(QCoreApplication::translate("LoopTool", "%1: %2.").arg(shown, loop.description()), ui::Icon::Information);
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return tell(QCoreApplication::translate("LoopTool", "%1: unreadable: %2").arg(shown, file.errorString()), ui::Icon::Exclamation);
    const QByteArray before = file.readAll();
    file.close();
    wav::SourceCut cut;
    cut.loop = wav::SourceCut::Loop::Forward;
    cut.loopStart = loop.start;
    cut.loopEnd = loop.end;
    cut.loopLength = length;
    cut.crossfade = loop.crossfade;
    // 16-bit frames at their own rate come back bit for bit: no gain, no dither.
    const wav::ConvertResult written = wav::convertFileToKeyboardFormat(path, path, {}, cut);
    if (!written.ok)
        return tell(QCoreApplication::translate("LoopTool", "%1 could not be written: %2").arg(shown, written.error), ui::Icon::Exclamation);
    wrote(QCoreApplication::translate("LoopTool", "Find loop"), path, before);
    tell(QCoreApplication::translate("LoopTool", "%1: %2.").arg(shown, loop.description()), ui::Icon::Information);
}

} // namespace tamo::msp_editor
