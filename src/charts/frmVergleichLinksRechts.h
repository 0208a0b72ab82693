#pragma once

#include "charts/ChartModel.h"
#include "charts/PagePrinter.h"
#include "charts/PrintOut.h"
#include "platform/Platform.h"

#include <optional>
#include <QWidget>

class QChartView;
class QLabel;
class QPushButton;
class QRadioButton;
class QTimer;

namespace kavio {

class Session;

// Sets the left and right limb of the current person's segment pair side by side: 1/R or
// Xc/R at 50 kHz over at most seven days. Modeless; reads the session's person and
// segment each time it draws.
class frmVergleichLinksRechts : public QWidget {
    Q_OBJECT
public:
    // logos: the pictures of the main window's header, printed on the page.
    frmVergleichLinksRechts(const Platform &platform, Session &session, charts::PageLogos logos,
                            QWidget *parent = nullptr);
    ~frmVergleichLinksRechts() override;

    void Form_Load();
    void cmdDrawExtremitaet_Click(); // the 1/R comparison
    void DrawExtremitaet_XcR();
    void cmdPreview_Click(); // "Drucken"
    void cmdVorschau_Click();
    void cmdPdf_Click();
    void cmdCloseForm_Click();
    void Timer1_Timer();
    void VergleichChartsLeeren();
    // Smallest W50 of the person in a segment; 0 when there is none.
    qint32 fMinW50(const SegmentInfo &segment);
    // The smaller of fMinW50 of both tables of the pair (both kept in the window).
    double fMinW50Paar();

    QLabel *lblTitle, *lblSegmentLinks, *lblSegmentRechts, *Image1;
    QChartView *MSChartLinks, *MSChartRechts;
    QRadioButton *optWiderstand, *optXC_durch_R;
    QPushButton *cmdPreview, *cmdVorschau, *cmdPdf, *cmdDrawExtremitaet, *cmdCloseForm;
    QTimer *Timer1;
    qint32 minW50Links = 0, minW50Rechts = 0;

signals:
    // "Formular schließen": the main window offers the segment choice again.
    void closedByOperator();

private:
    void draw(charts::ComparisonQuantity quantity, const QString &procedure);
    // Draws one side; false when the table holds no record of the person.
    bool drawSide(QChartView *chart, const SegmentInfo &segment, charts::ComparisonQuantity quantity);
    void showSide(QChartView *chart, const charts::ChartData &data);
    // The page as the window shows it; nothing (and the operator told) when it cannot be made.
    std::optional<charts::PrintOut> printOutOfPage();

    Platform m_platform;
    Session &m_session;
    charts::PageLogos m_logos;
    charts::ChartData m_left, m_right;
};

} // namespace kavio
