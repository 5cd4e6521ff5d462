#pragma once

#include <QDialog>

class QScrollBar;
class QWidget;

namespace tamo::msp_editor {

class KeyboardCanvas;

// The key picker: a borderless modal pop-up with a scrollable keyboard of 129
// semitones. It shows noteValue (shared.h) in blue; pressing any mouse button on
// a key puts that key's note into noteValue, sets mspModified and closes the
// window (exec() then returns Accepted). Closed any other way it changes neither.
// A double-click on the bare strip right of the keyboard ends the program like the
// editor's Quit, asking first about unsaved changes.
class KeyPicker : public QDialog {
    Q_OBJECT
public:
    explicit KeyPicker(QWidget *parent = nullptr);
    ~KeyPicker() override;

    // The window's size in pixels, fixed by its twip design.
    static QSize windowSize();

    // A key was picked during this showing.
    bool picked() const { return m_picked; }

protected:
    void showEvent(QShowEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    friend class KeyboardCanvas;
    void load();
    void pick(QPointF pixelPos);
    void scrollTo(int value);

    QWidget *m_viewport;       // Picture1
    KeyboardCanvas *m_canvas;  // Picture2
    QScrollBar *m_scroll;      // HScroll1
    bool m_picked = false;
};

} // namespace tamo::msp_editor
