// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sf2/soundfont.h"

#include <QDialog>

class QLineEdit;
class QTableWidget;

namespace tamo::msp_editor {

// Picks one preset of a SoundFont: bank, program, name and zone count in a table,
// narrowed by what is typed in the filter (any column, any case).
class PresetChooser : public QDialog {
    Q_OBJECT

public:
    PresetChooser(const sf2::SoundFont &font, const QString &title, QWidget *parent = nullptr);

    // The chosen preset's index in the font, -1 when none is selected.
    int chosenPreset() const;

private:
    void applyFilter(const QString &text);

    QLineEdit *m_filter = nullptr;
    QTableWidget *m_table = nullptr;
};

} // namespace tamo::msp_editor
