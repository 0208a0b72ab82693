#pragma once

#include "persons/PersonAdmin.h"
#include "persons/PersonListModel.h"
#include "platform/Platform.h"

#include <array>
#include <functional>
#include <memory>
#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;

namespace Ui {
class frmImport;
}

namespace kavio {

class SegmentRepository;

// Person administration: takes persons over from the host database (import mode) or
// deletes them with all their measurements (delete mode), as bImportModus says at
// opening. The main window is hidden meanwhile and comes back with every way of
// closing this one.
class frmImport : public QWidget {
    Q_OBJECT
public:
    // The segment database's persons are read and written through the repository, the
    // host's persons through their own database. mainWindow is shown and brought up again
    // on closing; refreshMainList rebuilds its person list (after a copy, a deletion and
    // on closing).
    frmImport(const Platform &platform, SegmentRepository &segments, QWidget *mainWindow,
              std::function<void()> refreshMainList);
    ~frmImport() override;

    Ui::frmImport &form() { return *ui; }
    PersonListModel &gridModel() { return m_model; }

    // Controls kept as arrays (objectName <name>_<index>).
    std::array<QLineEdit *, kDetailBoxes> txtTeilnehmer{};
    std::array<QLabel *, kDetailBoxes> lblStammDaten{};
    std::array<QLineEdit *, 2> TXT_Archiv_Suche{};

    void Form_Load();
    void fillArchivBIA();
    void fillArchivSegmente();
    void leereTextfelder();
    bool fTeilnehmerVorhanden(const QString &Vorname, const QString &Name, const QString &GebDat);

    void optInsert_Click();
    void optDelete_Click();
    void TXT_Archiv_Suche_Change();
    void Grid1_SelChange(int row);
    void cmdCopyPerson_Click();
    void cmdErasePerson_Click();
    void cmdClose_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Fills the list through read; a failure empties it and is shown with procedure.
    void fillArchiv(const std::function<QList<PersonRow>()> &read, const QString &procedure);
    void showMode(bool importMode);
    void applyColumnWidths();
    void keepColumnWidths();
    int fittingWidth(int column) const;
    int twipsToPixels(int twips) const;
    int pixelsToTwips(int pixels) const;

    Platform m_platform;
    SegmentRepository &m_segments;
    std::unique_ptr<Ui::frmImport> ui;
    QPointer<QWidget> m_mainWindow;
    std::function<void()> m_refreshMainList;
    PersonListModel m_model;
    bool m_settingWidths = false;
    bool m_widthsChanged = false;
};

} // namespace kavio
