#include "charts/frmVergleichLinksRechts.h"

#include "app/Conversions.h"
#include "app/Errors.h"
#include "charts/ChartView.h"
#include "charts/PageFigures.h"
#include "charts/PagePrinter.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "session/Session.h"

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
    const SegmentInfo &left, &right;
};

// Both arms for an arm, both legs for a leg.
Pair pairOf(const SegmentInfo &segment)
{
    const bool arm = segment.code[0] == 'A';
    return {*segmentByCode(QLatin1String(arm ? "AL" : "BL")), *segmentByCode(QLatin1String(arm ? "AR" : "BR"))};
}

// Places a control by its position in twips (15 to the pixel).
template <typename W> W *place(W *w, const char *name, int left, int top, int width, int height)
{
    w->setObjectName(QLatin1String(name));
    w->setGeometry(left / 15, top / 15, width / 15, height / 15);
    return w;
}

} // namespace

frmVergleichLinksRechts::frmVergleichLinksRechts(const Platform &platform, Session &session, PageLogos logos,
                                                 QWidget *parent)
    : QWidget(parent, Qt::Window), m_platform(platform), m_session(session), m_logos(std::move(logos))
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
    cmdVorschau = place(new QPushButton(QStringLiteral("Vorschau…"), this), "cmdVorschau", 7920, 5880, 2775, 615);
    cmdPdf = place(new QPushButton(QStringLiteral("Als PDF speichern…"), this), "cmdPdf", 7920, 6600, 2775, 495);
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
    connect(cmdVorschau, &QPushButton::clicked, this, &frmVergleichLinksRechts::cmdVorschau_Click);
    connect(cmdPdf, &QPushButton::clicked, this, &frmVergleichLinksRechts::cmdPdf_Click);
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
    showSide(MSChartLinks, clearedChart());
    showSide(MSChartRechts, clearedChart());
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
    VergleichChartsLeeren();
    if (!m_session.segment()) {
        m_platform.messages->plain(QStringLiteral("Sie haben kein Segment ausgewählt"));
        return;
    }
    Timer1->stop();
    try {
        const Pair pair = pairOf(*m_session.segment());
        const QString form =
            quantity == ComparisonQuantity::InverseR ? QStringLiteral(" (1/R)") : QStringLiteral(" (Xc/R)");
        lblSegmentLinks->setText(QString::fromUtf8(pair.left.caption) + form);
        lblSegmentRechts->setText(QString::fromUtf8(pair.right.caption) + form);

        if (!drawSide(MSChartRechts, pair.right, quantity))
            return;
        if (!drawSide(MSChartLinks, pair.left, quantity))
            return;

        // Left first, each with the pair's maximum read anew.
        for (QChartView *chart : {MSChartLinks, MSChartRechts}) {
            ChartData data = chart == MSChartLinks ? m_left : m_right;
            const qint32 minW50 = quantity == ComparisonQuantity::InverseR ? qint32(fMinW50Paar()) : 0;
            data.axisMaximum = comparisonAxisMaximum(quantity, minW50);
            showSide(chart, data);
        }
    } catch (const KavioError &e) {
        m_platform.messages->plain(errorForm(e, procedure, kForm));
    }
}

bool frmVergleichLinksRechts::drawSide(QChartView *chart, const SegmentInfo &segment, ComparisonQuantity quantity)
{
    showSide(chart, preparedChart(1));
    const QList<ChartRecord> records =
        chartRecords(m_session.repository().measurements(segment, m_session.person().number, MeasurementOrder::ByDay));
    if (records.isEmpty()) {
        m_platform.messages->info(QStringLiteral("Keine Daten vorhanden!"));
        Timer1->start();
        return false;
    }
    showSide(chart, comparisonChart(records, quantity));
    return true;
}

void frmVergleichLinksRechts::showSide(QChartView *chart, const ChartData &data)
{
    // What the page prints is what the window shows.
    (chart == MSChartLinks ? m_left : m_right) = data;
    showChart(chart, data);
}

qint32 frmVergleichLinksRechts::fMinW50(const SegmentInfo &segment)
{
    // MIN over no row, or over empty values, is NULL: no smallest value.
    return m_session.repository().smallestW50(segment, m_session.person().number).value_or(0);
}

double frmVergleichLinksRechts::fMinW50Paar()
{
    const Pair pair = pairOf(*m_session.segment());
    minW50Links = fMinW50(pair.left);
    minW50Rechts = fMinW50(pair.right);
    return std::min(minW50Links, minW50Rechts);
}

std::optional<PrintOut> frmVergleichLinksRechts::printOutOfPage()
{
    const Person &person = m_session.person();
    ComparisonPage page;
    page.rightChart = m_right;
    page.leftChart = m_left;
    page.chartSize = chartSizeTwips(MSChartLinks);
    page.rightCaption = lblSegmentRechts->text();
    page.leftCaption = lblSegmentLinks->text();
    page.companyLogo = m_logos.company;
    page.programLogo = m_logos.program;
    page.person = {QStringLiteral("Name: ") + person.name, QStringLiteral("Vorname: ") + person.firstName,
                   QStringLiteral("Geburtsdatum: ") + germanDate(person.birthDate)};
    page.windowWidth = width() * kTwipsPerPixel;
    page.jobName = printJobName(QStringLiteral("Segmentvergleich"), person.name, person.firstName);
    const clinical::Limbs limbs =
        m_session.segment() && m_session.segment()->code[0] == 'B' ? clinical::Limbs::Legs : clinical::Limbs::Arms;
    try {
        std::array<QList<Measurement>, 4> perSegment;
        for (clinical::Side side : {clinical::Side::Left, clinical::Side::Right}) {
            const SegmentInfo &segment = clinical::limbSegment(limbs, side);
            perSegment[static_cast<size_t>(segment.storeIndex)] =
                m_session.repository().measurements(segment, person.number, MeasurementOrder::ByDay);
        }
        page.ratio = comparisonRatioLines(limbs, perSegment, m_session.repository().personFacts(person.number));
    } catch (const KavioError &e) {
        m_platform.messages->plain(errorForm(e, QStringLiteral("cmdPreview_Click"), kForm));
        return std::nullopt;
    }
    PrintOut out;
    out.jobName = page.jobName;
    out.orientation = QPageLayout::Landscape;
    out.pdfName = pdfFileName(person.name, person.firstName, m_platform.clock->today(),
                              QStringLiteral("Vergleich_") + clinical::limbsWord(limbs));
    out.draw = [page](Printer &printer) { printComparisonPage(printer, page); };
    out.procedure = QStringLiteral("cmdPreview_Click");
    out.form = kForm;
    return out;
}

void frmVergleichLinksRechts::cmdPreview_Click()
{
    if (const auto out = printOutOfPage())
        printOut(m_platform, *out);
}

void frmVergleichLinksRechts::cmdVorschau_Click()
{
    if (const auto out = printOutOfPage())
        previewOut(m_platform, *out);
}

void frmVergleichLinksRechts::cmdPdf_Click()
{
    if (const auto out = printOutOfPage())
        savePdf(m_platform, *out);
}

void frmVergleichLinksRechts::cmdCloseForm_Click()
{
    hide();
    emit closedByOperator();
    close();
}

void frmVergleichLinksRechts::Timer1_Timer()
{
    Timer1->stop();
    close();
}

} // namespace kavio
