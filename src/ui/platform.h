// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

namespace tamo::ui {

// The program's own name, the title of every message box given none.
inline const QString kProgramTitle = QStringLiteral("TAMO");

// YesNoDefaultNo: Enter answers No, for a question that risks a file.
enum class Buttons { Ok, YesNo, YesNoCancel, YesNoDefaultNo };
enum class Icon { None, Exclamation, Question, Information };
// Escape or closing a Yes/No/Cancel box answers Cancel.
enum class Answer { Ok, Yes, No, Cancel };

struct MessageBox {
    QString text;
    Buttons buttons = Buttons::Ok;
    Icon icon = Icon::None;
    QString title = kProgramTitle;
    // Lines shown only when the user opens the box's details, scrolled there.
    QString details = {};

    bool operator==(const MessageBox &) const = default;
};

// What is wrong with a text as typed so far; empty when it may be taken.
using TextCheck = std::function<QString(const QString &text)>;

struct FileDialogRequest {
    enum class Mode { Open, Save, Folder }; // Folder: an existing folder is chosen
    Mode mode = Mode::Open;
    QString initialFolder;
    QString title;
    // "description|pattern" pairs joined by "|", e.g. "Wav Files (*.WAV)|*.WAV".
    QString filter;
    // Preset file name shown in the name field.
    QString fileName;
    bool multiSelect = false;
    // Room for the returned names, in characters; longer answers are an error.
    int maxLength = 260;
};

struct FileDialogResult {
    bool cancelled = true;
    // One file: its full path. Several: the folder, then "\0" + name for each file.
    QString fileName;
    // The name part of the single file chosen (empty for several).
    QString fileTitle;

    // The full paths named by fileName, whatever its form.
    QStringList paths() const;
};

// The one door to the platform's message boxes, file dialogs and busy pointer.
class Platform {
public:
    virtual ~Platform() = default;
    virtual Answer showMessage(const MessageBox &box, QWidget *parent) = 0;
    virtual FileDialogResult showFileDialog(const FileDialogRequest &request, QWidget *parent) = 0;
    virtual void setBusy(bool busy) = 0;
    // Ends the whole program at once: no window is asked whether it may close.
    virtual void quitProgram();
    // A line of text typed by the user, at most maxLength characters (0: any) as the
    // field takes them; nullopt when cancelled. With check, its answer shows under the
    // field while the user types, and OK waits until it has nothing to say.
    virtual std::optional<QString> askText(const QString &title, const QString &label, const QString &text,
                                           int maxLength, QWidget *parent, const TextCheck &check) = 0;
    // Choices to tick, ticked at first as checked says; the ticks as left on OK,
    // nullopt when cancelled.
    virtual std::optional<QList<bool>> askChoices(const QString &title, const QString &label,
                                                  const QStringList &choices, const QList<bool> &checked,
                                                  QWidget *parent) = 0;
};

// The platform in use: the real one unless a test has installed another.
Platform &platform();
// Installs p (not owned) for every later call; nullptr returns to the real platform.
void setPlatform(Platform *p);

// Shorthands over platform().
Answer message(const QString &text, Buttons buttons = Buttons::Ok, Icon icon = Icon::None,
               const QString &title = kProgramTitle, QWidget *parent = nullptr);
// A box whose text is a short summary, with the long part behind its details button.
Answer message(const MessageBox &box, QWidget *parent = nullptr);
FileDialogResult fileDialog(const FileDialogRequest &request, QWidget *parent = nullptr);
void quitProgram();
std::optional<QString> askText(const QString &title, const QString &label, const QString &text,
                               QWidget *parent = nullptr, int maxLength = 0, const TextCheck &check = {});
std::optional<QList<bool>> askChoices(const QString &title, const QString &label, const QStringList &choices,
                                      const QList<bool> &checked, QWidget *parent = nullptr);

// Shows the busy pointer for its lifetime.
class BusyPointer {
public:
    BusyPointer() { platform().setBusy(true); }
    ~BusyPointer() { platform().setBusy(false); }
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;
};

// "Wav Files (*.WAV)|*.WAV" as a Qt name filter, "Wav Files (*.WAV *.wav)": each
// pattern also in lower case, since the file system may tell case apart.
QString qtNameFilter(const QString &filter);

// The folder of the running program, where file dialogs start.
QString programFolder();

// path with extension (".MSP") added when its file name has none.
QString withDefaultExtension(const QString &path, const QString &extension);

// A Save dialog for request: the name chosen, given the extension when typed without
// one. An existing file other than currentPath is replaced only after the user
// agrees. Empty when the user cancels either question.
QString askSavePath(const FileDialogRequest &request, const QString &extension, const QString &currentPath,
                    QWidget *parent = nullptr);

} // namespace tamo::ui
