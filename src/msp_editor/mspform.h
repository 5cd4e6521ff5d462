// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "msp/msprecord.h"
#include "msp_editor/parametereditor.h"
#include "msp_editor/parametertable.h"

#include <QHash>
#include <QList>
#include <QRect>
#include <QWidget>

#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace tamo::msp_editor {

class WavPanel;

// The MSP editor's client area as designed (15240 x 10830 twips): the WAV panel,
// List1 with its two buttons and Auto Play, and the parameter fields with their
// captions. It shows a record; what the controls do is the window's.
class MspForm final : public QWidget {
    Q_OBJECT
public:
    explicit MspForm(QWidget *parent = nullptr);

    WavPanel *wavPanel() const { return m_wavPanel; }
    QListWidget *sampleList() const { return m_sampleList; }
    QPushButton *addButton() const { return m_addButton; }
    QPushButton *removeButton() const { return m_removeButton; }
    bool autoPlay() const;
    ParameterWidgets parameterWidgets();

    // Empties every control, then shows the global fields, the effect and the list of
    // sample names; false, with nothing of it shown, for a record that is not valid.
    bool showRecord(const msp::MspRecord &record);
    // Fills the sample fields from slot 1..64 of record.
    void showSample(const msp::MspRecord &record, int slot);

    // The selected List1 line as a slot number 1..64; 0 when none is selected.
    // With several selected (Ctrl or Shift and a click), the current one if it is
    // among them, else the first.
    int selectedSlot() const;
    // Every selected line as a slot number, in list order.
    QList<int> selectedSlots() const;
    // Selects the slot's line (0 or out of range: none) without telling.
    void selectLine(int slot);

Q_SIGNALS:
    void selectionChanged();
    // The user landed on a line: a mouse button let go over List1 (the selection made
    // by the press is in place then), or the keyboard moved the current line.
    void lineOpened();
    void deletePressed();

protected:
    // The window may grow: the sample list takes the room, the controls on its right move along.
    void resizeEvent(QResizeEvent *event) override;

private:
    QHash<QWidget *, QRect> m_designPlaces; // the controls' places at the design size
    QLineEdit *field(const ParameterSpec &entry) const;

    WavPanel *m_wavPanel = nullptr;
    QLabel *m_sampleCountLabel = nullptr;
    QListWidget *m_sampleList = nullptr;
    QPushButton *m_addButton = nullptr;
    QPushButton *m_removeButton = nullptr;
    QCheckBox *m_autoPlayBox = nullptr;
    QLabel *m_effectLabel = nullptr;
    // The parameter fields Text15..Text37 in number order.
    std::array<QLineEdit *, kParameterCount> m_fields{};
    // The effect amount fields Text25..Text27 and their captions.
    std::array<QLineEdit *, kAmountCount> m_amountFields{};
    std::array<QLabel *, kAmountCount> m_amountLabels{};
};

} // namespace tamo::msp_editor
