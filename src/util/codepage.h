// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>
#include <QChar>
#include <QString>

namespace tamo::util {

// The character a byte of the Windows code page (1252) shows as. The five codes the
// code page leaves unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) show as a space: no
// font has a glyph for the C1 controls Windows maps them to. The bytes themselves
// stay as they are; this is for showing only.
QChar windows1252DisplayChar(quint8 byte);

// Bytes of a file text as shown, one character per byte.
QString windows1252DisplayText(QByteArrayView bytes);

} // namespace tamo::util
