#pragma once

#include <QString>

namespace kavio {

class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    // Folder browser; empty text when the operator cancels.
    virtual QString chooseFolder(const QString &prompt) = 0;
    // Open-file dialog; filter in Qt's form ("Datenbank (*.mdb);;Alle Dateien (*)").
    // Empty text when the operator cancels.
    virtual QString chooseFile(const QString &startFolder, const QString &title, const QString &filter) = 0;
    // Save-file dialog starting at the proposed path; a name typed without the proposed
    // path's ending gets it, and the dialog asks before replacing a file. Empty text when
    // the operator cancels.
    virtual QString chooseSaveFile(const QString &proposedPath, const QString &title, const QString &filter) = 0;
};

} // namespace kavio
