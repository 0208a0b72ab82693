#include "about/frmAbout.h"

#include "about/SysInfo.h"
#include "app/frmSplash.h"
#include "platform/ProgramFolder.h"
#include "ui_frmAbout.h"

namespace kavio {

frmAbout::frmAbout(const Platform &platform, QWidget *parent)
    : QDialog(parent), m_platform(platform), ui(std::make_unique<Ui::frmAbout>())
{
    ui->setupUi(this);
    // OK is the default button; Escape (the dialog's reject) closes the window as OK does.
    connect(ui->cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
    connect(ui->cmdSysInfo, &QPushButton::clicked, this, &frmAbout::cmdSysInfo_Click);
    Form_Load();
}

frmAbout::~frmAbout() = default;

void frmAbout::Form_Load()
{
    setWindowTitle(QStringLiteral("Info zu ") + applicationTitle());
    ui->lblVersion->setText(versionLabel(KAVIO_VERSION_MAJOR, KAVIO_VERSION_MINOR));
    ui->lblTitle->setText(applicationTitle());
    ui->lblDataFolder->setText(dataFolderLabel(*m_platform.folder));
}

void frmAbout::cmdOK_Click()
{
    close();
}

void frmAbout::cmdSysInfo_Click()
{
    StartSysInfo(m_platform);
}

} // namespace kavio
