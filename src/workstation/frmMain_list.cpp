// Measurement list and value display.
#include "app/Conversions.h"
#include "app/Errors.h"
#include "platform/Clock.h"
#include "platform/Messages.h"
#include "session/MeasurementTable.h"
#include "ui_frmMain.h"
#include "workstation/frmMain.h"
#include "workstation/ListModel.h"
#include "workstation/mdlGrid.h"

#include <algorithm>
#include <QHeaderView>
#include <QItemSelectionModel>

namespace kavio {

void frmMain::setupList()
{
    QTableView *list = ui->grdMessungen;
    prepareReadOnlyList(*list);
    ui->txtMessNr->setText(QStringLiteral("   "));
}

void frmMain::fillGRDMessungen()
{
    try {
        auto model = ListModel::of(measurementListRows(m_session->measurements(MeasurementOrder::NewestFirst)));
        FlexGrid grid(*ui->grdMessungen);
        grid.bind(model.get());
        m_measurementModel = std::move(model);
        // The selection model is new with every list.
        connect(ui->grdMessungen->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this](const QModelIndex &current) {
                    if (current.isValid())
                        grdMessungen_SelChange(current.row() + 1);
                });
        grid.setColWidth(0, 1);
        Grid_AutoSize(*ui->grdMessungen, *ui->lblTemp, *m_platform.messages);
        grid.setColWidth(6, 600);
        grid.setColWidth(7, 600);
        grid.setColWidth(8, 600);
        // The number a deletion takes stays readable: never narrower than its heading.
        grid.setColWidth(9, std::max(800, qRound(ui->grdMessungen->horizontalHeader()->sectionSizeHint(8) *
                                                 twipsPerPixel(*ui->grdMessungen))));
        ui->grdMessungen->setVisible(true);
        ui->grdMessungen->viewport()->update();
    } catch (const KavioError &e) {
        m_platform.messages->plain(errorForm(e, QStringLiteral("fillGRDMessungen"), QStringLiteral("frmMain")));
    }
}

void frmMain::grdMessungen_SelChange(int row)
{
    const FlexGrid grid(*ui->grdMessungen);
    if (row >= grid.fixedRows() && row < grid.rows() && grid.cols() > 9)
        ui->txtMessNr->setText(grid.textMatrix(row, 9));
}

void frmMain::cmdErase_Click()
{
    if (!m_platform.messages->ask(QStringLiteral("Wollen Sie die Messung wirklich löschen?")))
        return;
    try {
        const SegmentInfo *segment = m_session->segment();
        const qint32 messId = toInt32(ui->txtMessNr->text());
        if (!segment || !m_session->deleteMeasurement(messId)) {
            m_platform.messages->info(QStringLiteral("Die Messung Nr. %1 ist keine Messung dieser Person in "
                                                     "diesem Segment. Es wurde nichts gelöscht.")
                                          .arg(messId));
            return;
        }
        fillGRDMessungen();
        ui->grdMessungen->viewport()->update();
        ui->txtMessNr->clear();
        // The segment's count changed with the deletion, as it does with a save.
        refreshCounts();
    } catch (const KavioError &e) {
        m_platform.messages->plain(errorForm(e, QStringLiteral("cmdErase_Click"), QStringLiteral("frmMain")));
    }
}

void frmMain::cmdShowMesswerte_Click()
{
    ui->MSChart->setVisible(false);
    ui->FraMesswerte->setVisible(true);
    ui->fraEinoderZwei->setVisible(true);
    ui->fraLegende_Widerstand->setVisible(false);
}

void frmMain::cmdMesswerte_Click()
{
    const bool unsaved = m_session->unsaved();
    if (unsaved && !m_platform.messages->ask(
                       QStringLiteral("Die Messung wurde noch nicht gespeichert!\nWollen Sie die Messung verwerfen?")))
        return;
    ui->cmdZweiteMessungSpeichern->setVisible(false);
    ui->FraMesswerte->setVisible(true);
    ui->MSChart->setVisible(false);
    Nullen_Messfelder();
    Ausblenden_Messfelder();
    ui->fraEinoderZwei->setVisible(false);
    ui->fraOptSegmente->setVisible(false);
    m_session->chooseSegment(nullptr);
    Leeren_Segmentoptionen();
    Leeren_Behandlungsoptionen();
    ui->lblSegmentAktuell->clear();
    Messungsliste_Leeren();
    ui->txtTestDatum->setText(germanDate(m_platform.clock->today()));
    ui->txtTestDatum->setEnabled(true);
    ui->txtTestDatum->setVisible(true);
    ui->fraLegende_Widerstand->setVisible(false);
    Ausblenden_Koerpermarken();
    if (!unsaved) {
        cmdExtremitaet_Click();
        Messungsliste_Leeren();
        m_session->setUnsaved(false);
    } else {
        ui->fraOptSegmente->setVisible(true);
        ui->fraOptSegmente->setEnabled(true);
        Ausblenden_Messfelder();
        Ausblenden_Wertlabels();
        m_session->setUnsaved(false);
        Messungsliste_Leeren();
        ui->cmdPatientAuswahl->setEnabled(true);
    }
    ui->cmdExtremitaet->setEnabled(true);
    ui->fraEinoderZwei->setEnabled(true);
}

void frmMain::LeereAlleFelder()
{
    Ausblenden_Koerpermarken();
    for (QLineEdit *f : m_valueFields)
        f->setVisible(true);
    m_session->clearValues(); // the fields follow (setupStorage)
}

void frmMain::PersonenZeileMarkieren(int row)
{
    FlexGrid grid(*ui->ocxFlex);
    grid.setCurrentCell(row, 1);
    for (int col = 1; col <= 4; ++col) {
        grid.setCurrentCell(row, col);
        grid.setCellBackColor(row, col, personRowColour());
    }
}

void frmMain::Messungsliste_Leeren()
{
    FlexGrid(*ui->grdMessungen).empty();
}

} // namespace kavio
