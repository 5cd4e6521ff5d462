// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace tamo::ui {

// The layouts are fixed twip boxes, and a caption that fits with one font can be
// cut off with another. These keep every label, field, button, check box and list
// entry of a window whole: a text wider than the room its widget gives it is drawn
// in a smaller size of the widget's font, and the font set by the window comes
// back once the text fits again.

// Watches window and every widget that later joins it, fitting each one's text
// just before it is drawn, so texts set at any time are covered. Each window calls
// it once, after building its controls.
void keepTextsFitted(QWidget *window);

// Fits the text of one widget now (a list: its widest entry).
void fitText(QWidget *widget);

// Pixels by which a widget's text is wider than its room; 0 when it fits or the
// widget shows no text this code knows.
int textOverflow(const QWidget *widget);

} // namespace tamo::ui
