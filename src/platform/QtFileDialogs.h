#pragma once

#include "platform/FileDialogs.h"

namespace kavio {

class QtFileDialogs final : public FileDialogs {
public:
    QString chooseFolder(const QString &prompt) override;
    QString chooseFile(const QString &startFolder, const QString &title, const QString &filter) override;
    QString chooseSaveFile(const QString &proposedPath, const QString &title, const QString &filter) override;
};

} // namespace kavio
