#include "gdt/LinkSettings.h"

#include "platform/Settings.h"

#include <QDir>
#include <QFileInfo>

namespace kavio::gdt {

namespace {

const QString kApplication = QStringLiteral("KavioSegment");
const QString kSection = QStringLiteral("GDT");
const QString kEnabled = QStringLiteral("Aktiv");
const QString kFolder = QStringLiteral("Austauschordner");
const QString kOwnId = QStringLiteral("EigeneKennung");
const QString kPracticeId = QStringLiteral("PraxisKennung");
const QString kCharset = QStringLiteral("Zeichensatz");
const QString kCounting = QStringLiteral("ZaehlendeEndung");

// Ids name the exchange files, so only what every file system takes is allowed.
QString idProblem(const QString &id, const QString &whose)
{
    static const QString allowed = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789");
    if (id.size() < 4 || id.size() > 8)
        return QStringLiteral("Die Kennung %1 muss 4 bis 8 Zeichen lang sein.").arg(whose);
    for (QChar c : id)
        if (!allowed.contains(c))
            return QStringLiteral("Die Kennung %1 darf nur Buchstaben A-Z und Ziffern enthalten.").arg(whose);
    return {};
}

} // namespace

LinkSettings loadLinkSettings(const Settings &settings)
{
    auto text = [&](const QString &key) { return settings.ownSetting(kApplication, kSection, key).trimmed(); };
    LinkSettings link;
    link.enabled = text(kEnabled) == QLatin1String("1");
    link.folder = text(kFolder);
    if (const QString id = text(kOwnId); !id.isEmpty())
        link.ownId = id;
    if (const QString id = text(kPracticeId); !id.isEmpty())
        link.practiceId = id;
    link.charset = charsetOfCode(text(kCharset).toLatin1()).value_or(kDefaultCharset);
    link.counting = text(kCounting) == QLatin1String("1");
    return link;
}

void saveLinkSettings(Settings &settings, const LinkSettings &link)
{
    auto set = [&](const QString &key, const QString &value) {
        settings.setOwnSetting(kApplication, kSection, key, value);
    };
    auto flag = [](bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); };
    set(kEnabled, flag(link.enabled));
    set(kFolder, link.folder);
    set(kOwnId, link.ownId);
    set(kPracticeId, link.practiceId);
    set(kCharset, QString::fromLatin1(charsetCode(link.charset)));
    set(kCounting, flag(link.counting));
}

QString linkSettingsProblem(const LinkSettings &link)
{
    for (const QString &problem : {idProblem(link.ownId, QStringLiteral("dieses Programms")),
                                   idProblem(link.practiceId, QStringLiteral("der Praxissoftware"))})
        if (!problem.isEmpty())
            return problem;
    // The file names carry the first four characters: equal ones would make the program
    // read its own results as requests.
    if (link.ownId.left(4).compare(link.practiceId.left(4), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Die Kennungen dieses Programms und der Praxissoftware müssen sich in den ersten vier "
                              "Zeichen unterscheiden.");
    if (!link.enabled)
        return {};
    if (link.folder.isEmpty())
        return QStringLiteral("Bitte wählen Sie den Austauschordner.");
    const QFileInfo folder(link.folder);
    if (!folder.isAbsolute())
        return QStringLiteral("Bitte geben Sie den Austauschordner mit vollständigem Pfad an.");
    if (!folder.isDir())
        return QStringLiteral("Der Austauschordner %1 ist nicht vorhanden oder nicht erreichbar.")
            .arg(QDir::toNativeSeparators(link.folder));
    if (!folder.isWritable())
        return QStringLiteral("In den Austauschordner %1 darf dieses Programm nicht schreiben.")
            .arg(QDir::toNativeSeparators(link.folder));
    return {};
}

} // namespace kavio::gdt
