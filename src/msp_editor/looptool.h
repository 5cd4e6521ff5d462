// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "msp_editor/mspdocument.h"

#include <QByteArray>
#include <QString>

#include <functional>

class QWidget;

namespace tamo::msp_editor {

// Keyboard, Find loop: a loop found for a sample's WAV (16-bit 44.1 kHz,
// as the keyboard reads it) is proposed, and once accepted written into that file by an atomic replace; the
// frames stay (but for a crossfade just before the loop end) and the undo stack
// keeps the old bytes, as for the WAV panel's writes. A file that loops already,
// a one-shot is left as it is, with a word why. A file in another format is never
// written: keep is told the loop for the document to keep (without keep it is left
// as it is); kept is the loop the document keeps for it already.
// slot 0: none selected; wrote is told the old bytes of a file it rewrote;
// proposed is told the loop (start, end, crossfade) before the user is asked.
void findLoopForSample(int slot, const QString &path, QWidget *parent,
                       const std::function<void(const QString &tool, const QString &path, const QByteArray &before)> &wrote,
                       const std::function<void(qint64 start, qint64 end, qint64 crossfade)> &proposed = {},
                       const std::function<void(const QString &tool, const SampleLoop &loop)> &keep = {},
                       const SampleLoop &kept = {});

} // namespace tamo::msp_editor
