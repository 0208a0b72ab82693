// Trend charts of the main window, their print-out, and the way into the comparison window.
#include "app/Conversions.h"
#include "app/Errors.h"
#include "charts/ChartModel.h"
#include "charts/ChartView.h"
#include "charts/frmVergleichLinksRechts.h"
#include "charts/PagePrinter.h"
#include "db/Database.h"
#include "db/Statements.h"
#include "platform/Messages.h"
#include "ui_frmMain.h"
#include "workstation/frmMain.h"

#include <QApplication>
#include <QChartView>

namespace kavio {

using namespace charts;

static const QString kForm = QStringLiteral("frmMain");

static QList<ChartRecord> readTrendRecords(const Platform &platform, const QString &segment, qint32 fktn,
                                           const QString &field)
{
    DbConnection db = openSegmenteOnce(platform);
    QSqlQuery q = db.exec(sql::trendRows(segment), {fktn});
    return readChartRecords(q, field);
}

void frmMain::setupCharts()
{
    setupChartView(ui->MSChart);
}

void frmMain::ChartDatenLeeren()
{
    showChart(ui->MSChart, clearedChart());
    m_chartOwner.reset();
}

void frmMain::chartDrawn(qint32 fktn, const QString &segment)
{
    bGraphGezeichnet = true;
    m_chartOwner = ChartOwner{fktn,
                              segment,
                              {QStringLiteral("Name: ") + ui->LBL_Top_Name->text(),
                               QStringLiteral("Vorname: ") + ui->LBL_Top_Vorname->text(),
                               QStringLiteral("Geburtsdatum: ") + ui->LBL_Top_GebDat->text(),
                               QStringLiteral("Segment: ") + ui->lblSegmentAktuell->text()},
                              printJobName(QStringLiteral("Verlauf ") + ui->lblSegmentAktuell->text().trimmed(),
                                           ui->LBL_Top_Name->text(), ui->LBL_Top_Vorname->text())};
}

void frmMain::cmdGraph_Click()
{
    if (strSegment.isEmpty()) {
        m_platform.messages->info(QStringLiteral("Sie haben kein Segment ausgewählt!"));
        return;
    }
    ui->FraMesswerte->setVisible(false);
    ui->MSChart->setVisible(true);
    ui->fraEinoderZwei->setVisible(false);
    ChartDatenLeeren();
    ui->fraLegende_Widerstand->setVisible(true);
    ui->lbl1durchR->setText(QStringLiteral("1/R"));
    try {
        const qint32 fktn = toInt32(ui->txtFKTN->text());
        Draw_1durchR_Graph(strWFeld, fktn, 2);
    } catch (const KavioError &e) {
        m_platform.messages->plain(errorForm(e, QStringLiteral("cmdGraph_Click"), kForm));
    }
    ui->txtTestDatum->setVisible(false);
}

void frmMain::cmd_Xc_Graph_Click()
{
    if (strSegment.isEmpty()) {
        m_platform.messages->info(QStringLiteral("Sie haben kein Segment ausgewählt!"));
        return;
    }
    ui->FraMesswerte->setVisible(false);
    ui->fraEinoderZwei->setVisible(false);
    ui->txtTestDatum->setVisible(false);
    ui->MSChart->setVisible(true);
    ui->fraLegende_Widerstand->setVisible(true);
    ui->lbl1durchR->setText(QStringLiteral("Xc/R"));
    try {
        const qint32 fktn = toInt32(ui->txtFKTN->text());
        Draw_Xc_Graph(fktn, strSegment);
    } catch (const KavioError &e) {
        m_platform.messages->plain(errorForm(e, QStringLiteral("cmd_Xc_Graph_Click"), kForm));
    }
}

void frmMain::Draw_1durchR_Graph(const QString &field, qint32 fktn, int seriesCount)
{
    if (strSegment.isEmpty()) {
        m_platform.messages->info(QStringLiteral("Sie haben kein Segment ausgewählt!"));
        return;
    }
    QList<ChartRecord> records;
    try {
        records = readTrendRecords(m_platform, strSegment, fktn, field);
    } catch (const KavioError &e) {
        m_platform.messages->plain(errorForm(e, QStringLiteral("Draw_1durchR_Graph"), kForm));
        return;
    }
    showChart(ui->MSChart, preparedChart(seriesCount));
    m_chartOwner.reset();
    if (records.isEmpty()) {
        m_platform.messages->plain(QStringLiteral("Keine Daten"));
        return;
    }
    showChart(ui->MSChart, inverseRChart(records));
    chartDrawn(fktn, strSegment);
}

void frmMain::Draw_Xc_Graph(qint32 fktn, const QString &segment)
{
    ChartDatenLeeren();
    ChartData chart = preparedChart(1);
    try {
        const QList<ChartRecord> records = readTrendRecords(m_platform, segment, fktn, QStringLiteral("W50"));
        showChart(ui->MSChart, chart);
        if (records.isEmpty()) {
            m_platform.messages->plain(QStringLiteral("Keine Daten"));
            return;
        }
        fillXcRChart(records, chart);
    } catch (const KavioError &e) {
        // The rows filled before the failure stay on the chart.
        showChart(ui->MSChart, chart);
        m_platform.messages->plain(fehlerForm(e, QStringLiteral("Draw_Xc_Graph")));
        return;
    }
    showChart(ui->MSChart, chart);
    chartDrawn(fktn, segment);
}

bool frmMain::fDruckbereit(const QString &segment)
{
    return !segment.isEmpty() && !ui->LBL_Top_Name->text().isEmpty() && bGraphGezeichnet;
}

static PagePicture pictureOf(const QLabel *label)
{
    return {label->pixmap(), QSizeF(label->size()) * kTwipsPerPixel};
}

void frmMain::cmdPrintOut_Click()
{
    // The chart on show may be another person's or segment's, drawn before the choice changed.
    bool isNumber = false;
    const qint32 chosen = ui->txtFKTN->text().trimmed().toInt(&isNumber);
    const bool chartOfChoice =
        m_chartOwner && isNumber && m_chartOwner->fktn == chosen && m_chartOwner->segment == strSegment;
    if (!fDruckbereit(strSegment) || !chartOfChoice) {
        m_platform.messages->plain(QStringLiteral("Keine Daten zum Druck vorhanden"));
        return;
    }
    ChartPage page;
    page.chart = ui->MSChart;
    page.companyLogo = pictureOf(ui->imgCompLogo);
    page.programLogo = pictureOf(ui->imgProgLogo);
    page.header = m_chartOwner->header;
    page.jobName = m_chartOwner->jobName;
    page.legend = chartPageLegend(ui->lbl1durchR->text());
    try {
        if (!m_platform.printers)
            throw KavioError(RunError::PrinterError);
        printChartPage(*m_platform.printers, page);
    } catch (const KavioError &e) {
        m_platform.messages->plain(errorForm(e, QStringLiteral("PrintPictureToFitPage"), kForm));
    }
}

void frmMain::cmdOpenVergleichsFormular_Click()
{
    // One comparison window at a time; it closes (and goes) by itself.
    const QString name = QStringLiteral("frmVergleichLinksRechts");
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return;
    auto *window = new frmVergleichLinksRechts(this);
    window->show();
}

} // namespace kavio
