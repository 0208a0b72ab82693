// Menu "Einstellungen" and the main window's part of the link to the practice software.
#include "app/Errors.h"
#include "app/Log.h"
#include "gdt/frmGdtSettings.h"
#include "gdt/PracticeLink.h"
#include "platform/Messages.h"
#include "ui_frmMain.h"
#include "workstation/frmMain.h"
#include "workstation/mdlGrid.h"

#include <QApplication>
#include <QStatusBar>

namespace kavio {

void frmMain::setupGdt()
{
    m_practiceLink = new gdt::PracticeLink(*m_session, *m_platform.messages, this);
    // A request waits while the operator could lose values by a change of person, or
    // while another window holds the operator.
    m_practiceLink->setBusy([this] {
        return m_session->unsaved() || !ui->cmdPatientAuswahl->isEnabled() || QApplication::activeModalWidget();
    });
    m_practiceLink->setChooser([this](const Person &person) { choosePracticePerson(person); });
    connect(m_practiceLink, &gdt::PracticeLink::note, this,
            [this](const QString &text) { statusBar()->showMessage(text); });
    connect(ui->mnuGdtEinstellungen, &QAction::triggered, this, &frmMain::mnuGdtEinstellungen_Click);
}

void frmMain::choosePracticePerson(const Person &person)
{
    try {
        cmdPatientAuswahl_Click();
        const FlexGrid grid(*ui->ocxFlex);
        const QString number = QString::number(person.number);
        for (int row = 1; row < grid.rows(); ++row)
            if (grid.textMatrix(row, 1) == number) {
                ocxFlex_SelChange(row);
                return;
            }
        qCWarning(lcGdt) << "requested person not in the list:" << person.number;
    } catch (const KavioError &e) {
        m_platform.messages->plain(errorForm(e, QStringLiteral("choosePracticePerson"), QStringLiteral("frmMain")));
    }
}

void frmMain::mnuGdtEinstellungen_Click()
{
    auto *dialog = new frmGdtSettings(m_platform, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setModal(true);
    connect(dialog, &frmGdtSettings::saved, m_practiceLink, &gdt::PracticeLink::apply);
    dialog->open();
}

} // namespace kavio
