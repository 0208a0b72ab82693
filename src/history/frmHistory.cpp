#include "history/frmHistory.h"

#include "about/CompanyLogo.h"
#include "app/Errors.h"
#include "db/Statements.h"
#include "history/HtmlReport.h"
#include "history/XlsWriter.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/ProgramFolder.h"
#include "platform/Settings.h"
#include "platform/Shell.h"
#include "ui_frmHistory.h"
#include "ui_frmMain.h"
#include "workstation/frmMain.h"

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

frmHistory::frmHistory(const Platform &platform, frmMain &main, QWidget *parent)
    : QMainWindow(parent), m_platform(platform), m_main(main), ui(std::make_unique<Ui::frmHistory>())
{
    ui->setupUi(this);
    ui->Grid1->setModel(&m_table);
    ui->Grid1->verticalHeader()->setVisible(false);
    ui->Grid1->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    connect(ui->cmdExport, &QPushButton::clicked, this, &frmHistory::cmdExport_Click);
    connect(ui->cmdReport, &QPushButton::clicked, this, &frmHistory::cmdReport_Click);
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

bool frmHistory::dbOpen(const QString &sDatabasePath)
{
    if (m_db.isOpen())
        return true;
    try {
        m_db = DbConnection::open(sDatabasePath, OpenMode::ReadOnly);
        return true;
    } catch (const KavioError &e) {
        m_platform.messages->plain(QStringLiteral("Es ist ein Fehler beim Öffnen der Datenbank aufgetreten.\r\n") +
                                   QString::number(e.number()) + QLatin1Char(' ') + e.description());
        return false;
    }
}

void frmHistory::Form_Load()
{
    Ui::frmMain &m = m_main.form();
    // The heading block of the report belongs to the rows listed here, so it is taken now
    // and not when the report is written (the main window may show someone else by then).
    m_person = {m.LBL_Top_Vorname->text(), m.LBL_Top_Name->text(), m.LBL_Top_GebDat->text(), m.LBL_Top_Alter->text(),
                m.txtFKTN->text()};

    QString segment;
    if (m.optAL->isChecked())
        segment = QStringLiteral("ArmLi");
    else if (m.optAR->isChecked())
        segment = QStringLiteral("ArmRe");
    else if (m.optBL->isChecked())
        segment = QStringLiteral("BeinLi");
    else if (m.optBR->isChecked())
        segment = QStringLiteral("BeinRe");

    if (!dbOpen(m_platform.folder->file(QStringLiteral("Segmente.mdb"))))
        return;
    try {
        QSqlQuery q = m_db.exec(sql::measurementList(segment, QStringLiteral("Messdatum")), {m.txtFKTN->text()});
        m_table.load(q);
    } catch (const KavioError &e) {
        m_platform.messages->plain(errorForm(e, QStringLiteral("Form_Load"), QStringLiteral("frmHistory")));
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
    ui->cmdExport->setEnabled(false);
    ui->cmdReport->setEnabled(false);
    ui->ProgressBar1->setMaximum(m_table.rowCount());
    ui->ProgressBar1->setValue(0);
    return true;
}

void frmHistory::endExport()
{
    ui->ProgressBar1->setValue(0);
    ui->cmdExport->setEnabled(true);
    ui->cmdReport->setEnabled(true);
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
    m_db.close(); // a closed window holds nothing of the database, even before it is gone
    QMainWindow::closeEvent(event);
}

} // namespace kavio
