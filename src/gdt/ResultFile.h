#pragma once

#include <QByteArray>
#include <QString>

namespace kavio::gdt {

struct LinkSettings;

// What became of a result file.
struct ResultFileOutcome {
    enum class State {
        Written, // fileName is in the folder
        Later,   // the folder is not there or the name not free: try again later
        Failed,  // could not be written; problem says why
    };
    State state = State::Failed;
    QString fileName;
    QString problem; // German, for the status line
};

// Puts bytes into the exchange folder as the next file from this program to the practice
// software. They are written under a temporary name and renamed when complete, so the
// practice software never reads half a file; an existing file is never replaced.
ResultFileOutcome writeResultFile(const LinkSettings &link, const QByteArray &bytes);

} // namespace kavio::gdt
