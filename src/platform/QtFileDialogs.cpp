#include "platform/QtFileDialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>

namespace kavio {

QString QtFileDialogs::chooseFolder(const QString &prompt)
{
    return QFileDialog::getExistingDirectory(QApplication::activeWindow(), prompt);
}

QString QtFileDialogs::chooseFile(const QString &startFolder, const QString &title, const QString &filter)
{
    return QFileDialog::getOpenFileName(QApplication::activeWindow(), title, startFolder, filter);
}

QString QtFileDialogs::chooseSaveFile(const QString &proposedPath, const QString &title, const QString &filter)
{
    QFileDialog dialog(QApplication::activeWindow(), title, proposedPath, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // A name typed without the proposed ending gets it before the dialog asks whether to
    // replace a file of that name, not afterwards.
    dialog.setDefaultSuffix(QFileInfo(proposedPath).suffix());
    dialog.selectFile(proposedPath);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
}

} // namespace kavio
