// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/platform.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace tamo::ui {

QStringList FileDialogResult::paths() const
{
    if (cancelled || fileName.isEmpty())
        return {};
    const QStringList parts = fileName.split(QChar(u'\0'));
    if (parts.size() == 1)
        return parts;
    QStringList result;
    const QDir folder(parts.first());
    for (qsizetype i = 1; i < parts.size(); ++i)
        result << folder.filePath(parts.at(i));
    return result;
}

namespace {

class RealPlatform final : public Platform {
public:
    Answer showMessage(const MessageBox &box, QWidget *parent) override
    {
        QMessageBox mb(parent);
        mb.setWindowTitle(box.title);
        // The texts separate lines with CR LF; a label wants LF alone.
        mb.setText(QString(box.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        // The details scroll in their own field, so a long report keeps the box on the screen.
        if (!box.details.isEmpty())
            mb.setDetailedText(QString(box.details).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
        switch (box.icon) {
        case Icon::None: mb.setIcon(QMessageBox::NoIcon); break;
        case Icon::Exclamation: mb.setIcon(QMessageBox::Warning); break;
        case Icon::Question: mb.setIcon(QMessageBox::Question); break;
        case Icon::Information: mb.setIcon(QMessageBox::Information); break;
        }
        if (box.buttons == Buttons::YesNoCancel) {
            mb.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            mb.setDefaultButton(QMessageBox::Yes);
            mb.setEscapeButton(QMessageBox::Cancel);
            const int chosen = mb.exec();
            return chosen == QMessageBox::Yes ? Answer::Yes : chosen == QMessageBox::No ? Answer::No : Answer::Cancel;
        }
        if (box.buttons == Buttons::YesNo || box.buttons == Buttons::YesNoDefaultNo) {
            mb.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            mb.setDefaultButton(box.buttons == Buttons::YesNo ? QMessageBox::Yes : QMessageBox::No);
            return mb.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
        }
        mb.setStandardButtons(QMessageBox::Ok);
        mb.exec();
        return Answer::Ok;
    }

    FileDialogResult showFileDialog(const FileDialogRequest &request, QWidget *parent) override
    {
        QFileDialog dialog(parent, request.title, request.initialFolder);
        const QString filter = qtNameFilter(request.filter);
        dialog.setNameFilter(filter);
        if (!filter.isEmpty())
            dialog.selectNameFilter(filter.section(QStringLiteral(";;"), 0, 0));
        if (request.mode == FileDialogRequest::Mode::Folder) {
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            dialog.setFileMode(QFileDialog::Directory);
            dialog.setOption(QFileDialog::ShowDirsOnly, true);
        } else if (request.mode == FileDialogRequest::Mode::Save) {
            dialog.setAcceptMode(QFileDialog::AcceptSave);
            dialog.setFileMode(QFileDialog::AnyFile);
            dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
        } else {
            dialog.setAcceptMode(QFileDialog::AcceptOpen);
            dialog.setFileMode(request.multiSelect ? QFileDialog::ExistingFiles
                                                   : QFileDialog::ExistingFile);
        }
        if (!request.fileName.isEmpty())
            dialog.selectFile(request.fileName);
        FileDialogResult result;
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return result;
        const QStringList files = dialog.selectedFiles();
        if (files.size() == 1) {
            result.fileName = QDir::toNativeSeparators(files.first());
            result.fileTitle = QFileInfo(files.first()).fileName();
        } else {
            QString joined = QDir::toNativeSeparators(QFileInfo(files.first()).absolutePath());
            for (const QString &file : files)
                joined += QChar(u'\0') + QFileInfo(file).fileName();
            result.fileName = joined;
        }
        if (result.fileName.size() > request.maxLength)
            return {};
        result.cancelled = false;
        return result;
    }

    std::optional<QString> askText(const QString &title, const QString &label, const QString &text,
                                   int maxLength, QWidget *parent, const TextCheck &check) override
    {
        QInputDialog dialog(parent);
        dialog.setWindowTitle(title);
        dialog.setLabelText(label);
        dialog.setTextValue(text);
        // The field itself refuses what is too long, as it is typed.
        if (auto *field = dialog.findChild<QLineEdit *>(); field && maxLength > 0)
            field->setMaxLength(maxLength);
        if (check) {
            // The rule is told as the text is typed, and OK waits for a text it takes.
            const auto follow = [&dialog, &label, &check](const QString &typed) {
                const QString problem = check(typed);
                dialog.setLabelText(problem.isEmpty() ? label : label + u'\n' + problem);
                if (auto *buttons = dialog.findChild<QDialogButtonBox *>())
                    if (QPushButton *ok = buttons->button(QDialogButtonBox::Ok))
                        ok->setEnabled(problem.isEmpty());
            };
            QObject::connect(&dialog, &QInputDialog::textValueChanged, &dialog, follow);
            dialog.show(); // the buttons exist once shown
            follow(text);
        }
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.textValue();
    }

    std::optional<QList<bool>> askChoices(const QString &title, const QString &label, const QStringList &choices,
                                          const QList<bool> &checked, QWidget *parent) override
    {
        QDialog dialog(parent);
        dialog.setWindowTitle(title);
        auto *layout = new QVBoxLayout(&dialog);
        layout->addWidget(new QLabel(label, &dialog));
        QList<QCheckBox *> boxes;
        for (qsizetype i = 0; i < choices.size(); ++i) {
            boxes << new QCheckBox(choices.at(i), &dialog);
            boxes.last()->setChecked(checked.value(i));
            layout->addWidget(boxes.last());
        }
        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
        QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
        QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
        layout->addWidget(buttons);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        QList<bool> ticks;
        for (const QCheckBox *box : std::as_const(boxes))
            ticks << box->isChecked();
        return ticks;
    }

    void setBusy(bool busy) override
    {
        if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
            return;
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    }
};

Platform *g_override = nullptr;

} // namespace

// exit() rather than quit(): quit() first sends every window a close event, which
// would ask about unsaved changes; ending at once means asking nothing.
void Platform::quitProgram() { QCoreApplication::exit(0); }

Platform &platform()
{
    static RealPlatform real;
    return g_override ? *g_override : real;
}

void setPlatform(Platform *p) { g_override = p; }

Answer message(const QString &text, Buttons buttons, Icon icon, const QString &title, QWidget *parent)
{
    return platform().showMessage({text, buttons, icon, title}, parent);
}

Answer message(const MessageBox &box, QWidget *parent) { return platform().showMessage(box, parent); }

FileDialogResult fileDialog(const FileDialogRequest &request, QWidget *parent)
{
    return platform().showFileDialog(request, parent);
}

void quitProgram() { platform().quitProgram(); }

std::optional<QString> askText(const QString &title, const QString &label, const QString &text, QWidget *parent,
                               int maxLength, const TextCheck &check)
{
    return platform().askText(title, label, text, maxLength, parent, check);
}

std::optional<QList<bool>> askChoices(const QString &title, const QString &label, const QStringList &choices,
                                      const QList<bool> &checked, QWidget *parent)
{
    return platform().askChoices(title, label, choices, checked, parent);
}

QString qtNameFilter(const QString &filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString &pattern : parts.at(i + 1).split(u';', Qt::SkipEmptyParts)) {
            patterns << pattern;
            if (pattern.toLower() != pattern)
                patterns << pattern.toLower();
        }
        // Qt reads the patterns from the parentheses, so the description keeps none of its own.
        QString description = parts.at(i);
        const qsizetype paren = description.indexOf(u'(');
        if (paren >= 0)
            description = description.left(paren).trimmed();
        filters << QStringLiteral("%1 (%2)").arg(description, patterns.join(u' '));
    }
    return filters.join(QStringLiteral(";;"));
}

QString programFolder()
{
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
}

QString withDefaultExtension(const QString &path, const QString &extension)
{
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    return path + extension;
}

QString askSavePath(const FileDialogRequest &request, const QString &extension, const QString &currentPath,
                    QWidget *parent)
{
    const FileDialogResult answer = fileDialog(request, parent);
    if (answer.cancelled || answer.fileName.isEmpty())
        return {};
    const QString path = withDefaultExtension(answer.fileName, extension);
    const QFileInfo target(path);
    // Saving the open document over its own file needs no question.
    if (target.exists() && !(!currentPath.isEmpty() && target == QFileInfo(currentPath))) {
        const Answer replace =
            message(QCoreApplication::translate("Platform", "The file %1 already exists.\r\nDo you want to replace it ?").arg(path),
                    Buttons::YesNo, Icon::Question, kProgramTitle, parent);
        if (replace != Answer::Yes)
            return {};
    }
    return path;
}

} // namespace tamo::ui
