#include "charts/frmVergleichLinksRechts.h"

#include "app/Conversions.h"
#include "app/Errors.h"
#include "charts/ChartView.h"
#include "charts/PagePrinter.h"
#include "db/Database.h"
#include "db/Statements.h"
#include "platform/Messages.h"
#include "ui_frmMain.h"
#include "workstation/frmMain.h"

#include <QChartView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

namespace kavio {

using namespace charts;

namespace {

const QString kForm = QStringLiteral("frmVergleichLinksRechts");

struct Pair {
    QString leftTable, rightTable, leftName, rightName;
};

// Both arms for an arm, both legs for a leg; throws for anything else.
Pair pairOf(const QString &segment)
{
    if (segment == QLatin1String("ArmLi") || segment == QLatin1String("ArmRe"))
        return {QStringLiteral("ArmLi"), QStringLiteral("ArmRe"), QStringLiteral("Arm links"),
                QStringLiteral("Arm rechts")};
    if (segment == QLatin1String("BeinLi") || segment == QLatin1String("BeinRe"))
        return {QStringLiteral("BeinLi"), QStringLiteral("BeinRe"), QStringLiteral("Bein links"),
                QStringLiteral("Bein rechts")};
    throw KavioError(RunError::TypeMismatch);
}

// Places a control by its position in twips (15 to the pixel).
template <typename W> W *place(W *w, const char *name, int left, int top, int width, int height)
{
    w->setObjectName(QLatin1String(name));
    w->setGeometry(left / 15, top / 15, width / 15, height / 15);
    return w;
}

PagePicture pictureOf(const QLabel *label)
{
    return {label->pixmap(), QSizeF(label->size()) * kTwipsPerPixel};
}

} // namespace

frmVergleichLinksRechts::frmVergleichLinksRechts(frmMain *main) : QWidget(main, Qt::Window), m_main(main)
{
    setObjectName(kForm);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Vergleich Extremtitäten"));
    setFixedSize(13425 / 15, 7200 / 15);

    lblTitle = place(new QLabel(QStringLiteral("Gliedervergleich rechts/links"), this), "lblTitle", 3600, 0, 5895, 495);
    QFont heading = lblTitle->font();
    heading.setPointSize(14);
    heading.setBold(true);
    lblTitle->setFont(heading);
    lblTitle->setAlignment(Qt::AlignCenter);
    lblSegmentLinks = place(new QLabel(this), "lblSegmentLinks", 600, 720, 2295, 375);
    lblSegmentRechts = place(new QLabel(this), "lblSegmentRechts", 7080, 720, 2295, 375);
    QFont caption = lblSegmentLinks->font();
    caption.setBold(true);
    lblSegmentLinks->setFont(caption);
    lblSegmentRechts->setFont(caption);
    MSChartLinks = place(new QChartView(this), "MSChartLinks", 360, 1200, 6255, 3975);
    MSChartRechts = place(new QChartView(this), "MSChartRechts", 6840, 1200, 6255, 3975);
    setupChartView(MSChartLinks);
    setupChartView(MSChartRechts);
    optWiderstand =
        place(new QRadioButton(QStringLiteral("1/R anzeigen"), this), "optWiderstand", 1200, 5400, 2535, 495);
    optXC_durch_R =
        place(new QRadioButton(QStringLiteral("Xc/R anzeigen"), this), "optXC_durch_R", 1200, 6120, 2775, 615);
    cmdPreview = place(new QPushButton(QStringLiteral("Drucken"), this), "cmdPreview", 5520, 5880, 2175, 615);
    cmdCloseForm =
        place(new QPushButton(QStringLiteral("Formular schließen"), this), "cmdCloseForm", 5520, 6600, 2175, 495);
    cmdDrawExtremitaet = new QPushButton(QStringLiteral("Vergleich Starten"), this);
    cmdDrawExtremitaet->setObjectName(QStringLiteral("cmdDrawExtremitaet"));
    cmdDrawExtremitaet->setVisible(false);
    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setVisible(false);
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(20);

    connect(optWiderstand, &QRadioButton::clicked, this, &frmVergleichLinksRechts::cmdDrawExtremitaet_Click);
    connect(optXC_durch_R, &QRadioButton::clicked, this, &frmVergleichLinksRechts::DrawExtremitaet_XcR);
    connect(cmdDrawExtremitaet, &QPushButton::clicked, this, &frmVergleichLinksRechts::cmdDrawExtremitaet_Click);
    connect(cmdPreview, &QPushButton::clicked, this, &frmVergleichLinksRechts::cmdPreview_Click);
    connect(cmdCloseForm, &QPushButton::clicked, this, &frmVergleichLinksRechts::cmdCloseForm_Click);
    connect(Timer1, &QTimer::timeout, this, &frmVergleichLinksRechts::Timer1_Timer);

    // The timer runs from loading; a drawing that finds something to show stops it.
    Timer1->start();
    Form_Load();
}

frmVergleichLinksRechts::~frmVergleichLinksRechts() = default;

void frmVergleichLinksRechts::Form_Load()
{
    optWiderstand->setChecked(true);
    cmdDrawExtremitaet_Click();
}

void frmVergleichLinksRechts::VergleichChartsLeeren()
{
    showChart(MSChartLinks, clearedChart());
    showChart(MSChartRechts, clearedChart());
}

void frmVergleichLinksRechts::cmdDrawExtremitaet_Click()
{
    draw(ComparisonQuantity::InverseR, QStringLiteral("cmdDrawExtremitaet_Click"));
}

void frmVergleichLinksRechts::DrawExtremitaet_XcR()
{
    draw(ComparisonQuantity::XcR, QStringLiteral("DrawExtremitaet_XcR"));
}

void frmVergleichLinksRechts::draw(ComparisonQuantity quantity, const QString &procedure)
{
    const Platform &platform = m_main->platform();
    VergleichChartsLeeren();
    if (m_main->strSegment.isEmpty()) {
        platform.messages->plain(QStringLiteral("Sie haben kein Segment ausgewählt"));
        return;
    }
    Timer1->stop();
    try {
        const Pair pair = pairOf(m_main->strSegment);
        const QString form =
            quantity == ComparisonQuantity::InverseR ? QStringLiteral(" (1/R)") : QStringLiteral(" (Xc/R)");
        lblSegmentLinks->setText(pair.leftName + form);
        lblSegmentRechts->setText(pair.rightName + form);
        const qint32 fktn = toInt32(m_main->form().txtFKTN->text());

        if (!drawSide(MSChartRechts, pair.rightTable, fktn, quantity))
            return;
        if (!drawSide(MSChartLinks, pair.leftTable, fktn, quantity))
            return;

        // Left first, each with the pair's maximum read anew.
        for (QChartView *chart : {MSChartLinks, MSChartRechts}) {
            ChartData &data = chart == MSChartLinks ? m_left : m_right;
            const qint32 minW50 = quantity == ComparisonQuantity::InverseR ? qint32(fMinW50Paar()) : 0;
            data.axisMaximum = comparisonAxisMaximum(quantity, minW50);
            showChart(chart, data);
        }
    } catch (const KavioError &e) {
        platform.messages->plain(errorForm(e, procedure, kForm));
    }
}

bool frmVergleichLinksRechts::drawSide(QChartView *chart, const QString &table, qint32 fktn,
                                       ComparisonQuantity quantity)
{
    showChart(chart, preparedChart(1));
    const Platform &platform = m_main->platform();
    QList<ChartRecord> records;
    {
        DbConnection db = dbOpenSegmente(platform);
        if (!db.isOpen()) // the opening rule has told the operator already
            return false;
        QSqlQuery q = db.exec(sql::comparisonRows(table), {fktn});
        records = readChartRecords(q, QStringLiteral("W50"));
    }
    if (records.isEmpty()) {
        platform.messages->info(QStringLiteral("Keine Daten vorhanden!"));
        Timer1->start();
        return false;
    }
    ChartData &data = chart == MSChartLinks ? m_left : m_right;
    data = comparisonChart(records, quantity);
    showChart(chart, data);
    return true;
}

qint32 frmVergleichLinksRechts::fMinW50(const QString &table, qint32 fktn)
{
    DbConnection db = dbOpenSegmente(m_main->platform());
    if (!db.isOpen())
        return 0;
    QSqlQuery q = db.exec(sql::minW50(table), {fktn});
    // MIN over no row, or over empty values, is NULL: no smallest value.
    if (!q.next() || q.value(0).isNull())
        return 0;
    return q.value(0).toInt();
}

double frmVergleichLinksRechts::fMinW50Paar()
{
    const qint32 fktn = toInt32(m_main->form().txtFKTN->text());
    const Pair pair = pairOf(m_main->strSegment);
    minW50Links = fMinW50(pair.leftTable, fktn);
    minW50Rechts = fMinW50(pair.rightTable, fktn);
    return std::min(minW50Links, minW50Rechts);
}

void frmVergleichLinksRechts::cmdPreview_Click()
{
    Ui::frmMain &main = m_main->form();
    ComparisonPage page;
    page.rightChart = MSChartRechts;
    page.leftChart = MSChartLinks;
    page.rightCaption = lblSegmentRechts->text();
    page.leftCaption = lblSegmentLinks->text();
    page.companyLogo = pictureOf(main.imgCompLogo);
    page.programLogo = pictureOf(main.imgProgLogo);
    page.person = {QStringLiteral("Name: ") + main.LBL_Top_Name->text(),
                   QStringLiteral("Vorname: ") + main.LBL_Top_Vorname->text(),
                   QStringLiteral("Geburtsdatum: ") + main.LBL_Top_GebDat->text()};
    page.windowWidth = width() * kTwipsPerPixel;
    page.jobName =
        printJobName(QStringLiteral("Segmentvergleich"), main.LBL_Top_Name->text(), main.LBL_Top_Vorname->text());
    try {
        if (!m_main->platform().printers)
            throw KavioError(RunError::PrinterError);
        printComparisonPage(*m_main->platform().printers, page);
    } catch (const KavioError &e) {
        m_main->platform().messages->plain(errorForm(e, QStringLiteral("cmdPreview_Click"), kForm));
    }
}

void frmVergleichLinksRechts::cmdCloseForm_Click()
{
    hide();
    m_main->form().cmdExtremitaet->setEnabled(true);
    close();
}

void frmVergleichLinksRechts::Timer1_Timer()
{
    Timer1->stop();
    close();
}

} // namespace kavio
