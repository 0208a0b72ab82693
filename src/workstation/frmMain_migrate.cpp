// Menu "Einstellungen", "Datenbank auf den Server übertragen …": the administrator copies
// this workstation's segment database file into the empty schema on the server the own
// settings name (Migration.cpp does the copy and the comparison, all or nothing).
#include "app/Errors.h"
#include "db/Database.h"
#include "db/Migration.h"
#include "db/RepositoryChoice.h"
#include "platform/LongWork.h"
#include "platform/Messages.h"
#include "platform/Settings.h"
#include "ui_frmMain.h"
#include "workstation/frmMain.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>

namespace kavio {

namespace {

QString serverText(const ServerAddress &a)
{
    return QStringLiteral("Server %1:%2, Datenbank %3, Schema %4%5")
        .arg(a.host)
        .arg(a.port)
        .arg(a.database, a.schema, a.user.isEmpty() ? QString() : QStringLiteral(", Benutzer %1").arg(a.user));
}

} // namespace

void frmMain::setupMigration()
{
    QAction *action = ui->menuEinstellungen->addAction(QStringLiteral("Datenbank auf den Server übertragen …"));
    action->setObjectName(QStringLiteral("mnuDatenbankUebertragen"));
    connect(action, &QAction::triggered, this, &frmMain::mnuDatenbankUebertragen_Click);
}

void frmMain::mnuDatenbankUebertragen_Click()
{
    Messages &messages = *m_platform.messages;
    const DatabaseChoice target = configuredServer(*m_platform.settings);
    if (!target.problem.isEmpty()) {
        messages.stop(target.problem + QStringLiteral("\nEs wurde nichts übertragen."));
        return;
    }
    if (!target.server) {
        messages.info(QStringLiteral("Es ist kein Datenbankserver eingestellt. Tragen Sie Datenbank\\Server, "
                                     "Datenbank\\Datenbank und Datenbank\\Benutzer in die eigenen Einstellungen "
                                     "(own-settings.ini) ein. Es wurde nichts übertragen."));
        return;
    }
    const ServerAddress &server = *target.server;
    const QString file = QDir::toNativeSeparators(segmentePath(m_platform));
    if (!QFileInfo::exists(file)) {
        messages.stop(
            QStringLiteral("Die Segmentdatenbank %1 ist nicht vorhanden. Es wurde nichts übertragen.").arg(file));
        return;
    }
    // Values not yet stored would not be on the server, and the switch below ends the program.
    if (m_session->unsaved()) {
        messages.info(QStringLiteral("Es gibt noch nicht gespeicherte Messwerte. Bitte speichern Sie sie zuerst."));
        return;
    }
    if (!messages.ask(QStringLiteral("Die Segmentdatenbank\n%1\nwird auf den Datenbankserver kopiert:\n%2\n\n"
                                     "Das Schema muss leer sein; enthält es bereits Daten, wird nichts kopiert.\n"
                                     "Jetzt übertragen?")
                          .arg(file, serverText(server)))) {
        messages.info(QStringLiteral("Vorgang abgebrochen"));
        return;
    }
    QStringList tables;
    try {
        m_platform.longWork->run(QStringLiteral("Die Segmentdatenbank wird auf den Server übertragen …"),
                                 [&] { tables = migrateToServer(file, server); });
    } catch (const KavioError &e) {
        messages.stop(QStringLiteral("Die Segmentdatenbank wurde nicht auf den Server übertragen; dort wurden "
                                     "keine Daten geschrieben.\n") +
                      e.description().trimmed());
        return;
    }
    const QString copied = QStringLiteral("Die Segmentdatenbank wurde auf den Server übertragen und geprüft "
                                          "(Zeilen und Summen je Tabelle stimmen überein):\n") +
                           tables.join(QLatin1Char('\n'));
    if (databaseChoice(*m_platform.settings).server) {
        messages.info(copied + QStringLiteral("\n\nDieser Arbeitsplatz arbeitet bereits mit der Datenbank auf dem "
                                              "Server."));
        showOtherWorkstationsChanges();
        return;
    }
    // The running window keeps its file until the next start; ending it now keeps anything
    // from being stored into the file that the server no longer sees.
    if (messages.ask(copied + QStringLiteral("\n\nDieser Arbeitsplatz arbeitet noch mit der Datei %1.\n"
                                             "Soll er ab jetzt mit der Datenbank auf dem Server arbeiten "
                                             "(Einstellung Datenbank\\Art = PostgreSQL)? Das Programm wird dafür "
                                             "beendet und arbeitet beim nächsten Start mit dem Server.")
                                  .arg(file))) {
        m_platform.settings->setOwnSetting(QStringLiteral("KavioSegment"), QStringLiteral("Datenbank"),
                                           QStringLiteral("Art"), QStringLiteral("PostgreSQL"));
        cmdBeenden_Click();
    }
}

} // namespace kavio
