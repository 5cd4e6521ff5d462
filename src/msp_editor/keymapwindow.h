#pragma once

#include "msp/msprecord.h"

#include <QStringList>
#include <QWidget>

class QScrollArea;

namespace tamo::msp_editor {

class KeyMapCanvas;

// The keyboard with every sample's zone above it: one row per sample from its
// START to its END as the editor shows them, the root key marked, the selected
// sample highlighted, and the keys below coloured where no zone covers them (a
// gap) or more than one does (an overlap). A click on a zone asks to select that
// sample; a click on a key asks to hear the sample mapped there at that key.
class KeyMapWindow : public QWidget {
    Q_OBJECT
public:
    explicit KeyMapWindow(QWidget *parent = nullptr);
    ~KeyMapWindow() override;

    // Shows the record's zones, with slot selected (0: none) highlighted; a row's
    // tooltip is its entry of sourceNames (slot k at k - 1), if any.
    void showRecord(const msp::MspRecord &record, int selected, const QStringList &sourceNames = {});
    QString toolTipAt(QPoint canvasPoint) const;

    // What a click at a point of the drawing means: a slot (zone rows) or a key
    // (the keyboard strip); 0 and -1 when it hits neither.
    int slotAt(QPoint canvasPoint) const;
    int keyAt(QPoint canvasPoint) const;
    QWidget *canvas() const;

Q_SIGNALS:
    void sampleClicked(int slot);
    void keyClicked(int key);

private:
    friend class KeyMapCanvas;
    KeyMapCanvas *m_canvas;
    QScrollArea *m_scroll;
};

} // namespace tamo::msp_editor
