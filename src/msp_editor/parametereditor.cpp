#include "msp_editor/parametereditor.h"


namespace tamo::msp_editor {

ParameterEditor::ParameterEditor(Form1 &form) : QObject(), m_form(form) {}
ParameterEditor::~ParameterEditor() = default;

} // namespace tamo::msp_editor
