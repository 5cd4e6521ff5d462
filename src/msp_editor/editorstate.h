#pragma once

#include <QtGlobal>

namespace tamo::msp_editor {

// Program-wide values shared by the MSP editor and its pop-ups: the caller sets
// one, shows the pop-up modally and reads it back after the pop-up has closed.
inline bool mspModified = false; // the MSP document has unsaved changes
inline qint16 sliderValue = 0;   // handed to and returned by ValueSlider
inline qint16 noteValue = 0;     // handed to and returned by KeyPicker

} // namespace tamo::msp_editor
