#pragma once

#include "gdt/LinkSettings.h"
#include "platform/Platform.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace kavio {

// "GDT-Einstellungen": whether and how the program exchanges files with the practice
// software. OK checks the entries, keeps them in the own settings and announces them;
// entries that cannot be used are named and nothing is kept.
class frmGdtSettings final : public QDialog {
    Q_OBJECT
public:
    frmGdtSettings(const Platform &platform, QWidget *parent = nullptr);

    // The entries as they stand.
    gdt::LinkSettings entered() const;

signals:
    void saved(const kavio::gdt::LinkSettings &settings);

private:
    void showSettings(const gdt::LinkSettings &settings);
    void chooseFolder();
    void save();

    Platform m_platform;
    QCheckBox *m_enabled;
    QLineEdit *m_folder;
    QLineEdit *m_ownId;
    QLineEdit *m_practiceId;
    QComboBox *m_charset;
    QComboBox *m_extension;
};

} // namespace kavio
