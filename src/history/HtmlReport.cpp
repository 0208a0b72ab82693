#include "history/HtmlReport.h"

#include "app/Errors.h"

#include <QAbstractItemModel>
#include <QLocale>
#include <QSaveFile>

namespace kavio::html {

namespace {

const char *const kStyle = "body{font-family:Arial,Helvetica,sans-serif;font-size:10pt;margin:0}\n"
                           ".seite{page-break-after:always;break-after:page;padding:8px}\n"
                           ".seite:last-child{page-break-after:auto;break-after:auto}\n"
                           "table.kopf{width:100%;border-collapse:collapse;font-size:9pt}\n"
                           "table.kopf td{padding:0}\n"
                           "td.rechts{text-align:right}\n"
                           "h6{text-align:center;font-weight:normal;margin:4px 0}\n"
                           "h3{text-align:center;margin:6px 0 10px 0}\n"
                           "p.person{margin:0 0 10px 0;line-height:1.4}\n"
                           "table.daten{border-collapse:collapse;margin-top:8px}\n"
                           "table.daten caption{text-align:left;font-weight:bold;padding:4px 0}\n"
                           "table.daten th,table.daten td{border:1px solid #808080;padding:2px 4px}\n"
                           "table.daten th{background:#e8e8e8}\n"
                           "td.z{text-align:right}\n"
                           "td.m{text-align:center}\n"
                           "p.fuss{margin-top:10px;font-weight:bold}\n";

} // namespace

int pageCount(int rows, int rowsPerPage)
{
    const int per = std::max(1, rowsPerPage);
    return rows <= 0 ? 1 : (rows + per - 1) / per;
}

QString reportDocument(const QAbstractItemModel &model, const ReportSettings &settings)
{
    const int rows = model.rowCount();
    const int columns = model.columnCount();
    const int per = std::max(1, settings.rowsPerPage);
    const int pages = pageCount(rows, per);

    QString headRow = QStringLiteral("<thead><tr>");
    for (int c = 0; c < columns; ++c)
        headRow += QStringLiteral("<th>") + model.headerData(c, Qt::Horizontal).toString().toHtmlEscaped() +
                   QStringLiteral("</th>");
    headRow += QStringLiteral("</tr></thead>\n");

    QString out;
    out.reserve(static_cast<qsizetype>(rows) * columns * 24 + pages * 1024 + 2048);
    out += QStringLiteral("<!DOCTYPE html>\n<html lang=\"de\">\n<head>\n<meta charset=\"utf-8\">\n<title>") +
           settings.title.toHtmlEscaped() + QStringLiteral("</title>\n<style>\n") + QLatin1String(kStyle) +
           QStringLiteral("</style>\n</head>\n<body>\n");

    int done = 0;
    for (int page = 1; page <= pages; ++page) {
        out += QStringLiteral("<div class=\"seite\">\n");
        const PageHeader header = settings.pageHeader ? settings.pageHeader(page, pages) : PageHeader{};
        if (!header.text.isEmpty()) {
            const qsizetype split = header.text.indexOf(QStringLiteral("|>"));
            const QString left = split < 0 ? header.text : header.text.left(split);
            const QString right = split < 0 ? QString() : header.text.mid(split + 2);
            out += QStringLiteral("<table class=\"kopf\"><tr><td>") + left.toHtmlEscaped() +
                   QStringLiteral("</td><td class=\"rechts\">") + right.toHtmlEscaped() +
                   QStringLiteral("</td></tr></table>\n");
        }
        for (const QString &fragment : header.fragments)
            out += fragment + QLatin1Char('\n');

        out += QStringLiteral("<table class=\"daten\">");
        if (page == 1 && !settings.caption.isEmpty())
            out += QStringLiteral("<caption>") + settings.caption.toHtmlEscaped() + QStringLiteral("</caption>");
        out += QLatin1Char('\n') + headRow + QStringLiteral("<tbody>\n");
        const int last = std::min(rows, page * per);
        for (int r = (page - 1) * per; r < last; ++r) {
            out += QStringLiteral("<tr>");
            for (int c = 0; c < columns; ++c) {
                const QModelIndex index = model.index(r, c);
                const QVariant v = index.data();
                const bool centred = index.data(Qt::TextAlignmentRole).toInt() & Qt::AlignHCenter;
                // A number shown with a decimal comma is text on screen but still a number.
                const bool number = isNumber(v) || isNumber(index.data(Qt::EditRole));
                out += centred  ? QStringLiteral("<td class=\"m\">")
                       : number ? QStringLiteral("<td class=\"z\">")
                                : QStringLiteral("<td>");
                out += v.toString().toHtmlEscaped();
                out += QStringLiteral("</td>");
            }
            out += QStringLiteral("</tr>\n");
            ++done;
            if (settings.progress && done % kProgressStep == 0)
                settings.progress(done);
        }
        // An empty table body is not valid HTML; an empty history shows the header row only.
        if (rows == 0)
            out.chop(static_cast<qsizetype>(sizeof("<tbody>\n") - 1));
        else
            out += QStringLiteral("</tbody>");
        out += QStringLiteral("</table>\n");

        const QString footer = settings.pageFooter ? settings.pageFooter(page, pages, rows) : QString();
        if (!footer.isEmpty())
            out += QStringLiteral("<p class=\"fuss\">") + footer.toHtmlEscaped() + QStringLiteral("</p>\n");
        out += QStringLiteral("</div>\n");
    }
    out += QStringLiteral("</body>\n</html>\n");
    if (settings.progress)
        settings.progress(done);
    return out;
}

std::optional<ExportError> writeReport(const QString &path, const QAbstractItemModel &model,
                                       const ReportSettings &settings)
{
    const QByteArray bytes = reportDocument(model, settings).toUtf8();
    QSaveFile out(path);
    auto failure = [&] {
        return ExportError{model.rowCount(), static_cast<int>(RunError::PathAccess),
                           describe(RunError::PathAccess) + QStringLiteral(" (") + out.errorString() +
                               QLatin1Char(')')};
    };
    if (!out.open(QIODevice::WriteOnly))
        return failure();
    if (out.write(bytes) != bytes.size()) {
        out.cancelWriting();
        return failure();
    }
    if (!out.commit())
        return failure();
    return std::nullopt;
}

QString pageNumberText(int page, int pages)
{
    return QStringLiteral("Seite %1 von %2").arg(page).arg(pages);
}

QString standText(const QDate &today)
{
    return QStringLiteral("Stand: ") + today.toString(u"dd.MM.yyyy");
}

QString makerNotice(int year)
{
    return QStringLiteral("\u00a9 %1 Vendrik GmbH \u2013 alle Rechte vorbehalten").arg(year);
}

QList<std::pair<QString, QString>> personFields(const PersonLines &person)
{
    return {{QStringLiteral("Vorname: "), person.vorname},
            {QStringLiteral("Name: "), person.name},
            {QStringLiteral("Geb.Datum: "), person.gebDat},
            {QStringLiteral("Alter: "), person.alter},
            {QStringLiteral("Patientennr.: "), person.patientNr}};
}

PageHeader historyPageHeader(int page, int pages, const QDate &today, const PersonLines &person)
{
    PageHeader h;
    h.text = pageNumberText(page, pages) + QStringLiteral("|>") + standText(today);
    h.fragments << QStringLiteral("<h6>") + makerNotice(today.year()).toHtmlEscaped() + QStringLiteral("</h6>")
                << QStringLiteral("<h3>") + reportHeading() + QStringLiteral("</h3>");
    const auto fields = personFields(person);
    for (qsizetype i = 0; i < fields.size(); ++i)
        h.fragments << (i == 0 ? QStringLiteral("<p class=\"person\">") : QString()) + QStringLiteral("<b>") +
                           fields[i].first + fields[i].second.toHtmlEscaped() + QStringLiteral("</b><br>") +
                           (i == fields.size() - 1 ? QStringLiteral("</p>") : QString());
    return h;
}

QString historyPageFooter(int page, int pages, int records)
{
    if (page != pages)
        return {};
    return QStringLiteral("Anzahl Datensätze: ") + QLocale(QLocale::German, QLocale::Germany).toString(records);
}

} // namespace kavio::html
