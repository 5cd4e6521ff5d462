// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/startup.h"

#include "msp_editor/mspeditorwindow.h"
#include "usd/drumkitwindow.h"
#include "usv/uservoicewindow.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace tamo::app {

namespace {

template <class Editor>
Editor *showEditor()
{
    // Destroyed when closed, as when the launcher opens it.
    auto *editor = new Editor();
    editor->setAttribute(Qt::WA_DeleteOnClose);
    editor->show();
    return editor;
}

const QString kTranslatorName = QStringLiteral("TamoTranslator");

void addTranslator(std::unique_ptr<QTranslator> translator)
{
    translator->setObjectName(kTranslatorName);
    translator->setParent(QCoreApplication::instance()); // lives as long as the application
    QCoreApplication::installTranslator(translator.release());
}

} // namespace

QString translationFile(const QLocale &locale)
{
    // LANGUAGE comes first in uiLanguages(), so it chooses over LANG.
    const QStringList languages = locale.uiLanguages();
    const QLocale first = languages.isEmpty() ? locale : QLocale(languages.first());
    if (first.language() == QLocale::C)
        return {};
    if (first.language() == QLocale::French)
        return QStringLiteral(":/i18n/tamo_fr.qm");
    return QStringLiteral(":/i18n/tamo_en.qm");
}

void installTranslations(const QLocale &locale)
{
    QCoreApplication *application = QCoreApplication::instance();
    for (QTranslator *old : application->findChildren<QTranslator *>(kTranslatorName, Qt::FindDirectChildrenOnly)) {
        QCoreApplication::removeTranslator(old);
        delete old;
    }
    const QString file = translationFile(locale);
    if (file.isEmpty())
        return;
    // Qt's own texts (the standard buttons), where the package that holds them is installed.
    auto qt = std::make_unique<QTranslator>();
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        addTranslator(std::move(qt));
    auto tamo = std::make_unique<QTranslator>();
    if (tamo->load(file))
        addTranslator(std::move(tamo));
}

void openInEditor(FileKind kind, const QString &path)
{
    // Shown first, so that a message about the file sits over its editor.
    switch (kind) {
    case FileKind::Msp:
        showEditor<msp_editor::MspEditorWindow>()->openFile(path);
        break;
    case FileKind::Usd:
        showEditor<usd::DrumKitWindow>()->openDropped(1, path);
        break;
    case FileKind::Usv:
        showEditor<usv::UserVoiceWindow>()->openDropped(1, path);
        break;
    case FileKind::Wav:
    case FileKind::Sfz:
    case FileKind::Export:
        break; // never asked for: the command line takes only the three documents
    }
}

} // namespace tamo::app
