// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tamo::msp_editor {

class MspEditorWindow;

// Keyboard, Find loop: a loop found for the selected sample's WAV (16-bit 44.1 kHz,
// as the keyboard reads it) is written into that file by an atomic replace; the
// frames stay (but for a crossfade just before the loop end) and the undo stack
// keeps the old bytes, as for the WAV panel's writes. A file that loops already,
// a one-shot or another format is left as it is, with a word why.
void findLoopForSelectedSample(MspEditorWindow &editor);

} // namespace tamo::msp_editor
