// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QLabel;
class QWidget;

namespace tamo::msp_editor {

// The value slider: a small borderless modal pop-up with a vertical track. The
// caller sets the start value, minimum and maximum, moves the window and runs
// exec(); however the window closes, value() then holds the value shown. From the keyboard: Up/Down step by 1, PageUp/PageDown by
// 10, Home/End go to the ends, typed digits (and a leading minus) set the value,
// Enter closes.
class ValueSlider : public QDialog {
    Q_OBJECT
public:
    explicit ValueSlider(QWidget *parent = nullptr);
    ~ValueSlider() override;

    // Bottom and top of the track; maximum is meant to be above minimum.
    qint16 minimum = 0;
    qint16 maximum = 127;
    // The value shown when the window opens, and after it has closed.
    void setValue(int value) { m_picked = qint16(value); }
    int value() const { return m_picked; }

    // The window's size in pixels, fixed by its twip design.
    static QSize windowSize();

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void layOut();
    void trackMouse(QEvent *event);
    void placeKnob(double top);
    void showValue(int value);
    // Shows value (kept inside the range) and moves the knob to its place.
    void moveTo(int value);

    QWidget *m_track;  // Picture2
    QWidget *m_knob;   // Picture1
    QWidget *m_ticks[3]; // Line1 member 0, Line2, Line1 member 1 (top to bottom)
    QLabel *m_scale[3];  // Label1 members 0 to 2 (top to bottom)
    QLabel *m_value;   // Text1
    QLabel *m_close;   // Label2
    QString m_typed;   // digits typed since the last other key or drag

    // Twip geometry of the track and the knob after the opening steps.
    double m_trackLeft = 0;
    double m_trackTop = 0;
    double m_trackHeight = 0;
    double m_knobLeft = 0;
    double m_knobHeight = 0;
    qint16 m_picked = 0;
};

} // namespace tamo::msp_editor
