#pragma once

#include <QString>

namespace kavio {

struct Platform;

// File name of the company logo taken over from the host software, in the program folder.
inline QString compLogoFileName()
{
    return QStringLiteral("CompLogoMonitor.tmp");
}

// Writes the host's company logo (Flags.mdb, group 11258) as text plus CR LF to
// CompLogoMonitor.tmp in the program folder, once: an existing file is left as it is.
// A Flags.mdb that cannot be opened has been reported by the opener; nothing is written
// then, and nothing when the record is missing. Never throws.
void SaveCompLogo(const Platform &platform, const QString &groupId);

} // namespace kavio
