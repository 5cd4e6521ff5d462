#pragma once

#include "msp/msprecord.h"
#include "msp/valueformats.h"
#include "msp_editor/mspdocument.h"

#include <QObject>
#include <QPointer>

#include <optional>

class QDialog;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QWidget;

namespace tamo::msp_editor {

class MspEditorWindow;

// Edits the parameter fields of MspEditorWindow with the value slider, the key picker, the
// two chooser lists and the two toggles. A left click on a field runs its command;
// every edit stores the new byte, refreshes the view with the same sample still
// selected, and marks the document modified. Digits typed on a value field (a note
// name or number on START, END and KEY) and Enter store the value as the slider or
// the picker would, kept within its range; Escape or leaving the field drops it.
class ParameterEditor : public QObject {
    Q_OBJECT
public:
    explicit ParameterEditor(MspEditorWindow &form);
    ~ParameterEditor() override;

    // The slider beside field with the given start value, range and vertical offset
    // (twips); returns the value picked.
    int showValueSlider(QWidget *field, int start, qint16 min, qint16 max, int offset);
    // The key picker beside field, starting at note; the note picked, or nothing
    // when the picker was closed without a pick.
    std::optional<int> showKeyPicker(QWidget *field, int note);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Where a field's byte lives: a per-sample byte of the selected slot, or a
    // global one.
    struct Target {
        bool perSample;
        msp::SampleField sample;
        msp::GlobalField global;
    };

    // How a field is edited.
    struct FieldEditing {
        enum class Kind { Slider, Key, Pitch, Rotor, Octave } kind;
        Target target;
        msp::ValueFormat format = msp::ValueFormat::Plain;
        qint16 min = 0;
        qint16 max = 0;
        int offset = 0; // of the slider, in twips
    };
    static std::optional<FieldEditing> editingOf(const QObject *field);

    void fieldClicked(QObject *field);
    bool startTyping(QObject *field, const QString &typed);
    void endTyping(bool store);
    bool guardPasses(bool perSample) const;
    std::optional<quint8> read(const Target &target) const;
    void write(const Target &target, quint8 value);

    void editWithSlider(QWidget *field, const Target &target, msp::ValueFormat format, qint16 min,
                        qint16 max, int offset);
    void editKey(QWidget *field, msp::SampleField key);
    void togglePitch();
    void toggleRotor();
    void openOctave();
    void openEffects();
    void octaveChosen();
    void effectChosen();
    void showEffectAmounts(quint8 effect);
    void placeBelow(QListWidget *list, QWidget *field);
    // Moves a pop-up beside field on screen, kept inside the screen's free area.
    static void placePopup(QDialog *popup, QWidget *field, QPoint topLeft);

    MspEditorWindow &m_form;
    MspContent m_edit; // the content as the running edit changes it
    QPointer<QWidget> m_effectLabel;
    QPointer<QListWidget> m_sampleList;
    QPointer<QListWidget> m_octaveChooser; // OCTAVE chooser
    QPointer<QListWidget> m_effectChooser; // EFFECTS chooser
    QObject *m_pressed = nullptr;  // the field the left button went down on
    QPointer<QLineEdit> m_typing;  // the field being typed in
    QString m_textBeforeTyping;
};

} // namespace tamo::msp_editor
