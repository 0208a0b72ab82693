#pragma once

#include <QString>
#include <stdexcept>

class QSqlError;

namespace kavio {

// Run-time failures of the program's own, numbered as the operator knows them from the
// error form. Database failures carry the engine's own code and text instead.
enum class RunError : int {
    Overflow = 6,                 // "Überlauf": a value outside the 16-bit or 32-bit range
    DivisionByZero = 11,          // "Division durch Null"
    TypeMismatch = 13,            // "Typen unverträglich": a text that is not a number or date
    FileNotFound = 53,            // "Datei nicht gefunden"
    PathAccess = 75,              // "Fehler beim Zugriff auf Pfad/Datei"
    InvalidNull = 94,             // "Unzulässige Verwendung von Null": an empty value where one is needed
    PrinterError = 482,           // "Druckerfehler"
    NoCurrentRow = 3021,          // "Kein aktueller Datensatz"
    UnknownDatabaseFormat = 3343, // "Nicht erkanntes Datenbankformat": a file of a newer program version
};

QString describe(RunError error);

// A failure on its way to the operator: number and description for the error form.
class KavioError : public std::runtime_error {
public:
    KavioError(int number, const QString &description);
    explicit KavioError(RunError error);
    static KavioError fromSql(const QSqlError &error);

    int number() const { return m_number; }
    const QString &description() const { return m_description; }

private:
    int m_number;
    QString m_description;
};

// "Error <n> (<description>) in procedure <procedure> of Formular <form>"
QString errorForm(int number, const QString &description, const QString &procedure, const QString &form);
QString errorForm(const KavioError &e, const QString &procedure, const QString &form);
// "Error <n> (<description>) in procedure <procedure> of Modul <module>"
QString errorFormModul(const KavioError &e, const QString &procedure, const QString &module);
// "Fehler<n> (<description>) in Prozedur <routine> " (module routines)
QString fehlerForm(const KavioError &e, const QString &routine);

} // namespace kavio
