#include "gdt/ResultFile.h"

#include "gdt/ExchangeName.h"
#include "gdt/LinkSettings.h"

#include <QDir>
#include <QFile>

namespace kavio::gdt {

ResultFileOutcome writeResultFile(const LinkSettings &link, const QByteArray &bytes)
{
    using State = ResultFileOutcome::State;
    const QDir folder(link.folder);
    const QString shownFolder = QDir::toNativeSeparators(link.folder);
    if (!folder.exists())
        return {State::Later, {}, QStringLiteral("Der Austauschordner %1 ist nicht erreichbar.").arg(shownFolder)};
    const auto name =
        exchangeFileName(link.practiceId, link.ownId, link.counting, folder.entryList(QDir::Files | QDir::Hidden));
    if (!name)
        return {State::Later, {}, QStringLiteral("Die Praxissoftware hat das letzte Ergebnis noch nicht abgeholt.")};
    const QString target = folder.filePath(*name);
    QFile temporary(folder.filePath(name->left(8) + QStringLiteral(".tmp")));
    const bool written = temporary.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                         temporary.write(bytes) == bytes.size() && temporary.flush();
    temporary.close();
    if (!written || !temporary.rename(target)) {
        const QString why = temporary.errorString();
        temporary.remove();
        return {State::Failed,
                {},
                QStringLiteral("Das Ergebnis konnte nicht in %1 geschrieben werden: %2").arg(shownFolder, why)};
    }
    return {State::Written, *name, {}};
}

} // namespace kavio::gdt
