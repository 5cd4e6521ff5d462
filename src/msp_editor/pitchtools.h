// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "export/pitchcheck.h"
#include "wav/rootnote.h"

#include <QObject>
#include <QSet>

#include <functional>

class QWidget;

namespace tamo::msp_editor {

class MspDocument;

// Each sample's sound held against its root in the window: the lines of the
// sample list's tooltips and of the key map, their marks, and Keyboard > Check
// pitch. Sounds are measured off the window's thread, each file once.
class PitchTools : public QObject {
    Q_OBJECT
public:
    PitchTools(MspDocument &document, QWidget *window, QObject *parent = nullptr);

    // Slot against its sound as far as it is known; an unknown sound starts being
    // measured and measured() follows. found: the root its file gives, which
    // names where a KEY equal to it came from.
    exporter::SampleCheck check(int slot, const wav::RootNote &found);
    // Every used slot's check, rootOf giving the root its file gives; a layer that
    // is a stop above or beside one in tune over the same keys is no alarm, as in
    // `TAMO check` (exporter::findRegistrations).
    QList<exporter::SampleCheck> checks(const std::function<wav::RootNote(int slot)> &rootOf);
    // "root C3 from the name; sounds like C4 −12 cents", and whether it is out of tune.
    QString line(const exporter::SampleCheck &check) const;

    // Measures every sample (busy pointer), lists those 50 cents or more from
    // their root with KEY and FINE from the sound, and sets the ticked ones in one
    // undoable step.
    void checkPitch(const std::function<wav::RootNote(int slot)> &rootOf);

Q_SIGNALS:
    // A sound's reading came in: marks may change.
    void measured();

private:
    MspDocument &m_document;
    QWidget *m_window;
    QSet<QString> m_pending; // files being measured
};

} // namespace tamo::msp_editor
