// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QWidget>

namespace tamo::ui {

// Layout positions are designed in twips; 15 twips make one device-independent
// pixel, and Qt scales pixels for HiDPI screens.
constexpr int kTwipsPerPixel = 15;

constexpr int twips(double t) { return int(t / kTwipsPerPixel + (t >= 0 ? 0.5 : -0.5)); }

inline QRect twipRect(double left, double top, double width, double height)
{
    return {twips(left), twips(top), twips(width), twips(height)};
}

// Places w at a twip rectangle relative to its parent's client area.
inline void place(QWidget *w, double left, double top, double width, double height)
{
    w->setGeometry(twipRect(left, top, width, height));
}

} // namespace tamo::ui
