// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

#include <optional>

class QScrollBar;
class QWidget;

namespace tamo::msp_editor {

class KeyboardCanvas;

// The key picker: a borderless modal pop-up with a scrollable keyboard of 129
// semitones. It shows the note it is given in blue; pressing any mouse button on
// a key picks that key's note and closes the window (exec() then returns
// Accepted). Closed any other way it picks nothing.
// A double-click on the bare strip right of the keyboard ends the program like the
// editor's Quit, asking first about unsaved changes.
// From the keyboard: Left/Right move the blue key a semitone, Up/Down an octave,
// Enter picks it; the blue key is kept in view.
class KeyPicker : public QDialog {
    Q_OBJECT
public:
    explicit KeyPicker(QWidget *parent = nullptr);
    ~KeyPicker() override;

    // The window's size in pixels, fixed by its twip design.
    static QSize windowSize();

    // The note shown in blue when the window opens.
    void setNote(int note) { m_note = note; }
    int note() const { return m_note; }
    // The note picked during this showing; none when closed otherwise.
    std::optional<int> picked() const { return m_picked ? std::optional<int>(m_note) : std::nullopt; }

protected:
    void showEvent(QShowEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    friend class KeyboardCanvas;
    void load();
    void pick(QPointF pixelPos);
    void scrollTo(int value);
    void choose(int note);
    // Scrolls as little as needed to show the key of note whole.
    void scrollIntoView(int note);

    QWidget *m_viewport;       // Picture1
    KeyboardCanvas *m_canvas;  // Picture2
    QScrollBar *m_scroll;      // HScroll1
    bool m_picked = false;
    int m_note = 0;
    int m_current = 0; // the blue key, moved by the arrow keys
};

} // namespace tamo::msp_editor
