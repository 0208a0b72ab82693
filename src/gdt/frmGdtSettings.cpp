#include "gdt/frmGdtSettings.h"

#include "platform/FileDialogs.h"
#include "platform/Messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace kavio {

frmGdtSettings::frmGdtSettings(const Platform &platform, QWidget *parent)
    : QDialog(parent), m_platform(platform), m_enabled(new QCheckBox(QStringLiteral("GDT-Anbindung eingeschaltet"))),
      m_folder(new QLineEdit), m_ownId(new QLineEdit), m_practiceId(new QLineEdit), m_charset(new QComboBox),
      m_extension(new QComboBox)
{
    setWindowTitle(QStringLiteral("GDT-Einstellungen"));
    m_enabled->setObjectName(QStringLiteral("chkAktiv"));
    m_folder->setObjectName(QStringLiteral("txtOrdner"));
    m_ownId->setObjectName(QStringLiteral("txtEigeneKennung"));
    m_practiceId->setObjectName(QStringLiteral("txtPraxisKennung"));
    m_charset->setObjectName(QStringLiteral("cboZeichensatz"));
    m_extension->setObjectName(QStringLiteral("cboEndung"));
    m_folder->setMinimumWidth(320);
    for (QLineEdit *id : {m_ownId, m_practiceId})
        id->setMaxLength(8);
    m_charset->addItem(QStringLiteral("7 Bit (nur ASCII, ohne Umlaute)"), int(gdt::Charset::SevenBit));
    m_charset->addItem(QStringLiteral("IBM-Codepage 437 (Standard)"), int(gdt::Charset::Cp437));
    m_charset->addItem(QStringLiteral("ISO 8859-1 / Windows-1252"), int(gdt::Charset::Latin1));
    m_extension->addItem(QStringLiteral("feste Endung .GDT"));
    m_extension->addItem(QStringLiteral("fortlaufende Endung .001, .002, …"));

    auto *browse = new QPushButton(QStringLiteral("Durchsuchen…"));
    browse->setObjectName(QStringLiteral("cmdOrdnerWaehlen"));
    connect(browse, &QPushButton::clicked, this, &frmGdtSettings::chooseFolder);
    auto *folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(browse);

    auto *form = new QFormLayout;
    form->addRow(m_enabled);
    form->addRow(QStringLiteral("Austauschordner:"), folderRow);
    form->addRow(QStringLiteral("Kennung dieses Programms:"), m_ownId);
    form->addRow(QStringLiteral("Kennung der Praxissoftware:"), m_practiceId);
    form->addRow(QStringLiteral("Zeichensatz:"), m_charset);
    form->addRow(QStringLiteral("Dateiendung:"), m_extension);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("cmdOK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    connect(buttons, &QDialogButtonBox::accepted, this, &frmGdtSettings::save);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
    setLayout(form);

    showSettings(gdt::loadLinkSettings(*m_platform.settings));
}

void frmGdtSettings::showSettings(const gdt::LinkSettings &s)
{
    m_enabled->setChecked(s.enabled);
    m_folder->setText(s.folder);
    m_ownId->setText(s.ownId);
    m_practiceId->setText(s.practiceId);
    m_charset->setCurrentIndex(m_charset->findData(int(s.charset)));
    m_extension->setCurrentIndex(s.counting ? 1 : 0);
}

gdt::LinkSettings frmGdtSettings::entered() const
{
    gdt::LinkSettings s;
    s.enabled = m_enabled->isChecked();
    s.folder = m_folder->text().trimmed();
    s.ownId = m_ownId->text().trimmed();
    s.practiceId = m_practiceId->text().trimmed();
    s.charset = static_cast<gdt::Charset>(m_charset->currentData().toInt());
    s.counting = m_extension->currentIndex() == 1;
    return s;
}

void frmGdtSettings::chooseFolder()
{
    const QString folder = m_platform.dialogs->chooseFolder(QStringLiteral("Austauschordner der Praxissoftware"));
    if (!folder.isEmpty())
        m_folder->setText(folder);
}

void frmGdtSettings::save()
{
    const gdt::LinkSettings s = entered();
    if (const QString problem = gdt::linkSettingsProblem(s); !problem.isEmpty()) {
        m_platform.messages->stop(problem, QStringLiteral("GDT-Einstellungen"));
        return;
    }
    gdt::saveLinkSettings(*m_platform.settings, s);
    emit saved(s);
    accept();
}

} // namespace kavio
