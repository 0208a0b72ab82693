#include "charts/PrintOut.h"

#include "app/Errors.h"
#include "platform/FileDialogs.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "platform/Printer.h"

#include <memory>
#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>

namespace kavio::charts {

namespace {

const QString kSaveTitle = QStringLiteral("Als PDF speichern");

// Draws on a fresh job; the failure as the operator reads it, empty when it went through.
QString drawn(const PrintOut &out, Printer &printer, bool asErrorForm)
{
    try {
        out.draw(printer);
        return {};
    } catch (const KavioError &e) {
        return asErrorForm ? errorForm(e, out.procedure, out.form) : e.description();
    }
}

QString proposedFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(documents).exists() ? documents : QDir::homePath();
}

} // namespace

void printOut(const Platform &platform, const PrintOut &out)
{
    if (!platform.printers) {
        platform.messages->plain(errorForm(KavioError(RunError::PrinterError), out.procedure, out.form));
        return;
    }
    if (!platform.printers->hasPrinter()) {
        if (platform.messages->ask(QStringLiteral("Es ist kein Drucker installiert.\n\nMöchten Sie die Seite "
                                                  "stattdessen als PDF-Datei speichern?"),
                                   MsgIcon::Information))
            savePdf(platform, out);
        return;
    }
    const std::unique_ptr<Printer> printer(platform.printers->create());
    const QString failure = drawn(out, *printer, true);
    if (!failure.isEmpty())
        platform.messages->plain(failure);
}

void previewOut(const Platform &platform, const PrintOut &out)
{
    if (!platform.printers) {
        platform.messages->plain(errorForm(KavioError(RunError::PrinterError), out.procedure, out.form));
        return;
    }
    const QString failure = platform.printers->preview(out.jobName, out.orientation,
                                                       [&out](Printer &printer) { return drawn(out, printer, true); });
    if (!failure.isEmpty())
        platform.messages->plain(failure);
}

bool savePdf(const Platform &platform, const PrintOut &out)
{
    QString path = platform.dialogs->chooseSaveFile(QDir(proposedFolder()).filePath(out.pdfName), kSaveTitle,
                                                    QStringLiteral("PDF-Dokument (*.pdf)"));
    if (path.isEmpty())
        return false;
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        path += QStringLiteral(".pdf");
    const std::unique_ptr<Printer> printer(platform.printers ? platform.printers->createPdf(path, out.pdfPaper)
                                                             : nullptr);
    const QString failure = printer ? drawn(out, *printer, false) : describe(RunError::PrinterError);
    if (failure.isEmpty())
        return true;
    platform.messages->stop(
        QStringLiteral("Die PDF-Datei „%1“ wurde nicht gespeichert:\n%2").arg(QDir::toNativeSeparators(path), failure),
        kSaveTitle);
    return false;
}

QString pdfFileName(const QStringList &parts)
{
    static const QRegularExpression unsafe(QStringLiteral(R"([\s\\/:*?"<>|\x00-\x1f]+)"));
    QStringList safe;
    for (const QString &part : parts) {
        QString s = part;
        s.replace(unsafe, QStringLiteral("_"));
        // Leading dots would hide the file; trailing dots and blanks Windows drops.
        while (s.startsWith(QLatin1Char('.')) || s.startsWith(QLatin1Char('_')))
            s.remove(0, 1);
        while (s.endsWith(QLatin1Char('.')) || s.endsWith(QLatin1Char('_')))
            s.chop(1);
        if (!s.isEmpty())
            safe << s;
    }
    return (safe.isEmpty() ? QStringLiteral("KavioSegment") : safe.join(QLatin1Char('_'))) + QStringLiteral(".pdf");
}

QString pdfFileName(const QString &name, const QString &firstName, const QDate &day, const QString &what)
{
    return pdfFileName({name, firstName, day.toString(QStringLiteral("yyyy-MM-dd")), what});
}

} // namespace kavio::charts
