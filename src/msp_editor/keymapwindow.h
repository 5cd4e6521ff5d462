// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "msp/msprecord.h"

#include <QStringList>
#include <QWidget>

class QLabel;
class QScrollArea;

namespace tamo::msp_editor {

class KeyMapCanvas;

// The keyboard with every sample's zone above it: one row per sample from its
// START to its END as the editor shows them, the root key marked, the selected
// sample highlighted, and the keys below coloured where no zone covers them (a
// gap) or more than one does (an overlap). A click on a zone asks to select that
// sample; a click on a key asks to hear the sample mapped there at that key, and
// the key stays marked with the sample it plays named below the keyboard.
class KeyMapWindow : public QWidget {
    Q_OBJECT
public:
    explicit KeyMapWindow(QWidget *parent = nullptr);
    ~KeyMapWindow() override;

    // Shows the record's zones, with slot selected (0: none) highlighted; each row
    // also names the file its sample comes from (sourceNames[slot - 1], may be empty).
    void showRecord(const msp::MspRecord &record, int selected, const QStringList &sourceNames = {});
    int selectedSlot() const;
    // What each sample sounds like, beside its file (notes[slot - 1]); marked in red
    // where offPitch says it plays 50 cents or more from its root.
    void showPitches(const QStringList &notes, const QList<bool> &offPitch);

    // What a click at a point of the drawing means: a slot (zone rows) or a key
    // (the keyboard strip); 0 and -1 when it hits neither.
    int slotAt(QPoint canvasPoint) const;
    int keyAt(QPoint canvasPoint) const;
    // Where a key (its whole strip) and a slot's row lie on the canvas.
    QRect keyRect(int key) const;
    QRect rowRect(int slot) const;
    QWidget *canvas() const;
    // The line that says what the key last clicked plays.
    QString pressedKeyText() const;
    // The line under it that says how live play sounds (or that it cannot).
    void setPlayStatus(const QString &text);
    QString playStatus() const;

Q_SIGNALS:
    void sampleClicked(int slot);
    void keyClicked(int key);
    // The mouse button pressed on a key was let go: its sound ends.
    void keyReleased();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    friend class KeyMapCanvas;
    void keyPressed(int key, bool play = true);

    KeyMapCanvas *m_canvas;
    QScrollArea *m_scroll;
    QLabel *m_keyLine;
    QLabel *m_playLine;
    bool m_placed = false;
};

} // namespace tamo::msp_editor
