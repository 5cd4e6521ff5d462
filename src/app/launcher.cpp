// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/launcher.h"

#include "msp_editor/mspeditorwindow.h"
#include "ui/fonts.h"
#include "ui/textfit.h"
#include "ui/twips.h"
#include "usd/drumkitwindow.h"
#include "usv/uservoicewindow.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace tamo::app {

namespace {

QPushButton *addButton(QWidget *parent, const QString &name, const QString &caption, int top)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    // Enter clicks the button that has the focus, as in a dialog.
    button->setAutoDefault(true);
    ui::place(button, 480, top, 2415, 855);
    return button;
}

} // namespace

Launcher::Launcher(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Form4"));
    // Unloading the launcher destroys it.
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(tr("Menu"));
    // Fixed tool window: narrow title bar, close box only, not resizable.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    // Qt lets tool windows outlive the program's end; this one is a main window, so
    // closing it as the last window ends the program.
    setAttribute(Qt::WA_QuitOnClose, true);
    setFixedSize(ui::twips(3360), ui::twips(3510));
    setFont(ui::designFont(QStringLiteral("Tahoma"), 8.25));
    ui::keepTextsFitted(this);

    auto *shape = new QFrame(this);
    shape->setObjectName(QStringLiteral("Shape1"));
    shape->setFrameShape(QFrame::Box);
    shape->setFrameShadow(QFrame::Plain);
    QPalette palette = shape->palette();
    palette.setColor(QPalette::Window, QColor(192, 192, 255));
    palette.setColor(QPalette::WindowText, Qt::black);
    shape->setPalette(palette);
    shape->setAutoFillBackground(true);
    ui::place(shape, 360, 240, 2655, 3015);

    auto *label = new QLabel(tr("Version 1.04"), this);
    label->setObjectName(QStringLiteral("Label1"));
    ui::place(label, 360, 0, 1935, 255);

    // Made in tab order, after the shape so that they lie above it.
    m_mspButton = addButton(this, QStringLiteral("Command1"), tr("Sampler MSP Editor"), 360);
    m_usdButton = addButton(this, QStringLiteral("Command2"), tr("DrumKits USD Editor"), 1320);
    m_usvButton = addButton(this, QStringLiteral("Command3"), tr("UserVoices USV Editor"),
                         2280);
    m_mspButton->setFocus();

    connect(m_mspButton, &QPushButton::clicked, this,
            [this] { openEditor([] { return new msp_editor::MspEditorWindow(); }); });
    connect(m_usdButton, &QPushButton::clicked, this, [this] { openEditor([] { return new usd::DrumKitWindow(); }); });
    connect(m_usvButton, &QPushButton::clicked, this, [this] { openEditor([] { return new usv::UserVoiceWindow(); }); });
}

void Launcher::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_placed)
        return;
    m_placed = true;
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    m_mspButton->setFocus();
}

void Launcher::openEditor(const std::function<QWidget *()> &makeEditor)
{
    // Presses and clicks that were queued while the first editor was being made
    // still reach the closed launcher: only the first may open one.
    if (m_editorOpened)
        return;
    m_editorOpened = true;
    QWidget *editor = makeEditor();
    // The editor is a top-level window of its own, destroyed when it is closed; the
    // program ends with it once the launcher is gone.
    editor->setAttribute(Qt::WA_DeleteOnClose);
    editor->show();
    close();
}

void startProgram()
{
    (new Launcher())->show();
}

} // namespace tamo::app
