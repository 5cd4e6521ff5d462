// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QString>

namespace tamo::ui {

// The font a layout was designed with, or where it is not installed the closest
// common one in width, so that captions still fit their twip-sized boxes
// (Tahoma and MS Sans Serif: the Tahoma of fonts-wine; Verdana: DejaVu Sans, its wide
// look-alike).
QFont designFont(const QString &family, double points, bool bold = false, bool underline = false);

} // namespace tamo::ui
