#pragma once

#include <QtGlobal>

namespace tamo::msp_editor {

// Program-wide values shared by the MSP editor and its pop-ups: the caller sets
// one, shows the pop-up modally and reads it back after the pop-up has closed.
inline bool MspModified = false; // the MSP document has unsaved changes
inline qint16 SliderValue = 0;   // handed to and returned by FrmSlider
inline qint16 NoteValue = 0;     // handed to and returned by Form2

} // namespace tamo::msp_editor
