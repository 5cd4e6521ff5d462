// SPDX-License-Identifier: GPL-3.0-or-later
#include "msp_editor/presetchooser.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tamo::msp_editor {

namespace {

// Zones a preset plays: each of its instruments' zones with a sample, once per preset zone.
int zoneCount(const sf2::SoundFont &font, const sf2::Preset &preset)
{
    int count = 0;
    for (const sf2::Zone &zone : preset.zones) {
        if (zone.link < 0)
            continue;
        for (const sf2::Zone &instrumentZone : font.instruments.at(zone.link).zones)
            count += instrumentZone.link >= 0 ? 1 : 0;
    }
    return count;
}

} // namespace

PresetChooser::PresetChooser(const sf2::SoundFont &font, const QString &title, QWidget *parent) : QDialog(parent)
{
    setWindowTitle(title);
    setObjectName(QStringLiteral("PresetChooser"));
    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("PresetFilter"));
    m_filter->setPlaceholderText(tr("Filter"));
    m_filter->setClearButtonEnabled(true);
    m_table = new QTableWidget(int(font.presets.size()), 4, this);
    m_table->setObjectName(QStringLiteral("PresetTable"));
    m_table->setHorizontalHeaderLabels(
        {tr("Bank"), tr("Program"), tr("Name"), tr("Zones")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(false);
    m_table->horizontalHeader()->setSectionResizeMode(2, QHeaderView::Stretch);
    for (int row = 0; row < font.presets.size(); ++row) {
        const sf2::Preset &preset = font.presets.at(row);
        const QStringList cells{QString::number(preset.bank), QString::number(preset.program), preset.name,
                                QString::number(zoneCount(font, preset))};
        for (int column = 0; column < cells.size(); ++column)
            m_table->setItem(row, column, new QTableWidgetItem(cells.at(column)));
    }
    m_table->resizeColumnsToContents();
    if (m_table->rowCount() > 0)
        m_table->selectRow(0);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, &QDialog::accept);
    connect(m_filter, &QLineEdit::textChanged, this, &PresetChooser::applyFilter);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_filter);
    layout->addWidget(m_table);
    layout->addWidget(buttons);
    resize(420, 480);
}

void PresetChooser::applyFilter(const QString &text)
{
    int firstShown = -1;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        bool shown = text.isEmpty();
        for (int column = 0; column < m_table->columnCount() && !shown; ++column)
            shown = m_table->item(row, column)->text().contains(text, Qt::CaseInsensitive);
        m_table->setRowHidden(row, !shown);
        if (shown && firstShown < 0)
            firstShown = row;
    }
    // The selection follows what is shown, so OK never picks a hidden preset.
    const QList<QTableWidgetItem *> selected = m_table->selectedItems();
    if (selected.isEmpty() || m_table->isRowHidden(selected.first()->row())) {
        m_table->clearSelection();
        if (firstShown >= 0)
            m_table->selectRow(firstShown);
    }
}

int PresetChooser::chosenPreset() const
{
    const QList<QTableWidgetItem *> selected = m_table->selectedItems();
    if (selected.isEmpty() || m_table->isRowHidden(selected.first()->row()))
        return -1;
    return selected.first()->row();
}

} // namespace tamo::msp_editor
