#include "app/Errors.h"

#include <QSqlError>

namespace kavio {

QString describe(RunError error)
{
    switch (error) {
    case RunError::Overflow:
        return QStringLiteral("Überlauf");
    case RunError::DivisionByZero:
        return QStringLiteral("Division durch Null");
    case RunError::TypeMismatch:
        return QStringLiteral("Typen unverträglich");
    case RunError::FileNotFound:
        return QStringLiteral("Datei nicht gefunden");
    case RunError::PathAccess:
        return QStringLiteral("Fehler beim Zugriff auf Pfad/Datei");
    case RunError::InvalidNull:
        return QStringLiteral("Unzulässige Verwendung von Null");
    case RunError::PrinterError:
        return QStringLiteral("Druckerfehler");
    case RunError::NoCurrentRow:
        return QStringLiteral("Kein aktueller Datensatz");
    case RunError::UnknownDatabaseFormat:
        return QStringLiteral("Nicht erkanntes Datenbankformat");
    }
    return QStringLiteral("Anwendungsdefinierter Fehler");
}

KavioError::KavioError(int number, const QString &description)
    : std::runtime_error(description.toStdString()), m_number(number), m_description(description)
{}

KavioError::KavioError(RunError error) : KavioError(static_cast<int>(error), describe(error)) {}

KavioError KavioError::fromSql(const QSqlError &error)
{
    bool ok = false;
    int code = error.nativeErrorCode().toInt(&ok);
    if (!ok)
        code = static_cast<int>(error.type());
    QString text = error.databaseText();
    if (text.isEmpty())
        text = error.driverText();
    // The PostgreSQL driver appends the error's state in parentheses, empty when the
    // connection broke; an empty pair tells the operator nothing.
    if (text.endsWith(QLatin1String("()")))
        text = text.chopped(2).trimmed();
    return KavioError(code, text);
}

QString errorForm(int number, const QString &description, const QString &procedure, const QString &form)
{
    return QStringLiteral("Error %1 (%2) in procedure %3 of Formular %4").arg(number).arg(description, procedure, form);
}

QString errorForm(const KavioError &e, const QString &procedure, const QString &form)
{
    return errorForm(e.number(), e.description(), procedure, form);
}

QString errorFormModul(const KavioError &e, const QString &procedure, const QString &module)
{
    return QStringLiteral("Error %1 (%2) in procedure %3 of Modul %4")
        .arg(e.number())
        .arg(e.description(), procedure, module);
}

QString fehlerForm(const KavioError &e, const QString &routine)
{
    return QStringLiteral("Fehler%1 (%2) in Prozedur %3 ").arg(e.number()).arg(e.description(), routine);
}

} // namespace kavio
