#pragma once

#include "gdt/GdtCharset.h"

#include <QString>

namespace kavio {
class Settings;
}

namespace kavio::gdt {

// How the program takes part in the practice software's exchange, as the operator set it
// in "GDT-Einstellungen". Kept in the program's own per-user settings, section "GDT".
struct LinkSettings {
    bool enabled = false;
    QString folder;                              // the exchange folder
    QString ownId = QStringLiteral("KAVI");      // 8315 of requests, 8316 of results
    QString practiceId = QStringLiteral("PRAX"); // 8316 of requests, 8315 of results
    Charset charset = kDefaultCharset;           // of the results written
    bool counting = false;                       // .001, .002 ... instead of .GDT

    bool operator==(const LinkSettings &) const = default;
};

LinkSettings loadLinkSettings(const Settings &settings);
void saveLinkSettings(Settings &settings, const LinkSettings &link);

// What keeps the settings from being used, as German text for the operator; empty when
// they can be. Switched off, only the ids are checked.
QString linkSettingsProblem(const LinkSettings &link);

} // namespace kavio::gdt
