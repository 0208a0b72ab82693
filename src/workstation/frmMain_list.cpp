// Measurement list and value display.
#include "ui_frmMain.h"
#include "workstation/frmMain.h"

namespace kavio {

void frmMain::setupList() {}
void frmMain::fillGRDMessungen(const QString &, qint32) {}
void frmMain::grdMessungen_SelChange(int) {}
void frmMain::cmdErase_Click() {}
void frmMain::cmdShowMesswerte_Click() {}
void frmMain::cmdMesswerte_Click() {}

void frmMain::LeereAlleFelder()
{
    Ausblenden_Koerpermarken();
    for (QLineEdit *f : valueFields) {
        f->setVisible(true);
        f->setText(QStringLiteral("0"));
    }
}

void frmMain::PersonenZeileMarkieren(int) {}
void frmMain::Messungsliste_Leeren() {}

} // namespace kavio
