#pragma once

#include "charts/ChartModel.h"
#include "charts/PrintOut.h"
#include "clinical/PersonFacts.h"
#include "db/Segments.h"
#include "platform/Platform.h"
#include "session/Session.h"

#include <array>
#include <memory>
#include <optional>
#include <QMainWindow>
#include <QPointer>

class QAction;
class QLabel;
class QLineEdit;
class QFrame;

namespace kavio::charts {
struct PageLogos;
}
namespace kavio::gdt {
class PracticeLink;
}

namespace Ui {
class frmMain;
}

namespace kavio {

class ListModel;
class ListReader;
struct DeviceRecord;

// The main window: one person, one segment at a time. Its routines are spread over
// files by concern (frmMain_*.cpp here, and the menu commands beside the windows they
// open); this header is where they meet.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit frmMain(const Platform &platform, QWidget *parent = nullptr);
    ~frmMain() override;

    const Platform &platform() const { return m_platform; }
    Session &session() { return *m_session; }

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
    void fillPersonList();
    // The same list read on a thread of its own and bound when it is ready, so that a
    // long list does not hold up the start; a fill in the meantime supersedes it.
    void fillPersonListInBackground();
    void cmdPatientAuswahl_Click();
    void ocxFlex_SelChange(int row);
    void FillPatiendenDaten();
    void cmdExtremitaet_Click();
    void cmdOptSegment_Click();
    void fill_Labels();
    void cmdNeuerPatient_Click();
    // Sets the four count labels for the chosen person (one query).
    void refreshCounts();

    // ---- Measurement list ---------------------------------------------------------------
    void fillGRDMessungen();
    void grdMessungen_SelChange(int row);
    void cmdErase_Click();
    void cmdShowMesswerte_Click();
    void cmdMesswerte_Click();
    void LeereAlleFelder();
    void PersonenZeileMarkieren(int row);
    void Messungsliste_Leeren();

    // ---- Measurement storage and manual entry -------------------------------------------
    // Reads the chosen segment's six fields; throws KavioError on the first field that
    // does not convert.
    SegmentReading readFields() const;
    void SaveMessung(const SegmentReading &values);
    void SaveSecondMessung(const SegmentReading &values);
    void cmdSaveMess_Click();
    void cmdZweiteMessungSpeichern_Click();
    void txtTestDatum_LostFocus();

    // ---- Device link ----------------------------------------------------------------------
    void Automatische_Messung();
    void portOpeningSequence();
    void closePortIfOpen();
    // Reopens the port with its kept configuration (segment confirmed in automatic mode).
    void reopenPortForMeasurement();
    void MSComm1_OnComm(int event);
    void sSegmentSichtbar();
    void FelderFuellen(qint16 R, qint16 Xc);
    // Logs the device's own phase angle beside the one computed from the record's R and
    // Xc when they differ by more than the tolerance; the screen shows only the computed.
    void logDevicePhaseAngle(const DeviceRecord &record) const;
    void Unischbar1_Click();

    // ---- Charts and print-out -------------------------------------------------------------
    void ChartDatenLeeren();
    void cmdGraph_Click();
    void cmd_Xc_Graph_Click();
    void cmdPhaseGraph_Click();
    void Draw_1durchR_Graph(int seriesCount);
    void Draw_Xc_Graph();
    // The phase angle's course at the frequency chosen for the 1/R chart.
    void Draw_Phase_Graph();
    bool fDruckbereit();
    void cmdPrintOut_Click();
    void cmdPrintPreview_Click(); // the chart page in the print preview
    void cmdSavePdf_Click();      // the chart page as a PDF file

    // ---- Clinical evaluation --------------------------------------------------------------
    // Opens the dialog for the chosen person's facts (dominant hand, sex, limbs at risk).
    void cmdAngaben_Click();
    // Reads the chosen person's facts and the day's latest stored row of each segment
    // again, then shows the evaluation.
    void reloadEvaluation();
    // Shows phase angles and ratios from what was read and what is in hand.
    void showEvaluation();

    // ---- Menu commands that open other windows ------------------------------------------
    void mnuImport_Click();
    void mnuloeschen_Click();
    void mnuExportHistory_Click();
    void mnuKontakt_Click();
    void mnuDatenSichern_Click();
    void mnuDatenWiederherstellen_Click();
    void cmdOpenVergleichsFormular_Click();
    void mnuGdtEinstellungen_Click();
    // Copies the segment database file into the empty schema on the server the settings
    // name (frmMain_migrate.cpp).
    void mnuDatenbankUebertragen_Click();

    // ---- Link to the practice software ----------------------------------------------------
    // Chooses the person as a click on its row of the person list does.
    void choosePracticePerson(const Person &person);
    gdt::PracticeLink &practiceLink() const { return *m_practiceLink; }

    // The bound lists' models, held until the next fill.
    ListModel *personModel() const { return m_personModel.get(); }
    ListModel *measurementModel() const { return m_measurementModel.get(); }

    // Closes every database connection the window holds (the repository's, a list being
    // read); used before the segment database is replaced.
    void releaseDatabase();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // The value field of a quantity of a segment (txtW50ArmLinks ...).
    QLineEdit *valueField(Quantity q, const SegmentInfo &s) const { return m_valueFields[storeIndex(q, s)]; }

    void collectControls();
    // The chart in place of the value frame, with its caption in the legend box; false (and
    // the message) when no segment is chosen.
    bool showChartFrame(const QString &caption);
    // Shows a trend chart and keeps it, with the person and segment it was drawn for.
    void showTrendChart(const charts::ChartData &data);
    // The value fields show the session's values in hand.
    void showReading(const SegmentInfo &segment, Frequency frequency);
    // The values to store: those in hand in automatic mode, the fields' otherwise.
    SegmentReading valuesToStore() const;
    // The header pictures of the print-outs, as this window shows them.
    charts::PageLogos pageLogos() const;
    // "erste Messung speichern" offered once the treatment choice is made.
    void showFirstSaveCommand();
    void connectHandlers();
    // Per-concern set-up, each in the file of its concern.
    void setupModes();
    void setupSelection();
    void setupList();
    // Another workstation changed the shared database: the person list, the counts and the
    // measurement list are read again (frmMain_changes.cpp).
    void showOtherWorkstationsChanges();
    void setupStorage();
    void setupDevice();
    void setupCharts();
    void setupGdt();
    // The chart page as drawn last; nothing (and the operator told) when there is none.
    std::optional<charts::PrintOut> chartPrintOut();
    void setupClinical();
    void setupMigration();
    // The chosen segment's values in hand: the session's in automatic mode, the typed
    // fields' otherwise (a field that is no number counts as empty).
    std::optional<SegmentReading> readingInHand() const;
    // The evaluation panel is shown while a person and a segment are chosen and neither
    // the person list nor the segment chooser is open; the facts command while a person is.
    void updateEvaluationVisibility();
    void bindPersonList(std::unique_ptr<ListModel> model);

    Platform m_platform;
    std::unique_ptr<Ui::frmMain> ui;
    Session *m_session;                          // child of the window
    class DeviceLink *MSComm1 = nullptr;         // the serial line's receive state (child of the window)
    gdt::PracticeLink *m_practiceLink = nullptr; // child of the window

    // The trend chart on screen, as the print-out draws it.
    struct ShownChart {
        charts::ChartData data;
        Person person;
        const SegmentInfo *segment = nullptr;
        QString quantity;                       // "1/R", "Xc/R" or "φ50", as the legend names it
        Frequency frequency = Frequency::kHz50; // of the values charted
        std::optional<Frequency> phase;         // set for the phase-angle course
    } m_shownChart;
    bool m_chartViewReady = false; // MSChart has the program's chart look

    // Controls kept as arrays (objectName <name>_<index>).
    std::array<QLabel *, 4> lblR_Ar{}, lblXc_AR{}, lbl5_AR{}, lbl50_AR{}, lbl100_AR{};
    std::array<QFrame *, 4> Shape{};                              // Shape1 ... Shape4 at index 0 ... 3
    std::array<QLineEdit *, 24> m_valueFields{};                  // quantity by quantity, segments in kSegments order
    clinical::PersonFacts m_facts;                                // of the chosen person
    std::array<std::optional<SegmentReading>, 4> m_storedOfDay{}; // latest row of the day per segment
    QAction *mnuAngaben = nullptr;
    std::unique_ptr<ListModel> m_personModel;
    std::unique_ptr<ListModel> m_measurementModel;
    std::unique_ptr<ListReader> m_personListReader; // last: stopped before anything it fills goes
};

} // namespace kavio
