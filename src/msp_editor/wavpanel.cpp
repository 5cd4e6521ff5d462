#include "msp_editor/wavpanel.h"

namespace tamo::msp_editor {

// Filled in with the panel's controls; for now Form1 can host it.
WavPanel::WavPanel(QWidget *form, QString *currentWavPath) : QWidget(form), m_currentWavPath(currentWavPath) {}
WavPanel::~WavPanel() = default;
void WavPanel::ShowWavInfo() {}
void WavPanel::ClearWavInfo() {}
void WavPanel::DrawWaveform() {}
void WavPanel::Play() {}

} // namespace tamo::msp_editor
