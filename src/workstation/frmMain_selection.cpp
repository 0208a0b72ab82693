// Person and segment selection.
#include "app/Conversions.h"
#include "app/Errors.h"
#include "db/Database.h"
#include "db/Statements.h"
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

// Age in completed years: one less while this year's birthday has not come.
int completedYears(const QDate &birth, const QDate &today)
{
    int years = today.year() - birth.year();
    if (today.month() < birth.month() || (today.month() == birth.month() && today.day() < birth.day()))
        --years;
    return years;
}

// The segment of the first ticked option, in the chooser's order; empty when none is.
QString tickedSegment(Ui::frmMain &ui)
{
    const std::pair<QRadioButton *, const char *> options[] = {
        {ui.optAL, "ArmLi"}, {ui.optAR, "ArmRe"}, {ui.optBL, "BeinLi"}, {ui.optBR, "BeinRe"}};
    for (const auto &[option, segment] : options)
        if (option->isChecked())
            return QString::fromLatin1(segment);
    return {};
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

void frmMain::fillPatientenDaten()
{
    m_personListReader->cancel();
    bindPersonList(ListModel::open(segmentePath(m_platform), sql::personListMain(), {}, personListFormats()));
}

void frmMain::fillPatientenDatenInBackground()
{
    const QString path = segmentePath(m_platform);
    m_personListReader->start(
        path, sql::personListMain(), personListFormats(),
        [this, path](ListRows rows) {
            try {
                bindPersonList(ListModel::adopt(DbConnection::open(path, OpenMode::ReadOnly), std::move(rows)));
            } catch (const KavioError &) {
                // As a failed read, below.
            }
        },
        // Nothing shows the list before "Patient auswählen" fills it again, and that
        // fill says what is wrong with the database.
        [](const KavioError &) {});
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
    fillPatientenDaten();
    ui->grdMessungen->setVisible(false);
    Messungsliste_Leeren();
    ui->FraMesswerte->setVisible(true);
    ui->MSChart->setVisible(false);
    Ausblenden_Messfelder();
    Ausblenden_EinOderZwei();
    ui->fraOptSegmente->setVisible(false);
    Leeren_Segmentoptionen();
    strSegment.clear();
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
    ui->ocxFlex->setFocus();
}

void frmMain::ocxFlex_SelChange(int row)
{
    try {
        PersonenZeileMarkieren(row);
        ui->txtFKTN->setText(FlexGrid(*ui->ocxFlex).textMatrix(FlexGrid(*ui->ocxFlex).row(), 1));
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
    const FlexGrid grid(*ui->ocxFlex);
    const int row = grid.row();
    const QDate birth = toDate(grid.textMatrix(row, 4));
    ui->LBL_Top_GebDat->setText(germanDate(birth));
    ui->LBL_Top_Name->setText(grid.textMatrix(row, 2));
    ui->LBL_Top_Vorname->setText(grid.textMatrix(row, 3));
    ui->LBL_Top_PNUMMER->setText(QStringLiteral("Nr. ") + grid.textMatrix(row, 1));
    ui->LBL_Top_Alter->setText(QString::number(completedYears(birth, m_platform.clock->today())) +
                               QStringLiteral(" Jahre"));
}

void frmMain::refreshCounts()
{
    const qint32 fktn = toInt32(ui->txtFKTN->text());
    ui->lblAnzMessAL->setText(QString::number(fAnzahlMessungen(fktn, QStringLiteral("ArmLi"))));
    ui->lblAnzMessAR->setText(QString::number(fAnzahlMessungen(fktn, QStringLiteral("ArmRe"))));
    ui->lblAnzMessBR->setText(QString::number(fAnzahlMessungen(fktn, QStringLiteral("BeinRe"))));
    ui->lblAnzMessBL->setText(QString::number(fAnzahlMessungen(fktn, QStringLiteral("BeinLi"))));
}

qint32 frmMain::fAnzahlMessungen(qint32 fktn, const QString &segment)
{
    const QString statement = sql::countMeasurements(segment);
    DbConnection db = dbOpenSegmente(m_platform);
    if (!db.isOpen()) // the opening rule has told the operator why
        throw KavioError(91, QStringLiteral("Objektvariable oder With-Blockvariable nicht festgelegt"));
    QSqlQuery q = db.exec(statement, {fktn});
    return q.next() ? q.value(0).toInt() : 0;
}

void frmMain::cmdExtremitaet_Click()
{
    if (!bMessungUngespeichert) {
        ui->fraOptSegmente->setVisible(true);
        ui->fraOptSegmente->setEnabled(true);
        Ausblenden_Messfelder();
        Ausblenden_Wertlabels();
        for (QWidget *w :
             {static_cast<QWidget *>(ui->cmd_Xc_Graph), static_cast<QWidget *>(ui->cmdGraph),
              static_cast<QWidget *>(ui->cmdVerlaufswerteZweiMessungen), static_cast<QWidget *>(ui->cmdPrintMesswerte),
              static_cast<QWidget *>(ui->cmdOpenVergleichsFormular), static_cast<QWidget *>(ui->cmdPrintOut),
              static_cast<QWidget *>(ui->cmdShowMesswerte)})
            w->setVisible(false);
        return;
    }
    if (!m_platform.messages->ask(kUnsavedQuestion))
        return;
    ui->fraOptSegmente->setVisible(true);
    ui->fraOptSegmente->setEnabled(true);
    Ausblenden_Messfelder();
    Ausblenden_Wertlabels();
    bMessungUngespeichert = false;
}

void frmMain::cmdOptSegment_Click()
{
    Ausblenden_Wertlabels();
    const QString segment = tickedSegment(*ui);
    if (segment.isEmpty()) {
        cmdExtremitaet_Click();
        m_platform.messages->info(
            QStringLiteral("Bitte bestätigen Sie mit OK und wählen anschließend ein Segment aus!"));
        return;
    }
    strSegment = segment;
    Einblenden_Segmentfelder(strSegment);
    fillGRDMessungen(strSegment, toInt32(ui->txtFKTN->text()));
    if (bAutoMessung && !m_platform.serial->isOpen())
        reopenPortForMeasurement();
    ui->fraEinoderZwei->setVisible(true);
    fill_Labels();
    ui->fraOptSegmente->setVisible(false);
    ui->cmdGraph->setVisible(true);
    ui->cmd_Xc_Graph->setVisible(true);
    ui->cmdExtremitaet->setEnabled(false);
    ui->cmdOpenVergleichsFormular->setVisible(true);
    ui->cmdShowMesswerte->setVisible(true);
    ui->cmdPrintOut->setVisible(true);
}

void frmMain::fill_Labels()
{
    Setzen_Segmentbeschriftung(strSegment);
}

void frmMain::cmdNeuerPatient_Click()
{
    m_platform.messages->info(QStringLiteral("Bitte legen Sie neue Personen in Ihrer Kavio Plus Software an"));
}

} // namespace kavio
