#pragma once

#include "db/Segments.h"
#include "platform/Platform.h"

#include <array>
#include <memory>
#include <optional>
#include <QMainWindow>
#include <QPointer>

class QLabel;
class QLineEdit;
class QFrame;

namespace Ui {
class frmMain;
}

namespace kavio {

class ListModel;
class ListReader;

// The main window: one person, one segment at a time. Its routines are spread over
// files by concern (frmMain_*.cpp here, and the menu commands beside the windows they
// open); this header is where they meet.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(const Platform &platform, QWidget *parent = nullptr);
    ~frmMain() override;

    const Platform &platform() const { return m_platform; }
    Ui::frmMain &form() { return *ui; }

    // ---- State shared by the main window's parts --------------------------------------
    QString strSegment;                        // current segment table, empty when none chosen
    QString strWFeld = QStringLiteral("W50");  // resistance field of the 1/R chart
    bool bAutoMessung = false;                 // automatic measurement switched on at start-up
    bool bMessungUngespeichert = false;        // device values in the fields, not yet saved
    bool bGespeichert = false;                 // the last first-measurement save stored a row
    bool bGraphGezeichnet = false;             // a chart has been drawn in this run
    std::array<qint16, 24> Messwertspeicher{}; // W100, Xc100, W5, Xc5, W50, Xc50 x ArmLi, ArmRe, BeinLi, BeinRe

    // Controls kept as arrays (objectName <name>_<index>).
    std::array<QLabel *, 4> lblR_Ar{}, lblXc_AR{}, lbl5_AR{}, lbl50_AR{}, lbl100_AR{};
    std::array<QFrame *, 4> Shape{};           // Shape1 ... Shape4 at index 0 ... 3
    std::array<QLineEdit *, 24> valueFields{}; // in the order of Messwertspeicher
    QLineEdit *valueField(Quantity q, const SegmentInfo &s) const { return valueFields[storeIndex(q, s)]; }

    // ---- Start-up and end ---------------------------------------------------------------
    void Form_Load();
    void cmdBeenden_Click();

    // ---- Window modes -------------------------------------------------------------------
    void Ausblenden_Messfelder();
    void Einblenden_Segmentfelder(const QString &segment);
    void Nullen_Messfelder();
    void Ausblenden_EinOderZwei();
    void Ausblenden_Speicherknoepfe();
    void Ausblenden_Multifrequenz_Schalter();
    void Leeren_Segmentoptionen();
    void Leeren_Behandlungsoptionen();
    void Leeren_Kopfzeile();
    void Ausblenden_XcFelder();
    void Setzen_Segmentbeschriftung(const QString &segment);
    void Ausblenden_Koerpermarken();
    void Ausblenden_Wertlabels();
    void Leeren_Anzahlen();
    void Sperren_Messfelder();
    void optEineBeh_Click();
    void optZweiBeh_Click();
    void optR5_Click();
    void optR50_Click();
    void optR100_Click();

    // ---- Person and segment selection ---------------------------------------------------
    void fillPatientenDaten();
    // The same list read on a thread of its own and bound when it is ready, so that a
    // long list does not hold up the start; a fill in the meantime supersedes it.
    void fillPatientenDatenInBackground();
    void cmdPatientAuswahl_Click();
    void ocxFlex_SelChange(int row);
    void FillPatiendenDaten();
    void cmdExtremitaet_Click();
    void cmdOptSegment_Click();
    void fill_Labels();
    void cmdNeuerPatient_Click();
    qint32 fAnzahlMessungen(qint32 fktn, const QString &segment);
    // Sets the four count labels for the person in txtFKTN.
    void refreshCounts();

    // ---- Measurement list ---------------------------------------------------------------
    void fillGRDMessungen(const QString &sSegment, qint32 FKTN);
    void grdMessungen_SelChange(int row);
    void cmdErase_Click();
    void cmdShowMesswerte_Click();
    void cmdMesswerte_Click();
    void LeereAlleFelder();
    void PersonenZeileMarkieren(int row);
    void Messungsliste_Leeren();

    // ---- Measurement storage and manual entry -------------------------------------------
    // Reads the 24 fields into Messwertspeicher and returns the person number; throws
    // KavioError on the first field that does not convert.
    qint32 readFields();
    void SaveMessung(const QString &strSegment, qint32 FKTN, const QString &strVorherNachher = {});
    void SaveSecondMessung(const QString &strSegment, qint32 FKTN, const QString &strVorherNachher = {});
    void cmdSaveMess_Click();
    void cmdZweiteMessungSpeichern_Click();
    void txtTestDatum_LostFocus();

    // ---- Device link ----------------------------------------------------------------------
    class DeviceLink *MSComm1 = nullptr; // the serial line's receive state (child of the window)
    void Automatische_Messung();
    void portOpeningSequence();
    void closePortIfOpen();
    // Reopens the port with its kept configuration (segment confirmed in automatic mode).
    void reopenPortForMeasurement();
    void MSComm1_OnComm(int event);
    void sSegmentSichtbar();
    void FelderFuellen(qint16 R, qint16 Xc);
    void Unischbar1_Click();

    // ---- Charts and print-out -------------------------------------------------------------
    void ChartDatenLeeren();
    void cmdGraph_Click();
    void cmd_Xc_Graph_Click();
    void Draw_1durchR_Graph(const QString &field, qint32 fktn, int seriesCount);
    void Draw_Xc_Graph(qint32 fktn, const QString &segment);
    bool fDruckbereit(const QString &segment);
    void cmdPrintOut_Click();

    // ---- Menu commands that open other windows ------------------------------------------
    void mnuImport_Click();
    void mnuloeschen_Click();
    void mnuExportHistory_Click();
    void mnuKontakt_Click();
    void mnuDatenSichern_Click();
    void mnuDatenWiederherstellen_Click();
    void cmdOpenVergleichsFormular_Click();

    // The bound lists' models, held with their connections until the next fill.
    ListModel *personModel() const { return m_personModel.get(); }
    ListModel *measurementModel() const { return m_measurementModel.get(); }

    // Closes every database connection the window holds (the bound lists, a list being
    // read); used before the segment database is replaced.
    void releaseDatabase();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void collectControls();
    void connectHandlers();
    // Per-concern set-up, each in the file of its concern.
    void setupModes();
    void setupSelection();
    void setupList();
    void setupStorage();
    void setupDevice();
    void setupCharts();
    void bindPersonList(std::unique_ptr<ListModel> model);
    // A chart was drawn of the person's values in the segment: remembered for its print-out.
    void chartDrawn(qint32 fktn, const QString &segment);

    Platform m_platform;
    std::unique_ptr<Ui::frmMain> ui;
    std::unique_ptr<ListModel> m_personModel;
    std::unique_ptr<ListModel> m_measurementModel;
    // Whose values the chart shows, taken when it was drawn: the print-out names them, and
    // only while they are still the chosen person and segment.
    struct ChartOwner {
        qint32 fktn = 0;
        QString segment;
        QStringList header; // the page's Name, Vorname, Geburtsdatum and Segment lines
        QString jobName;    // the print job's name
    };
    std::optional<ChartOwner> m_chartOwner;
    std::unique_ptr<ListReader> m_personListReader; // last: stopped before anything it fills goes

    friend class MainWindowAccess;
};

} // namespace kavio
