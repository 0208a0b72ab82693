// Trend charts of the main window, their print-out, and the way into the comparison window.
#include "app/Conversions.h"
#include "app/Errors.h"
#include "charts/ChartModel.h"
#include "charts/ChartView.h"
#include "charts/frmVergleichLinksRechts.h"
#include "charts/PageFigures.h"
#include "charts/PagePrinter.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "ui_frmMain.h"
#include "workstation/frmMain.h"

#include <QApplication>
#include <QChartView>
#include <QMenu>
#include <QMenuBar>

namespace kavio {

using namespace charts;

static const QString kForm = QStringLiteral("frmMain");
static const QString kNoSegment = QStringLiteral("Sie haben kein Segment ausgewählt!");

void frmMain::setupCharts()
{
    // The chart's look is set when a chart is first shown: hidden at start, it would only
    // make the window come up later.
    // The row of buttons is full: preview and PDF of the chart page are in a menu.
    QMenu *menu = ui->menubar->addMenu(QStringLiteral("Druck"));
    menu->setObjectName(QStringLiteral("menuDruck"));
    const auto add = [&](const char *name, const QString &text, void (frmMain::*slot)()) {
        QAction *action = menu->addAction(text);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, slot);
    };
    add("mnuGrafikVorschau", QStringLiteral("Grafik: Druckvorschau…"), &frmMain::cmdPrintPreview_Click);
    add("mnuGrafikDrucken", QStringLiteral("Grafik drucken"), &frmMain::cmdPrintOut_Click);
    add("mnuGrafikPdf", QStringLiteral("Grafik als PDF speichern…"), &frmMain::cmdSavePdf_Click);
}

void frmMain::ChartDatenLeeren()
{
    showTrendChart(clearedChart());
}

void frmMain::showTrendChart(const ChartData &data)
{
    // The print-out shows this chart under the name of the person it belongs to.
    m_shownChart.data = data;
    m_shownChart.person = m_session->person();
    m_shownChart.segment = m_session->segment();
    if (!m_chartViewReady && ui->MSChart->isHidden())
        return; // set up and shown when it is first made visible
    if (!m_chartViewReady) {
        setupChartView(ui->MSChart);
        m_chartViewReady = true;
    }
    showChart(ui->MSChart, data);
}

void frmMain::cmdGraph_Click()
{
    if (!m_session->segment()) {
        m_platform.messages->info(kNoSegment);
        return;
    }
    ui->FraMesswerte->setVisible(false);
    ui->MSChart->setVisible(true);
    ui->fraEinoderZwei->setVisible(false);
    ChartDatenLeeren();
    ui->fraLegende_Widerstand->setVisible(true);
    ui->lbl1durchR->setText(QStringLiteral("1/R"));
    m_shownChart.quantity = QStringLiteral("1/R");
    m_shownChart.phase.reset();
    try {
        Draw_1durchR_Graph(2);
    } catch (const KavioError &e) {
        m_platform.messages->plain(errorForm(e, QStringLiteral("cmdGraph_Click"), kForm));
    }
    ui->txtTestDatum->setVisible(false);
}

bool frmMain::showChartFrame(const QString &caption)
{
    if (!m_session->segment()) {
        m_platform.messages->info(kNoSegment);
        return false;
    }
    ui->FraMesswerte->setVisible(false);
    ui->fraEinoderZwei->setVisible(false);
    ui->txtTestDatum->setVisible(false);
    ui->MSChart->setVisible(true);
    ui->fraLegende_Widerstand->setVisible(true);
    ui->lbl1durchR->setText(caption);
    m_shownChart.quantity = caption;
    m_shownChart.phase.reset();
    return true;
}

void frmMain::cmd_Xc_Graph_Click()
{
    if (!showChartFrame(QStringLiteral("Xc/R")))
        return;
    try {
        Draw_Xc_Graph();
    } catch (const KavioError &e) {
        m_platform.messages->plain(errorForm(e, QStringLiteral("cmd_Xc_Graph_Click"), kForm));
    }
}

void frmMain::cmdPhaseGraph_Click()
{
    const Frequency f = m_session->chartResistance();
    if (!showChartFrame(phaseAngleCaption(f)))
        return;
    m_shownChart.phase = f;
    Draw_Phase_Graph();
}

void frmMain::Draw_Phase_Graph()
{
    ChartDatenLeeren();
    const Frequency f = m_session->chartResistance();
    m_shownChart.frequency = f;
    QList<Measurement> rows;
    try {
        rows = m_session->measurements(MeasurementOrder::OldestFirst);
    } catch (const KavioError &e) {
        m_platform.messages->plain(errorForm(e, QStringLiteral("Draw_Phase_Graph"), kForm));
        return;
    }
    const ChartData chart = phaseAngleChart(rows, f);
    if (rows.isEmpty() || chart.labels.first().isEmpty()) {
        showTrendChart(preparedChart(1));
        m_platform.messages->plain(
            rows.isEmpty() ? QStringLiteral("Keine Daten")
                           : QStringLiteral("Kein Phasenwinkel bei %1 kHz: in keiner Messung dieses Segments sind R "
                                            "(größer als 0) und Xc vorhanden.")
                                 .arg(kiloHertz(f)));
        return;
    }
    showTrendChart(chart);
    m_session->setChartDrawn(true);
}

void frmMain::Draw_1durchR_Graph(int seriesCount)
{
    if (!m_session->segment()) {
        m_platform.messages->info(kNoSegment);
        return;
    }
    QList<ChartRecord> records;
    try {
        records = chartRecords(m_session->measurements(MeasurementOrder::OldestFirst), m_session->chartResistance());
    } catch (const KavioError &e) {
        m_platform.messages->plain(errorForm(e, QStringLiteral("Draw_1durchR_Graph"), kForm));
        return;
    }
    m_shownChart.frequency = m_session->chartResistance();
    showTrendChart(preparedChart(seriesCount));
    if (records.isEmpty()) {
        m_platform.messages->plain(QStringLiteral("Keine Daten"));
        return;
    }
    showTrendChart(inverseRChart(records));
    m_session->setChartDrawn(true);
}

void frmMain::Draw_Xc_Graph()
{
    ChartDatenLeeren();
    m_shownChart.frequency = Frequency::kHz50; // Xc/R is charted from the 50 kHz values
    ChartData chart = preparedChart(1);
    try {
        const QList<ChartRecord> records = chartRecords(m_session->measurements(MeasurementOrder::OldestFirst));
        showTrendChart(chart);
        if (records.isEmpty()) {
            m_platform.messages->plain(QStringLiteral("Keine Daten"));
            return;
        }
        fillXcRChart(records, chart);
    } catch (const KavioError &e) {
        // The rows filled before the failure stay on the chart.
        showTrendChart(chart);
        m_platform.messages->plain(fehlerForm(e, QStringLiteral("Draw_Xc_Graph")));
        return;
    }
    showTrendChart(chart);
    m_session->setChartDrawn(true);
}

bool frmMain::fDruckbereit()
{
    // The chart drawn last must be the chosen person's and segment's.
    return m_session->segment() && !m_session->person().name.isEmpty() && m_session->chartDrawn() &&
           m_shownChart.person == m_session->person() && m_shownChart.segment == m_session->segment();
}

static PagePicture pictureOf(const QLabel *label)
{
    return {label->pixmap(), QSizeF(label->size()) * kTwipsPerPixel};
}

PageLogos frmMain::pageLogos() const
{
    return {pictureOf(ui->imgCompLogo), pictureOf(ui->imgProgLogo)};
}

std::optional<PrintOut> frmMain::chartPrintOut()
{
    if (!fDruckbereit()) {
        m_platform.messages->plain(QStringLiteral("Keine Daten zum Druck vorhanden"));
        return std::nullopt;
    }
    ChartPage page;
    page.chart = m_shownChart.data;
    page.chartSize = chartSizeTwips(ui->MSChart);
    const PageLogos logos = pageLogos();
    page.companyLogo = logos.company;
    page.programLogo = logos.program;
    const Person &person = m_shownChart.person;
    const QString segment = QString::fromUtf8(m_shownChart.segment->heading);
    page.header = {QStringLiteral("Name: ") + person.name, QStringLiteral("Vorname: ") + person.firstName,
                   QStringLiteral("Geburtsdatum: ") + germanDate(person.birthDate),
                   QStringLiteral("Segment: ") + segment};
    page.legend = m_shownChart.phase ? phaseAngleLegend(*m_shownChart.phase) : chartPageLegend(m_shownChart.quantity);
    try {
        page.figures = chartFigureLines(m_session->measurements(MeasurementOrder::OldestFirst), m_shownChart.frequency);
    } catch (const KavioError &e) {
        m_platform.messages->plain(errorForm(e, QStringLiteral("PrintPictureToFitPage"), kForm));
        return std::nullopt;
    }
    page.jobName = printJobName(QStringLiteral("Verlauf ") + segment, person.name, person.firstName);
    PrintOut out;
    out.jobName = page.jobName;
    out.pdfName = pdfFileName(person.name, person.firstName, m_platform.clock->today(),
                              QString::fromUtf8(m_shownChart.segment->caption));
    out.draw = [page](Printer &printer) { printChartPage(printer, page); };
    out.procedure = QStringLiteral("PrintPictureToFitPage");
    out.form = kForm;
    return out;
}

void frmMain::cmdPrintOut_Click()
{
    if (const auto out = chartPrintOut())
        printOut(m_platform, *out);
}

void frmMain::cmdPrintPreview_Click()
{
    if (const auto out = chartPrintOut())
        previewOut(m_platform, *out);
}

void frmMain::cmdSavePdf_Click()
{
    if (const auto out = chartPrintOut())
        savePdf(m_platform, *out);
}

void frmMain::cmdOpenVergleichsFormular_Click()
{
    // One comparison window at a time; it closes (and goes) by itself.
    const QString name = QStringLiteral("frmVergleichLinksRechts");
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->objectName().compare(name, Qt::CaseInsensitive) == 0)
            return;
    auto *window = new frmVergleichLinksRechts(m_platform, *m_session, pageLogos(), this);
    connect(window, &frmVergleichLinksRechts::closedByOperator, this, [this] { ui->cmdExtremitaet->setEnabled(true); });
    window->show();
}

} // namespace kavio
