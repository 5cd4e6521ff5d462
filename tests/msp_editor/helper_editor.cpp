#include "helper_editor.h"

#include "msp_editor/mspeditorwindow.h"
#include "testsupport.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace tamo::test::editor {

msp::MspRecord documentWith(const QStringList &names, const QList<QPair<qsizetype, quint8>> &bytes)
{
    msp::MspRecord record = msp::MspRecord::newDocument();
    for (int i = 0; i < names.size(); ++i)
        record.setSampleName(i + 1, names.at(i).toLatin1());
    record.setGlobal(msp::GlobalField::SampleCount, quint8(names.size()));
    QByteArray image = record.bytes();
    for (const auto &[offset, value] : bytes)
        image[offset] = char(value);
    return msp::MspRecord::fromBytes(image);
}

void showRecord(msp_editor::MspEditorWindow &form, const msp::MspRecord &record)
{
    form.record() = record;
    form.RefreshMspView();
}

QString shown(const QWidget &window, const QString &name)
{
    if (const auto *edit = window.findChild<QLineEdit *>(name))
        return edit->text();
    const auto *label = window.findChild<QLabel *>(name);
    return label ? label->text() : QStringLiteral("<no %1>").arg(name);
}

QStringList listed(const msp_editor::MspEditorWindow &form)
{
    QStringList lines;
    const auto *list = form.findChild<QListWidget *>(QStringLiteral("List1"));
    for (int i = 0; i < list->count(); ++i)
        lines << list->item(i)->text();
    return lines;
}

QStringList split(const char *texts)
{
    const QString all = QString::fromUtf8(texts);
    return all.isEmpty() ? QStringList() : all.split(u'|');
}

bool touch(const QString &path)
{
    return QDir().mkpath(QFileInfo(path).absolutePath()) && writeAll(path, QByteArray("RIFF"));
}

void run(msp_editor::MspEditorWindow &form, const QString &command)
{
    if (command == u"close")
        form.close();
    else if (auto *button = form.findChild<QPushButton *>(command))
        button->click();
    else if (auto *action = form.findChild<QAction *>(command))
        action->trigger();
    else
        qFatal("no command %s", qPrintable(command));
}

} // namespace tamo::test::editor
