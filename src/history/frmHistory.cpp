#include "history/frmHistory.h"

#include "about/CompanyLogo.h"
#include "app/Conversions.h"
#include "app/Errors.h"
#include "charts/PagePrinter.h"
#include "history/HtmlReport.h"
#include "history/ReportPages.h"
#include "history/XlsWriter.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/ProgramFolder.h"
#include "platform/Settings.h"
#include "platform/Shell.h"
#include "session/Session.h"
#include "ui_frmHistory.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QHeaderView>
#include <QRegularExpression>

namespace kavio {

namespace {

const QString kWidthApp = QStringLiteral("MyApplication");
const QString kWidthSection = QStringLiteral("Grid1");

} // namespace

frmHistory::frmHistory(const Platform &platform, Session &session, QWidget *parent)
    : QMainWindow(parent), m_platform(platform), m_session(session), ui(std::make_unique<Ui::frmHistory>())
{
    ui->setupUi(this);
    ui->Grid1->setModel(&m_table);
    ui->Grid1->verticalHeader()->setVisible(false);
    ui->Grid1->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    connect(ui->cmdExport, &QPushButton::clicked, this, &frmHistory::cmdExport_Click);
    connect(ui->cmdReport, &QPushButton::clicked, this, &frmHistory::cmdReport_Click);
    connect(ui->cmdVorschau, &QPushButton::clicked, this, &frmHistory::cmdVorschau_Click);
    connect(ui->cmdDrucken, &QPushButton::clicked, this, &frmHistory::cmdDrucken_Click);
    connect(ui->cmdPdf, &QPushButton::clicked, this, &frmHistory::cmdPdf_Click);
    connect(ui->cmdClose, &QPushButton::clicked, this, &frmHistory::cmdClose_Click);
    connect(ui->mnuClose, &QAction::triggered, this, &frmHistory::cmdClose_Click);
    connect(ui->Grid1->horizontalHeader(), &QHeaderView::sectionResized, this, [this] {
        if (!m_applyingWidths)
            keepWidths();
    });
    Form_Load();
}

frmHistory::~frmHistory() = default;

QString frmHistory::excelPath() const
{
    return m_platform.folder->file(QStringLiteral("Daten.xls"));
}
QString frmHistory::reportPath() const
{
    return m_platform.folder->file(QStringLiteral("report/report.htm"));
}

void frmHistory::Form_Load()
{
    // The heading block of the report belongs to the rows listed here, so it is taken now
    // and not when the report is written (the main window may show someone else by then).
    const Person &person = m_session.person();
    m_person = {person.firstName, person.name, germanDate(person.birthDate),
                ageCaption(person.birthDate, m_platform.clock->today()), QString::number(person.number)};
    if (const SegmentInfo *segment = m_session.segment()) {
        m_segmentHeading = QString::fromUtf8(segment->heading);
        m_segmentCaption = QString::fromUtf8(segment->caption);
    }
    try {
        m_table.setMeasurements(m_session.measurements(MeasurementOrder::NewestFirst));
    } catch (const KavioError &e) {
        m_platform.messages->plain(QStringLiteral("Es ist ein Fehler beim Öffnen der Datenbank aufgetreten.\r\n") +
                                   QString::number(e.number()) + QLatin1Char(' ') + e.description());
        return;
    }
    applyWidths();
}

void frmHistory::applyWidths()
{
    m_applyingWidths = true;
    QHeaderView *header = ui->Grid1->horizontalHeader();
    const double pxPerTwip = ui->Grid1->logicalDpiX() / 1440.0;
    for (int c = 0; c < std::min(5, m_table.columnCount()); ++c)
        header->resizeSection(c, qRound(kColumnTwips * pxPerTwip));
    // Widths the operator dragged, kept as twips separated by commas (shared with the
    // person list, which has one column less; extra or missing entries are skipped).
    const QStringList kept = m_platform.settings->ownSetting(kWidthApp, kWidthSection, widthsKey())
                                 .split(QRegularExpression(QStringLiteral("[,;]")), Qt::SkipEmptyParts);
    for (int c = 0; c < std::min<int>(static_cast<int>(kept.size()), m_table.columnCount()); ++c) {
        bool ok = false;
        const int twips = kept[c].trimmed().toInt(&ok);
        if (ok && twips > 0)
            header->resizeSection(c, qRound(twips * pxPerTwip));
    }
    m_applyingWidths = false;
}

void frmHistory::keepWidths()
{
    QStringList twips;
    const double pxPerTwip = ui->Grid1->logicalDpiX() / 1440.0;
    for (int c = 0; c < m_table.columnCount(); ++c)
        twips << QString::number(qRound(ui->Grid1->columnWidth(c) / pxPerTwip));
    m_platform.settings->setOwnSetting(kWidthApp, kWidthSection, widthsKey(), twips.join(QLatin1Char(',')));
}

void frmHistory::progress(int value, bool repaint)
{
    ui->ProgressBar1->setValue(std::min(value, ui->ProgressBar1->maximum()));
    // Keeps the window painted; input waits, so nothing else starts meanwhile.
    if (repaint)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void frmHistory::showExportError(const ExportError &e)
{
    m_platform.messages->plain(QStringLiteral("Fehler beim Exportieren der Daten!\r\nRow=") + QString::number(e.row) +
                               QStringLiteral("\r\n") + QString::number(e.number) + QStringLiteral(", ") + e.text);
}

bool frmHistory::startExport()
{
    if (m_exporting)
        return false;
    m_exporting = true;
    for (QPushButton *b : {ui->cmdExport, ui->cmdReport, ui->cmdVorschau, ui->cmdDrucken, ui->cmdPdf})
        b->setEnabled(false);
    ui->ProgressBar1->setMaximum(m_table.rowCount());
    ui->ProgressBar1->setValue(0);
    return true;
}

void frmHistory::endExport()
{
    ui->ProgressBar1->setValue(0);
    for (QPushButton *b : {ui->cmdExport, ui->cmdReport, ui->cmdVorschau, ui->cmdDrucken, ui->cmdPdf})
        b->setEnabled(true);
    m_exporting = false;
}

void frmHistory::cmdExport_Click()
{
    if (!startExport())
        return;
    const QString path = excelPath();
    const auto error =
        xls::writeWorkbook(path, m_table, QStringLiteral("Historie"), [this](int rows) { progress(rows, true); });
    endExport();
    if (error)
        showExportError(*error);
    else
        m_platform.shell->openFile(path);
}

void frmHistory::cmdReport_Click()
{
    if (m_exporting)
        return;
    SaveCompLogo(m_platform, QStringLiteral("11258"));
    if (!QDir(m_platform.folder->path()).mkpath(QStringLiteral("report"))) {
        showExportError({0, static_cast<int>(RunError::PathAccess),
                         describe(RunError::PathAccess) + QStringLiteral(" (") +
                             m_platform.folder->file(QStringLiteral("report")) + QLatin1Char(')')});
        return;
    }
    if (!startExport())
        return;
    html::ReportSettings settings;
    settings.title = QStringLiteral("Vendrik GmbH - Gliederanalyse");
    settings.caption = QStringLiteral("Messungen");
    const QDate today = m_platform.clock->today();
    const html::PersonLines person = m_person;
    settings.pageHeader = [today, person](int page, int pages) {
        return html::historyPageHeader(page, pages, today, person);
    };
    settings.pageFooter = html::historyPageFooter;
    settings.progress = [this](int rows) { progress(rows, true); };
    const auto error = html::writeReport(reportPath(), m_table, settings);
    endExport();
    if (error)
        showExportError(*error);
}

charts::PrintOut frmHistory::reportPrintOut()
{
    ReportPrint report;
    report.jobName =
        charts::printJobName(QStringLiteral("Historie ") + m_segmentHeading, m_person.name, m_person.vorname);
    report.today = m_platform.clock->today();
    report.person = m_person;
    report.caption = QStringLiteral("Messungen");
    report.logo = QPixmap(QStringLiteral(":/images/complogo.png"));
    report.progress = [this](int rows) { progress(rows, true); };
    charts::PrintOut out;
    out.jobName = report.jobName;
    out.pdfPaper = QPageSize::A4;
    out.pdfName = charts::pdfFileName(m_person.name, m_person.vorname, report.today,
                                      QStringLiteral("Historie_") + m_segmentCaption);
    out.draw = [this, report](Printer &printer) { printHistoryReport(printer, m_table, report); };
    out.procedure = QStringLiteral("cmdDrucken_Click");
    out.form = QStringLiteral("frmHistory");
    return out;
}

void frmHistory::cmdVorschau_Click()
{
    if (!startExport())
        return;
    charts::previewOut(m_platform, reportPrintOut());
    endExport();
}

void frmHistory::cmdDrucken_Click()
{
    if (!startExport())
        return;
    charts::printOut(m_platform, reportPrintOut());
    endExport();
}

void frmHistory::cmdPdf_Click()
{
    if (!startExport())
        return;
    charts::savePdf(m_platform, reportPrintOut());
    endExport();
}

void frmHistory::cmdClose_Click()
{
    close();
}

void frmHistory::closeEvent(QCloseEvent *event)
{
    // The export in progress still uses the window's table.
    if (m_exporting) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

} // namespace kavio
