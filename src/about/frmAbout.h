#pragma once

#include "platform/Platform.h"

#include <memory>
#include <QDialog>

namespace Ui {
class frmAbout;
}

namespace kavio {

// "Info zu <title>": title, version, the maker's contact lines and the system information.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(const Platform &platform, QWidget *parent = nullptr);
    ~frmAbout() override;

    Ui::frmAbout &form() { return *ui; }

    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();

private:
    Platform m_platform;
    std::unique_ptr<Ui::frmAbout> ui;
};

} // namespace kavio
