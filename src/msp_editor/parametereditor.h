// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "msp/msprecord.h"
#include "msp/valueformats.h"
#include "msp_editor/mspdocument.h"
#include "msp_editor/parametertable.h"

#include <QHash>
#include <QObject>
#include <QPointer>

#include <array>
#include <functional>
#include <optional>

class QDialog;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QWidget;

namespace tamo::msp_editor {

// The widgets of the MSP editor that the parameter editor works with.
struct ParameterWidgets {
    QWidget *client = nullptr; // the window's client area: parent of the choosers
    QListWidget *sampleList = nullptr;
    QLabel *effectLabel = nullptr;
    std::array<QLineEdit *, kParameterCount> fields{}; // Text15..Text37 in number order
    std::array<QLineEdit *, kAmountCount> amountFields{};
    std::array<QLabel *, kAmountCount> amountLabels{};
};

// Edits the parameter fields of the MSP editor with the value slider, the key picker, the
// two chooser lists and the two toggles. A left click on a field runs its command;
// every edit stores the new byte, refreshes the view with the same sample still
// selected, and marks the document modified. Digits typed on a value field (a note
// name or number on START, END and KEY) and Enter store the value as the slider or
// the picker would, kept within its range; Escape or leaving the field drops it.
class ParameterEditor : public QObject {
    Q_OBJECT
public:
    // selectedSlot: the sample the per-sample fields show (1..64), 0 when none.
    ParameterEditor(MspDocument &document, const ParameterWidgets &widgets, std::function<int()> selectedSlot);
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
    const ParameterSpec *specOf(const QObject *field) const;

    void fieldClicked(QObject *field);
    bool startTyping(QObject *field, const QString &typed);
    void endTyping(bool store);
    bool guardPasses(bool perSample) const;
    // The byte a field shows, none for a per-sample field with no sample selected.
    std::optional<quint8> read(const ParameterSpec &entry) const;
    // Stores into m_edit.
    void write(const ParameterSpec &entry, quint8 value);

    void editWithSlider(QWidget *field, const ParameterSpec &entry);
    void editKey(QWidget *field, const ParameterSpec &entry);
    void togglePitch(const ParameterSpec &entry);
    void toggleRotor();
    void openOctave();
    void openEffects();
    void octaveChosen();
    void effectChosen();
    void placeBelow(QListWidget *list, QWidget *field);
    // Moves a pop-up beside field on screen, kept inside the screen's free area.
    static void placePopup(QDialog *popup, QWidget *field, QPoint topLeft);

    MspDocument &m_document;
    ParameterWidgets m_widgets;
    std::function<int()> m_selectedSlot;
    QHash<const QObject *, const ParameterSpec *> m_specs; // the field of each row
    QLineEdit *m_octaveField = nullptr;
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
