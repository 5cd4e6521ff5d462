// SPDX-License-Identifier: GPL-3.0-or-later
#include "msp_editor/mspeditorwindow.h"

#include "msp/mspfile.h"
#include "msp/valueformats.h"
#include "export/soundimport.h"
#include "msp_editor/filewritecommand.h"
#include "msp_editor/keyboardtools.h"
#include "msp_editor/mspform.h"
#include "msp_editor/parametereditor.h"
#include "msp_editor/parametertable.h"
#include "msp_editor/wavpanel.h"
#include "ui/fonts.h"
#include "ui/menus.h"
#include "ui/textfit.h"
#include "ui/platform.h"
#include "ui/twips.h"
#include "util/codepage.h"
#include "util/paths.h"
#include "util/recentfiles.h"
#include "util/shortname.h"
#include "util/atomicfile.h"
#include "wav/keyboardformat.h"

#include <QAction>
#include <QCheckBox>
#include <QKeyEvent>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QUndoStack>
#include <QUrl>

#include <algorithm>
#include <functional>
#include <iterator>
#include <utility>

namespace tamo::msp_editor {

using msp::GlobalField;

namespace {

constexpr int kStatusBarHeight = 330;
ui::FileDialogRequest mspDialog(ui::FileDialogRequest::Mode mode)
{
    ui::FileDialogRequest request;
    request.mode = mode;
    request.initialFolder = util::startFolder(util::FileKind::Msp);
    // The window's own context: the dialog is only ever the window's.
    request.title = mode == ui::FileDialogRequest::Mode::Open
                        ? QCoreApplication::translate("tamo::msp_editor::MspEditorWindow", "Open")
                        : QCoreApplication::translate("tamo::msp_editor::MspEditorWindow", "Save As");
    request.filter = QCoreApplication::translate("tamo::msp_editor::MspEditorWindow",
                                                 "Ketron MultiSamPle Files (*.MSP)|*.MSP");
    request.maxLength = 32000;
    return request;
}

} // namespace

MspEditorWindow::MspEditorWindow(QWidget *parent) : QMainWindow(parent)
{
    m_document = new MspDocument(this);
    connect(m_document, &MspDocument::modifiedChanged, this, &MspEditorWindow::setWindowModified);
    connect(m_document, &MspDocument::contentChanged, this, &MspEditorWindow::contentChanged);
    buildMenus();
    setAcceptDrops(true);

    m_form = new MspForm(this);
    m_wavPanel = m_form->wavPanel();
    m_sampleList = m_form->sampleList();
    setCentralWidget(m_form);
    // At least the design's size; larger widens the sample list.
    layout()->setSizeConstraint(QLayout::SetMinimumSize);
    connect(m_wavPanel, &WavPanel::fileWritten, this, &MspEditorWindow::recordFileWrite);
    // A sound file not in the keyboard's format keeps its loop in the document.
    m_wavPanel->setKeptLoops([this](const QString &path) { return m_document->keptLoop(m_document->slotOfFile(path, selectedSlot())); });
    connect(m_wavPanel, &WavPanel::loopKept, this, [this](const QString &tool, const QString &path, const SampleLoop &loop) {
        if (const int slot = m_document->slotOfFile(path, selectedSlot()); slot > 0) {
            m_document->keepLoop(slot, tool, loop);
            // Said, as the file's own date and bytes do not change.
            statusBar()->showMessage(tr("%1: the set keeps the loop of %2 (not in the keyboard's format, the file stays as it is)")
                                         .arg(tool, QDir::toNativeSeparators(path)));
            return;
        }
        ui::message(tr("No sample of the set plays \"%1\", so the set cannot keep its loop. Nothing was changed.")
                        .arg(QDir::toNativeSeparators(path)),
                    ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, this);
    });
    connect(m_form, &MspForm::selectionChanged, this, &MspEditorWindow::showSelectedSample);
    connect(m_form, &MspForm::lineOpened, this, &MspEditorWindow::openSelectedWav);
    connect(m_form, &MspForm::deletePressed, this, &MspEditorWindow::removeSelectedSample);
    connect(m_form->addButton(), &QPushButton::clicked, this, &MspEditorWindow::addSamples);
    connect(m_form->removeButton(), &QPushButton::clicked, this, &MspEditorWindow::removeSelectedSample);
    // Fixed in height like every control, so the window keeps its size.
    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    statusBar()->setFixedHeight(ui::twips(kStatusBarHeight));
    statusBar()->setSizeGripEnabled(false);

    // Window load: a new, untitled document. No prompt: nothing can be lost yet.
    RefreshMspView();
    updateTitle();

    m_parameterEditor = std::make_unique<ParameterEditor>(*m_document, m_form->parameterWidgets(), [this] { return selectedSlot(); });
    m_keyboardTools = new KeyboardTools(*m_document,
                                        {.window = this,
                                         .sampleList = m_sampleList,
                                         .selectedSlot = [this] { return selectedSlot(); },
                                         .selectedSlots = [this] { return selectedSlots(); },
                                         .askSaveModified = [this] { return askSaveModified(); },
                                         .loadImported = [this](const MspContent &content) { loadImportedDocument(content); }},
                                        this);
    // Before the Help menu, the last one.
    const QList<QAction *> menus = menuBar()->actions();
    menuBar()->insertMenu(menus.isEmpty() ? nullptr : menus.last(), m_keyboardTools->menu());
    connect(this, &MspEditorWindow::viewRefreshed, m_keyboardTools, &KeyboardTools::viewRefreshed);
    connect(this, &MspEditorWindow::samplesAdded, m_keyboardTools, &KeyboardTools::samplesAdded);
    connect(this, &MspEditorWindow::sfzDropped, m_keyboardTools, &KeyboardTools::importDropped);
    // Told once the selection is in place, also when selectSlot() puts it back.
    connect(this, &MspEditorWindow::sampleShown, m_keyboardTools, &KeyboardTools::updateKeyMap);
    connect(m_keyboardTools, &KeyboardTools::sampleChosen, this, &MspEditorWindow::selectSlot);
    connect(m_keyboardTools, &KeyboardTools::fileWritten, this, &MspEditorWindow::recordFileWrite);
    connect(m_keyboardTools, &KeyboardTools::loopProposed, this, [this](const QString &path, qint64 start, qint64 end, qint64 crossfade) {
        // Drawn on the sample's own waveform while the user decides; then the file as it is.
        if (m_wavPanel->wavPath().isEmpty() || QFileInfo(path) != QFileInfo(m_wavPanel->wavPath()))
            return;
        if (end <= start)
            return m_wavPanel->reloadIfCurrent(path);
        m_wavPanel->showWavInfo();
        m_wavPanel->drawWaveform();
        m_wavPanel->showProposedLoop(start, end, crossfade);
    });
    setKeyboardMenuKeys();
    // A text field would take Ctrl+E and its kind for itself (line editing keys).
    for (QLineEdit *field : m_form->findChildren<QLineEdit *>())
        field->installEventFilter(this);
    ui::keepTextsFitted(this);
}

bool MspEditorWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        const auto *key = static_cast<QKeyEvent *>(event);
        const QKeySequence pressed(key->keyCombination());
        // Keys with Ctrl or Alt: a plain key, Delete and the text editing keys stay the field's.
        const bool editing = key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) || key->matches(QKeySequence::Copy)
                             || key->matches(QKeySequence::Cut) || key->matches(QKeySequence::Paste) || key->matches(QKeySequence::SelectAll);
        if ((key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) && !editing) {
            for (const QAction *action : findChildren<QAction *>()) {
                if (action->isEnabled() && action->shortcuts().contains(pressed)) {
                    event->ignore(); // the window's shortcut runs
                    return true;
                }
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

MspEditorWindow::~MspEditorWindow()
{
    // The editor refers to the fields, which go with the window.
    m_parameterEditor.reset();
    // The stack clears itself as it goes, after this window has stopped being one.
    m_document->disconnect(this);
}

void MspEditorWindow::buildMenus()
{
    const auto addMenu = [this](const QString &name, const QString &caption) {
        QMenu *menu = menuBar()->addMenu(caption);
        menu->setObjectName(name);
        return menu;
    };
    const auto addItem = [this](QMenu *menu, const QString &name, const QString &caption,
                                void (MspEditorWindow::*command)(), const QList<QKeySequence> &keys) {
        QAction *action = menu->addAction(caption);
        action->setObjectName(name);
        action->setShortcuts(keys);
        connect(action, &QAction::triggered, this, command);
        return action;
    };
    QMenu *file = addMenu(QStringLiteral("MnuFichier"), tr("&File"));
    addItem(file, QStringLiteral("MnuNew"), tr("&New"), &MspEditorWindow::newDocument,
            ui::keysFor(QKeySequence::New, QStringLiteral("Ctrl+N")));
    addItem(file, QStringLiteral("MnuOuvrir"), tr("&Open"), &MspEditorWindow::openDocument,
            ui::keysFor(QKeySequence::Open, QStringLiteral("Ctrl+O")));
    addItem(file, QStringLiteral("MnuSave"), tr("&Save"), &MspEditorWindow::saveDocument,
            ui::keysFor(QKeySequence::Save, QStringLiteral("Ctrl+S")));
    addItem(file, QStringLiteral("MnuSaveAs"), tr("Save &As..."), &MspEditorWindow::saveDocumentAs,
            ui::keysFor(QKeySequence::SaveAs, QStringLiteral("Ctrl+Shift+S")));
    file->addSeparator();
    addItem(file, QStringLiteral("MnuAddWav"), tr("Add &Wav Sample..."), &MspEditorWindow::addSamples,
            {QKeySequence(QStringLiteral("Ctrl+Shift+A"))});
    m_fileMenu = file;
    m_quitAction = addItem(file, QStringLiteral("MnuEnd"), tr("&Quit"), &MspEditorWindow::quit,
                           ui::keysFor(QKeySequence::Quit, QStringLiteral("Ctrl+Q")));
    // The recent documents sit above Quit, and are read again each time the menu opens.
    file->insertSeparator(m_quitAction);
    for (int i = 1; i <= util::kRecentDocumentCount; ++i) {
        auto *recent = new QAction(file);
        recent->setObjectName(QStringLiteral("MnuRecent%1").arg(i));
        connect(recent, &QAction::triggered, this, [this, recent] {
            if (askSaveModified())
                openFile(recent->data().toString());
        });
        file->insertAction(m_quitAction, recent);
        m_recentActions << recent;
    }
    file->insertSeparator(m_quitAction);
    connect(file, &QMenu::aboutToShow, this, &MspEditorWindow::refreshRecentDocuments);
    refreshRecentDocuments();

    QMenu *edit = addMenu(QStringLiteral("MnuEdit"), tr("&Edit"));
    ui::addUndoRedo(edit, undoStack());

    QMenu *help = addMenu(QStringLiteral("MnuHelp"), tr("&?"));
    addItem(help, QStringLiteral("MnuAbout"), tr("A&bout"), &MspEditorWindow::showAbout, {});
}

void MspEditorWindow::setKeyboardMenuKeys()
{
    const std::pair<const char16_t *, const char *> keys[] = {
        {u"MnuMapKeys", "Ctrl+M"},    {u"MnuKeyMap", "Ctrl+K"},        {u"MnuRenameSample", "F2"},
        {u"MnuFindLoop", "Ctrl+L"},  {u"MnuImportSfz", "Ctrl+I"}, {u"MnuImportSoundFont", "Ctrl+Shift+I"}, {u"MnuExportKeyboard", "Ctrl+E"},
    };
    for (const auto &[name, key] : keys) {
        if (auto *action = findChild<QAction *>(QString::fromUtf16(name)))
            action->setShortcut(QKeySequence(QString::fromLatin1(key)));
    }
}

void MspEditorWindow::RefreshMspView()
{
    refreshViewContents();
    Q_EMIT viewRefreshed();
}

void MspEditorWindow::refreshViewContents()
{
    if (!m_form->showRecord(m_document->record()))
        ui::message(tr("This is not a valid Ketron MSP file !"), ui::Buttons::Ok,
                    ui::Icon::Exclamation, ui::kProgramTitle, this);
}

void MspEditorWindow::showSelectedSample()
{
    const int k = selectedSlot();
    // Told after the fields are filled, whatever way this returns.
    const auto told = qScopeGuard([this, k] { Q_EMIT sampleShown(k); });
    if (k == 0)
        return;
    m_form->showSample(m_document->record(), k);
    const QString wav = m_document->soundFile(k); // a FLAC or AIFF added is shown as it is
    if (!wav.isEmpty())
        m_wavPanel->setWavPath(wav);
}

int MspEditorWindow::selectedSlot() const { return m_form->selectedSlot(); }

QList<int> MspEditorWindow::selectedSlots() const { return m_form->selectedSlots(); }

void MspEditorWindow::selectSlot(int slot)
{
    m_form->selectLine(slot);
    showSelectedSample();
}

QString MspEditorWindow::sampleSourceFile(int slot) const { return m_document->soundFile(slot); }

QUndoStack *MspEditorWindow::undoStack() const { return m_document->undoStack(); }

void MspEditorWindow::forgetWav()
{
    m_wavPanel->setWavPath({});
    m_wavPanel->clearWavInfo();
}

void MspEditorWindow::openSelectedWav()
{
    if (selectedSlot() == 0)
        return;
    const QString wav = m_document->soundFile(selectedSlot());
    if (wav.isEmpty())
        return;
    m_wavPanel->setWavPath(wav);
    m_wavPanel->showWavInfo();
    m_wavPanel->drawWaveform();
    Q_EMIT wavOpened(wav);
    if (m_form->autoPlay()) {
        m_wavPanel->Play();
        Q_EMIT wavPlayed(wav);
    }
}

void MspEditorWindow::newDocument()
{
    if (!askSaveModified())
        return;
    // A new document is untitled, so that Save cannot overwrite the file last opened.
    m_document->reset({msp::MspRecord::newDocument(), {}, {}}, QString());
    forgetWav();
    RefreshMspView();
    updateTitle();
}

void MspEditorWindow::openDocument()
{
    if (!askSaveModified())
        return;
    const ui::FileDialogResult answer = ui::fileDialog(mspDialog(ui::FileDialogRequest::Mode::Open), this);
    if (answer.cancelled || answer.fileName.isEmpty())
        return;
    openFile(answer.fileName);
}

bool MspEditorWindow::openFile(const QString &path)
{
    msp::MspRecord loaded;
    {
        const ui::BusyPointer busy;
        // An unreadable file leaves the document and its path as they were, so a
        // later Save cannot write the old document over the file chosen here.
        if (!msp::LoadMspFile(path, loaded, nullptr))
            return false;
    }
    m_document->reset({loaded, {}, exporter::readLoopsBeside(path)}, path);
    forgetWav();
    RefreshMspView();
    updateTitle();
    util::rememberDocument(util::FileKind::Msp, path);
    refreshRecentDocuments();
    return true;
}

bool MspEditorWindow::saveTo(const QString &path, bool replaceConfirmed)
{
    // A file that is not a multisample (one opened by mistake, shown as not valid)
    // is only written over once the user agrees.
    if (!replaceConfirmed && msp::holdsOtherThanMultisample(path)
        && ui::message(tr("The file %1 is not a multisample (MSP) file.\r\n\r\n"
                                      "Do you want to write the multisample over it ?")
                           .arg(path),
                       ui::Buttons::YesNo, ui::Icon::Exclamation, ui::kProgramTitle, this)
               != ui::Answer::Yes)
        return false;
    SaveResult result;
    {
        const ui::BusyPointer busy;
        result = msp::SaveMspFile(path, m_document->record());
        // Its loops go with it; the MSP's own bytes have no room for them.
        if (result.ok)
            if (const SaveResult loops = exporter::saveLoopsBeside(path, m_document->content().loops, m_document->record()); !loops.ok)
                result = {false, tr("%1: %2").arg(QDir::toNativeSeparators(exporter::loopsFilePath(path)), loops.error)};
    }
    if (!result.ok) {
        ui::message(tr("The file %1 could not be saved:\r\n%2").arg(path, result.error),
                    ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, this);
        return false;
    }
    // The document takes the name it was saved under only once it is really there;
    // the view then finds the samples beside it.
    m_document->markSaved(path);
    RefreshMspView();
    updateTitle();
    util::rememberDocument(util::FileKind::Msp, path);
    refreshRecentDocuments();
    return true;
}

void MspEditorWindow::saveDocument() { save(); }

bool MspEditorWindow::save()
{
    if (m_document->path().isEmpty()) {
        saveDocumentAs();
        return !m_document->path().isEmpty() && !m_document->isModified();
    }
    return saveTo(m_document->path());
}

void MspEditorWindow::saveDocumentAs()
{
    ui::FileDialogRequest request = mspDialog(ui::FileDialogRequest::Mode::Save);
    // A new set belongs beside its samples, where the keyboard looks for them; never
    // in an imported SoundFont's temporary folder, which goes when TAMO quits.
    const QString current = m_document->path();
    const QString temporary = m_keyboardTools->soundFontFolder();
    if (current.isEmpty()) {
        for (int slot = 1; slot <= record().usedSlotCount(); ++slot) {
            const QString source = sampleSourceFile(slot);
            if (!source.isEmpty() && (temporary.isEmpty() || QFileInfo(QFileInfo(source).absolutePath()) != QFileInfo(temporary))) {
                request.initialFolder = QFileInfo(source).absolutePath();
                break;
            }
        }
    }
    const QString path = ui::askSavePath(request, QStringLiteral(".MSP"), current, this);
    if (path.isEmpty())
        return;
    // The document takes the new name only once it is really there. Replacing another
    // file was agreed to in askSavePath; its own file was not asked about.
    const bool ownFile = !current.isEmpty() && QFileInfo(path) == QFileInfo(current);
    saveTo(path, !ownFile && QFileInfo::exists(path));
}

void MspEditorWindow::quit() { requestQuit(); }

bool MspEditorWindow::requestQuit()
{
    if (!askSaveModified())
        return false;
    ui::quitProgram();
    return true;
}

void MspEditorWindow::showAbout()
{
    ui::message(tr("MultiSamPles (MSP) Files Editor for Ketron SD1\r\n\r\n"
                               "V1.04    Uncompleted Version !!!\r\n\r\n"
                               "TAMO is free software under the GNU General Public License, version 3 "
                               "or later (GPL-3.0-or-later). It comes with no warranty."),
                ui::Buttons::Ok, ui::Icon::None, QStringLiteral("TAMO"), this);
}

bool MspEditorWindow::askSaveModified()
{
    if (!m_document->isModified())
        return true;
    const ui::Answer answer =
        ui::message(tr("The file was modified.\r\n\r\nDo you want to save the modifications ?"),
                    ui::Buttons::YesNoCancel, ui::Icon::Question, tr("MSP Editor"), this);
    if (answer == ui::Answer::Yes)
        return save();
    return answer == ui::Answer::No;
}

void MspEditorWindow::closeEvent(QCloseEvent *event)
{
    // Cancel, or a save that did not happen, keeps the window and its work.
    if (askSaveModified())
        event->accept();
    else
        event->ignore();
}

void MspEditorWindow::addSamples()
{
    ui::FileDialogRequest request;
    request.mode = ui::FileDialogRequest::Mode::Open;
    request.initialFolder = util::startFolder(util::FileKind::Wav);
    request.title = tr("Selectionner un ou plusieurs fichier(s) WAV");
    request.multiSelect = true;
    // Then every sound the export converts for the keyboard.
    request.filter = tr("Wav Files (*.WAV)|*.WAV|Sound Files (*.WAV;*.FLAC;*.AIF;*.AIFF;*.OGG)|"
                                    "*.WAV;*.FLAC;*.AIF;*.AIFF;*.OGG");
    request.maxLength = 32000;
    const ui::FileDialogResult answer = ui::fileDialog(request, this);
    if (answer.cancelled)
        return;
    const ui::BusyPointer busy;
    // Marked modified even when the dialog named nothing, like every add.
    addWavFiles(answer.paths());
}

void MspEditorWindow::addWavFiles(const QStringList &chosen)
{
    MspContent after = m_document->content();
    msp::MspRecord &added = after.record;
    if (!chosen.isEmpty())
        util::rememberFolder(util::FileKind::Wav, QFileInfo(chosen.first()).absolutePath());
    // A file no sound can be read from (a text named .wav) is refused now, not at the export.
    QStringList longPaths, refused;
    for (const QString &path : chosen) {
        if (const wav::FormatCheck check = wav::checkKeyboardFormat(path); check.readable)
            longPaths << path;
        else
            refused << tr("%1: %2").arg(util::fileNameExtract(path), check.reason);
    }
    if (!refused.isEmpty())
        ui::message(tr("Not added, no sound can be read from them:\r\n%1").arg(refused.join(QStringLiteral("\r\n"))),
                    ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, this);
    const exporter::AddResult result = exporter::addSoundFiles(added, longPaths);
    for (const exporter::AddedSample &sample : result.added) {
        after.sources.at(std::size_t(sample.slot - 1)) = QFileInfo(sample.path).absoluteFilePath();
        // The sample finds its file by the short name alone: another file on the same
        // one would leave it without a file, so the user hears of it now.
        const QStringList clashes = util::shortNameClashes(sample.path);
        if (!clashes.isEmpty())
            ui::message(tr("The files \"%1\" and \"%2\" have the same short name %3 in "
                                       "their folder, so the sample cannot find its file.\r\n"
                                       "Rename one of them !")
                            .arg(util::fileNameExtract(sample.path), clashes.join(QStringLiteral("\", \"")),
                                 util::fileNameExtract(util::ShortFileName(sample.path))),
                        ui::Buttons::Ok, ui::Icon::Exclamation, ui::kProgramTitle, this);
    }
    if (result.limitReached)
        ui::message(tr("You can use only 64 Wav files in a Msp!"), ui::Buttons::Ok,
                    ui::Icon::Exclamation, ui::kProgramTitle, this);
    const int before = record().sampleCount();
    {
        // The list is left with no line selected.
        const QScopedValueRollback keep(m_keepSelection, false);
        m_document->change(tr("Add Wav Sample"), after);
    }
    if (record().sampleCount() > before)
        Q_EMIT samplesAdded(before + 1, record().sampleCount());
}

void MspEditorWindow::removeSelectedSample()
{
    MspContent after = m_document->content();
    const int k = selectedSlot();
    if (m_sampleList->count() > 0 && k > 0) {
        after.record.removeSlot(k);
        std::move(after.sources.begin() + k, after.sources.end(), after.sources.begin() + k - 1);
        after.sources.back() = {};
    }
    // Marked modified in every case, also with nothing removed; a removal leaves
    // no line selected.
    const QScopedValueRollback keep(m_keepSelection, k == 0);
    m_document->change(tr("Remove Selected Sample"), after);
}

void MspEditorWindow::loadImportedDocument(const MspContent &content)
{
    // Nothing of it is on disk yet: no state of the stack is clean until a save.
    m_document->reset(content, QString(), false);
    forgetWav();
    RefreshMspView();
    updateTitle();
}

void MspEditorWindow::contentChanged()
{
    const int slot = selectedSlot();
    m_wavPanel->showKeptLoop();
    RefreshMspView();
    if (m_keepSelection)
        selectSlot(slot);
}

void MspEditorWindow::recordFileWrite(const QString &tool, const QString &path, const std::optional<QByteArray> &before)
{
    QFile file(path);
    std::optional<QByteArray> after;
    if (file.open(QIODevice::ReadOnly))
        after = file.readAll();
    const QString shown = QDir::toNativeSeparators(path);
    undoStack()->push(new FileWriteCommand(tool, path, before, after, [this, shown, path](const QString &error) {
        m_wavPanel->reloadIfCurrent(path);
        statusBar()->showMessage(error.isEmpty() ? tr("Put back: %1").arg(shown) : error);
    }));
    statusBar()->showMessage(tr("%1 wrote %2").arg(tool, shown));
}

void MspEditorWindow::updateTitle()
{
    const QString name = util::fileNameExtract(m_document->path());
    setWindowTitle(name.isEmpty() ? tr("[*]   MSP Editor for KETRON SD1")
                                  : tr("%1[*] — MSP Editor for KETRON SD1").arg(name));
}

void MspEditorWindow::refreshRecentDocuments()
{
    const QStringList recent = util::recentDocuments(util::FileKind::Msp);
    for (qsizetype i = 0; i < m_recentActions.size(); ++i) {
        QAction *action = m_recentActions.at(i);
        const bool shown = i < recent.size();
        action->setVisible(shown);
        if (!shown)
            continue;
        action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(util::fileNameExtract(recent.at(i))));
        action->setStatusTip(recent.at(i));
        action->setData(recent.at(i));
    }
}

QStringList MspEditorWindow::acceptedDrop(const QDropEvent *event, bool *isMsp) const
{
    QStringList msp;
    QStringList wavs;
    for (const QUrl &url : event->mimeData()->urls()) {
        const QString path = QDir::toNativeSeparators(url.toLocalFile());
        const QString suffix = QFileInfo(path).suffix().toLower();
        if (suffix == u"msp" || suffix == u"sfz" || suffix == u"sf2" || suffix == u"sf3")
            msp << path;
        else if (QStringList{QStringLiteral("wav"), QStringLiteral("aif"), QStringLiteral("aiff"), QStringLiteral("flac"), QStringLiteral("ogg")}.contains(suffix))
            wavs << path;
    }
    *isMsp = msp.size() == 1 && wavs.isEmpty();
    if (*isMsp)
        return msp;
    // Sound files are added wherever on the window they land.
    return msp.isEmpty() ? wavs : QStringList();
}

void MspEditorWindow::dragEnterEvent(QDragEnterEvent *event)
{
    // Taken at once when it holds files: where it may land is told while it moves.
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void MspEditorWindow::dragMoveEvent(QDragMoveEvent *event)
{
    bool isMsp = false;
    if (acceptedDrop(event, &isMsp).isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
}

void MspEditorWindow::dropEvent(QDropEvent *event)
{
    bool isMsp = false;
    const QStringList files = acceptedDrop(event, &isMsp);
    if (files.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    if (isMsp) {
        if (!files.first().endsWith(QStringLiteral(".msp"), Qt::CaseInsensitive))
            Q_EMIT sfzDropped(files.first());
        else if (askSaveModified())
            openFile(files.first());
        return;
    }
    const ui::BusyPointer busy;
    addWavFiles(files);
}

} // namespace tamo::msp_editor
