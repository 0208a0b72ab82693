// Person and segment selection.
#include "app/Conversions.h"
#include "app/Errors.h"
#include "app/Log.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "platform/SerialLine.h"
#include "ui_frmMain.h"
#include "workstation/frmMain.h"
#include "workstation/ListModel.h"
#include "workstation/ListReader.h"
#include "workstation/mdlGrid.h"

#include <QHeaderView>
#include <QPalette>

namespace kavio {

namespace {

const QString kUnsavedQuestion =
    QStringLiteral("Die Messung wurde noch nicht gespeichert!\nWollen Sie die Messung verwerfen?");

// The segment of the first ticked option, in the chooser's order; nullptr when none is.
const SegmentInfo *tickedSegment(Ui::frmMain &ui)
{
    const std::pair<QRadioButton *, const char *> options[] = {
        {ui.optAL, "AL"}, {ui.optAR, "AR"}, {ui.optBL, "BL"}, {ui.optBR, "BR"}};
    for (const auto &[option, code] : options)
        if (option->isChecked())
            return segmentByCode(QLatin1String(code));
    return nullptr;
}

} // namespace

void frmMain::setupSelection()
{
    QTableView *list = ui->ocxFlex;
    prepareReadOnlyList(*list);
    // The chosen person's row keeps its tint while it is the selected row.
    QPalette tinted = list->palette();
    tinted.setColor(QPalette::Highlight, personRowColour());
    tinted.setColor(QPalette::HighlightedText, Qt::white);
    list->setPalette(tinted);
    // A click takes the row over; so does Enter on the row chosen with the keyboard.
    connect(list, &QTableView::clicked, this, [this](const QModelIndex &index) {
        if (index.isValid())
            ocxFlex_SelChange(index.row() + 1);
    });
    connect(list, &QTableView::activated, this, [this](const QModelIndex &index) {
        if (index.isValid() && ui->ocxFlex->isVisible())
            ocxFlex_SelChange(index.row() + 1);
    });
    // The routines below are the handlers; the buttons reach them through a guard, so a
    // failure is reported instead of leaving the event loop.
    auto guard = [this](QPushButton *button, void (frmMain::*handler)(), const QString &procedure) {
        disconnect(button, &QPushButton::clicked, this, handler);
        connect(button, &QPushButton::clicked, this, [this, handler, procedure] {
            try {
                (this->*handler)();
            } catch (const KavioError &e) {
                m_platform.messages->plain(errorForm(e, procedure, QStringLiteral("frmMain")));
            }
        });
    };
    guard(ui->cmdPatientAuswahl, &frmMain::cmdPatientAuswahl_Click, QStringLiteral("cmdPatientAuswahl_Click"));
    guard(ui->cmdOptSegment, &frmMain::cmdOptSegment_Click, QStringLiteral("cmdOptSegment_Click"));
}

static QVector<ListFormatter> personListFormats()
{
    return {{}, {}, {}, &isoToGermanDate};
}

void frmMain::fillPersonList()
{
    m_personListReader->cancel();
    bindPersonList(ListModel::of(m_session->repository().personList(personListFormats())));
}

void frmMain::fillPersonListInBackground()
{
    // The reader is stopped before the session goes (it is the window's last member).
    const SegmentRepository &repository = m_session->repository();
    m_personListReader->start(
        [&repository](const std::atomic_bool *cancel) { return repository.personList(personListFormats(), cancel); },
        [this](ListRows rows) { bindPersonList(ListModel::of(std::move(rows))); },
        // Nothing shows the list before "Patient auswählen" fills it again, and that
        // fill says what is wrong with the database.
        [](const KavioError &e) {
            qCInfo(lcWindow) << "person list read at start-up failed:" << e.number() << e.description();
        });
}

void frmMain::bindPersonList(std::unique_ptr<ListModel> model)
{
    FlexGrid grid(*ui->ocxFlex);
    grid.bind(model.get());
    m_personModel = std::move(model); // the list held before goes only now, unbound
    grid.setColWidth(0, 1);
    Grid_AutoSize(*ui->ocxFlex, *ui->lblTemp, *m_platform.messages);
}

void frmMain::cmdPatientAuswahl_Click()
{
    ui->ocxFlex->setVisible(true);
    fillPersonList();
    ui->grdMessungen->setVisible(false);
    Messungsliste_Leeren();
    ui->FraMesswerte->setVisible(true);
    ui->MSChart->setVisible(false);
    Ausblenden_Messfelder();
    Ausblenden_EinOderZwei();
    ui->fraOptSegmente->setVisible(false);
    Leeren_Segmentoptionen();
    m_session->chooseSegment(nullptr);
    Leeren_Behandlungsoptionen();
    Leeren_Kopfzeile();
    ui->txtTestDatum->setEnabled(true);
    ui->txtTestDatum->setVisible(true);
    ui->fraLegende_Widerstand->setVisible(false);
    Ausblenden_Koerpermarken();
    ui->cmdMesswerte->setEnabled(false);
    ui->cmdExtremitaet->setEnabled(false);
    ui->cmdOpenVergleichsFormular->setVisible(false);
    ui->cmdPrintOut->setVisible(false);
    ui->cmdShowMesswerte->setVisible(false);
    Ausblenden_Wertlabels();
    Leeren_Anzahlen();
    ui->cmdGraph->setVisible(false);
    ui->cmd_Xc_Graph->setVisible(false);
    ui->cmdPhaseGraph->setVisible(false);
    ui->ocxFlex->setFocus();
}

void frmMain::ocxFlex_SelChange(int row)
{
    try {
        PersonenZeileMarkieren(row);
        const FlexGrid grid(*ui->ocxFlex);
        const int chosen = grid.row();
        m_session->choosePerson({toInt32(grid.textMatrix(chosen, 1)), grid.textMatrix(chosen, 2),
                                 grid.textMatrix(chosen, 3), toDate(grid.textMatrix(chosen, 4))});
        ui->txtFKTN->setText(QString::number(m_session->person().number));
        FillPatiendenDaten();
        refreshCounts();
        cmdOptSegment_Click();
        ui->cmdExtremitaet->setEnabled(true);
        ui->cmdMesswerte->setEnabled(true);
        ui->ocxFlex->setVisible(false);
        ui->grdMessungen->setVisible(true);
    } catch (const KavioError &e) {
        m_platform.messages->plain(errorForm(e, QStringLiteral("ocxFlex_SelChange"), QStringLiteral("Form1")));
    }
}

void frmMain::FillPatiendenDaten()
{
    const Person &person = m_session->person();
    ui->LBL_Top_GebDat->setText(germanDate(person.birthDate));
    ui->LBL_Top_Name->setText(person.name);
    ui->LBL_Top_Vorname->setText(person.firstName);
    ui->LBL_Top_PNUMMER->setText(QStringLiteral("Nr. ") + QString::number(person.number));
    ui->LBL_Top_Alter->setText(ageCaption(person.birthDate, m_platform.clock->today()));
}

void frmMain::refreshCounts()
{
    const SegmentCounts counts = m_session->counts();
    const std::pair<QLabel *, const char *> labels[] = {
        {ui->lblAnzMessAL, "AL"}, {ui->lblAnzMessAR, "AR"}, {ui->lblAnzMessBL, "BL"}, {ui->lblAnzMessBR, "BR"}};
    for (const auto &[label, code] : labels)
        label->setText(QString::number(counts.of(*segmentByCode(QLatin1String(code)))));
}

void frmMain::cmdExtremitaet_Click()
{
    if (!m_session->unsaved()) {
        ui->fraOptSegmente->setVisible(true);
        ui->fraOptSegmente->setEnabled(true);
        Ausblenden_Messfelder();
        Ausblenden_Wertlabels();
        for (QWidget *w :
             {static_cast<QWidget *>(ui->cmd_Xc_Graph), static_cast<QWidget *>(ui->cmdGraph),
              static_cast<QWidget *>(ui->cmdPhaseGraph), static_cast<QWidget *>(ui->cmdVerlaufswerteZweiMessungen),
              static_cast<QWidget *>(ui->cmdPrintMesswerte), static_cast<QWidget *>(ui->cmdOpenVergleichsFormular),
              static_cast<QWidget *>(ui->cmdPrintOut), static_cast<QWidget *>(ui->cmdShowMesswerte)})
            w->setVisible(false);
        return;
    }
    if (!m_platform.messages->ask(kUnsavedQuestion))
        return;
    ui->fraOptSegmente->setVisible(true);
    ui->fraOptSegmente->setEnabled(true);
    Ausblenden_Messfelder();
    Ausblenden_Wertlabels();
    m_session->setUnsaved(false);
}

void frmMain::cmdOptSegment_Click()
{
    Ausblenden_Wertlabels();
    const SegmentInfo *segment = tickedSegment(*ui);
    if (!segment) {
        cmdExtremitaet_Click();
        m_platform.messages->info(
            QStringLiteral("Bitte bestätigen Sie mit OK und wählen anschließend ein Segment aus!"));
        return;
    }
    m_session->chooseSegment(segment);
    Einblenden_Segmentfelder(QLatin1String(segment->table));
    fillGRDMessungen();
    if (m_session->automatic() && !m_platform.serial->isOpen())
        reopenPortForMeasurement();
    ui->fraEinoderZwei->setVisible(true);
    fill_Labels();
    ui->fraOptSegmente->setVisible(false);
    ui->cmdGraph->setVisible(true);
    ui->cmd_Xc_Graph->setVisible(true);
    ui->cmdPhaseGraph->setVisible(true);
    ui->cmdExtremitaet->setEnabled(false);
    ui->cmdOpenVergleichsFormular->setVisible(true);
    ui->cmdShowMesswerte->setVisible(true);
    ui->cmdPrintOut->setVisible(true);
}

void frmMain::fill_Labels()
{
    Setzen_Segmentbeschriftung(m_session->segment() ? QLatin1String(m_session->segment()->table) : QString());
}

void frmMain::cmdNeuerPatient_Click()
{
    m_platform.messages->info(QStringLiteral("Bitte legen Sie neue Personen in Ihrer Kavio Plus Software an"));
}

} // namespace kavio
