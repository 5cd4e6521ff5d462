#include "helper_editor.h"

#include "msp_editor/mspeditorwindow.h"
#include "testsupport.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
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

QStringList split(const char *texts)
{
    return QString::fromUtf8(texts).split(u'|', Qt::SkipEmptyParts);
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
