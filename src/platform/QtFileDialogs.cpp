#include "platform/QtFileDialogs.h"

#include <QApplication>
#include <QFileDialog>

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
    return QFileDialog::getSaveFileName(QApplication::activeWindow(), title, proposedPath, filter);
}

} // namespace kavio
