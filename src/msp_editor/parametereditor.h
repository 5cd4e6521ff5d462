#pragma once

#include <QObject>

namespace tamo::msp_editor {

class Form1;

// Edits the parameter fields of Form1 with the value slider, the key picker, the
// two chooser lists and the two toggles.
class ParameterEditor : public QObject {
    Q_OBJECT
public:
    explicit ParameterEditor(Form1 &form);
    ~ParameterEditor() override;

private:
    Form1 &m_form;
};

} // namespace tamo::msp_editor
