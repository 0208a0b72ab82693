#pragma once

#include <QString>

namespace kavio {

class Shell {
public:
    virtual ~Shell() = default;
    // Opens a document with the program associated with its type.
    virtual bool openFile(const QString &path) = 0;
    // Starts a program in a normal window.
    virtual bool startProgram(const QString &path) = 0;
};

class DesktopShell final : public Shell {
public:
    bool openFile(const QString &path) override;
    bool startProgram(const QString &path) override;
};

} // namespace kavio
