// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <functional>

class QPushButton;

namespace tamo::app {

// The launcher: three buttons, each opening one editor and closing the launcher
// for good, so a run works with one editor.
class Launcher : public QWidget {
    Q_OBJECT

public:
    explicit Launcher(QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    // Shows the editor as an ordinary window of its own, then unloads the launcher.
    void openEditor(const std::function<QWidget *()> &makeEditor);

    QPushButton *m_mspButton = nullptr;
    QPushButton *m_usdButton = nullptr;
    QPushButton *m_usvButton = nullptr;
    bool m_placed = false;
    bool m_editorOpened = false;
};

// Shows the first window of the program.
void startProgram();

} // namespace tamo::app
