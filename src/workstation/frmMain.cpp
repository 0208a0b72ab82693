#include "workstation/frmMain.h"

#include "app/Conversions.h"
#include "app/Errors.h"
#include "app/Log.h"
#include "db/RepositoryChoice.h"
#include "gdt/PracticeLink.h"
#include "platform/Clock.h"
#include "platform/SerialLine.h"
#include "ui_frmMain.h"
#include "workstation/ListModel.h"
#include "workstation/ListReader.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>

static void initKavioResources()
{
    Q_INIT_RESOURCE(kavio);
}

namespace kavio {

namespace {

// Keeps a caption label shown exactly while the control it names is shown.
class FollowVisibility final : public QObject {
public:
    FollowVisibility(QWidget *control, QWidget *caption) : QObject(control), m_caption(caption)
    {
        control->installEventFilter(this);
    }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::ShowToParent)
            m_caption->setVisible(true);
        else if (event->type() == QEvent::HideToParent)
            m_caption->setVisible(false);
        return false;
    }

private:
    QWidget *m_caption;
};

} // namespace

frmMain::frmMain(const Platform &platform, QWidget *parent)
    : QMainWindow(parent), m_platform(platform), ui(std::make_unique<Ui::frmMain>()),
      m_session(new Session(createRepository(platform), this)), m_personListReader(std::make_unique<ListReader>())
{
    initKavioResources();
    ui->setupUi(this);
    collectControls();
    connectHandlers();
    setupModes();
    setupSelection();
    setupList();
    setupStorage();
    setupDevice();
    setupCharts();
    setupGdt();
    setupClinical();
    setupMigration();
    Form_Load();
    m_session->repository().watchChanges([this] { showOtherWorkstationsChanges(); });
}

frmMain::~frmMain() = default;

void frmMain::collectControls()
{
    auto label = [this](const QString &name) { return findChild<QLabel *>(name); };
    new FollowVisibility(ui->txtTestDatum, ui->lblTestDatum);
    for (int i = 0; i < 4; ++i) {
        const QString idx = QString::number(i);
        lblR_Ar[i] = label(QStringLiteral("lblR_Ar_") + idx);
        lblXc_AR[i] = label(QStringLiteral("lblXc_AR_") + idx);
        lbl5_AR[i] = label(QStringLiteral("lbl5_AR_") + idx);
        lbl50_AR[i] = label(QStringLiteral("lbl50_AR_") + idx);
        lbl100_AR[i] = label(QStringLiteral("lbl100_AR_") + idx);
        Shape[i] = findChild<QFrame *>(QStringLiteral("Shape") + QString::number(i + 1));
    }
    for (const auto &s : kSegments)
        for (int q = 0; q < 6; ++q)
            m_valueFields[storeIndex(static_cast<Quantity>(q), s)] =
                findChild<QLineEdit *>(valueFieldName(static_cast<Quantity>(q), s));
    // The person's data as stored, never read as markup.
    for (QLabel *l :
         {ui->LBL_Top_Name, ui->LBL_Top_Vorname, ui->LBL_Top_GebDat, ui->LBL_Top_Alter, ui->LBL_Top_PNUMMER})
        l->setTextFormat(Qt::PlainText);
    ui->txtFKTN->setVisible(false);
    ui->MSChart->setVisible(false); // until a chart is drawn
    ui->lblTemp->setVisible(false);
    ui->Image1->setVisible(false);
    ui->fraBehandlung->setVisible(false);
    ui->cmdVerlaufswerteZweiMessungen->setVisible(false);
    ui->cmdPrintMesswerte->setVisible(false);
}

void frmMain::connectHandlers()
{
    connect(ui->cmdBeenden, &QAction::triggered, this, &frmMain::cmdBeenden_Click);
    connect(ui->mnuImport, &QAction::triggered, this, &frmMain::mnuImport_Click);
    connect(ui->mnuloeschen, &QAction::triggered, this, &frmMain::mnuloeschen_Click);
    connect(ui->mnuExportHistory, &QAction::triggered, this, &frmMain::mnuExportHistory_Click);
    connect(ui->mnuKontakt, &QAction::triggered, this, &frmMain::mnuKontakt_Click);
    connect(ui->mnuDatenSichern, &QAction::triggered, this, &frmMain::mnuDatenSichern_Click);
    connect(ui->mnuDatenWiederherstellen, &QAction::triggered, this, &frmMain::mnuDatenWiederherstellen_Click);

    connect(ui->cmdPatientAuswahl, &QPushButton::clicked, this, &frmMain::cmdPatientAuswahl_Click);
    connect(ui->cmdNeuerPatient, &QPushButton::clicked, this, &frmMain::cmdNeuerPatient_Click);
    connect(ui->cmdExtremitaet, &QPushButton::clicked, this, &frmMain::cmdExtremitaet_Click);
    connect(ui->cmdOptSegment, &QPushButton::clicked, this, &frmMain::cmdOptSegment_Click);
    connect(ui->cmdMesswerte, &QPushButton::clicked, this, &frmMain::cmdMesswerte_Click);
    connect(ui->cmdErase, &QPushButton::clicked, this, &frmMain::cmdErase_Click);
    connect(ui->cmdShowMesswerte, &QPushButton::clicked, this, &frmMain::cmdShowMesswerte_Click);
    connect(ui->cmdSaveMess, &QPushButton::clicked, this, &frmMain::cmdSaveMess_Click);
    connect(ui->cmdZweiteMessungSpeichern, &QPushButton::clicked, this, &frmMain::cmdZweiteMessungSpeichern_Click);
    connect(ui->cmdGraph, &QPushButton::clicked, this, &frmMain::cmdGraph_Click);
    connect(ui->cmd_Xc_Graph, &QPushButton::clicked, this, &frmMain::cmd_Xc_Graph_Click);
    connect(ui->cmdPhaseGraph, &QPushButton::clicked, this, &frmMain::cmdPhaseGraph_Click);
    connect(ui->cmdPrintOut, &QPushButton::clicked, this, &frmMain::cmdPrintOut_Click);
    connect(ui->cmdOpenVergleichsFormular, &QPushButton::clicked, this, &frmMain::cmdOpenVergleichsFormular_Click);
    connect(ui->optEineBeh, &QRadioButton::clicked, this, &frmMain::optEineBeh_Click);
    connect(ui->optZweiBeh, &QRadioButton::clicked, this, &frmMain::optZweiBeh_Click);
    connect(ui->optR5, &QRadioButton::clicked, this, &frmMain::optR5_Click);
    connect(ui->optR50, &QRadioButton::clicked, this, &frmMain::optR50_Click);
    connect(ui->optR100, &QRadioButton::clicked, this, &frmMain::optR100_Click);
    connect(ui->Unischbar1, &Unischbar::Click, this, &frmMain::Unischbar1_Click);
}

void frmMain::Form_Load()
{
    // Steps up to the start-up question are each passed over when they fail.
    auto guarded = [](auto &&step) {
        try {
            step();
        } catch (const std::exception &e) {
            qCWarning(lcWindow) << "Form_Load: a step failed and was passed over:" << e.what();
        }
    };
    guarded([&] { ui->lblSegmentAktuell->setText(QStringLiteral(" ")); });
    guarded([&] {
        Ausblenden_Wertlabels();
        ChartDatenLeeren();
    });
    guarded([&] {
        ui->fraSegment->setVisible(false);
        ui->fraOptSegmente->setVisible(false);
        ui->fraWiderstand->setVisible(false);
        ui->fraBehandlung->setVisible(false);
        ui->cmdSaveMess->setVisible(false);
        ui->cmdZweiteMessungSpeichern->setVisible(false);
    });
    guarded([&] { ui->txtTestDatum->setText(germanDate(m_platform.clock->today())); });
    guarded([&] {
        ui->cmdGraph->setVisible(false);
        ui->MSChart->setVisible(false);
        ui->fraLegende_Widerstand->setVisible(false);
        ui->cmd_Xc_Graph->setVisible(false);
        ui->cmdPhaseGraph->setVisible(false);
        ui->cmdOpenVergleichsFormular->setVisible(false);
        ui->cmdShowMesswerte->setVisible(false);
        ui->cmdPrintOut->setVisible(false);
    });
    guarded([&] { Automatische_Messung(); });

    closePortIfOpen();
    LeereAlleFelder();
    Ausblenden_Messfelder();
    ui->grdMessungen->setVisible(false);
    ui->ocxFlex->setVisible(false);
    ui->optR100->setChecked(false);
    ui->optR5->setChecked(false);
    ui->optR50->setChecked(true);
    m_session->setChartResistance(Frequency::kHz50);
    ui->optBevor->setChecked(true);
    ui->cmdMesswerte->setEnabled(false);
    ui->cmdExtremitaet->setEnabled(false);
    fillPersonListInBackground();
    m_practiceLink->apply(gdt::loadLinkSettings(*m_platform.settings));
}

void frmMain::cmdBeenden_Click()
{
    // Closing the port ignores every failure.
    if (m_platform.serial)
        m_platform.serial->close();
    close();
}

void frmMain::closeEvent(QCloseEvent *event)
{
    closePortIfOpen();
    QMainWindow::closeEvent(event);
    if (event->isAccepted())
        QCoreApplication::quit(); // the last window closing does not end the program by itself
}

void frmMain::closePortIfOpen()
{
    if (m_platform.serial && m_platform.serial->isOpen())
        m_platform.serial->close();
}

void frmMain::releaseDatabase()
{
    m_personListReader->cancel();
    m_personModel.reset();
    m_measurementModel.reset();
    m_session->repository().release();
}

} // namespace kavio
