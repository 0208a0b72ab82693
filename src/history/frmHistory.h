#pragma once

#include "charts/PrintOut.h"
#include "history/Export.h"
#include "history/HistoryTable.h"
#include "history/HtmlReport.h"
#include "platform/Platform.h"

#include <memory>
#include <optional>
#include <QMainWindow>

namespace Ui {
class frmHistory;
}

namespace kavio {

class Session;

// "Historie Erzeugen": the current person's measurements of one segment, newest first,
// with the Excel and HTML exports. Takes the person and segment from the session once,
// when it opens.
class frmHistory : public QMainWindow {
    Q_OBJECT
public:
    frmHistory(const Platform &platform, Session &session, QWidget *parent = nullptr);
    ~frmHistory() override;

    Ui::frmHistory &form() { return *ui; }
    HistoryTable &table() { return m_table; }

    void Form_Load();
    void cmdExport_Click();
    void cmdReport_Click();
    void cmdClose_Click();
    // The report as report.htm has it, on paper: previewed, printed, or as a PDF file.
    void cmdVorschau_Click();
    void cmdDrucken_Click();
    void cmdPdf_Click();

    QString excelPath() const;
    QString reportPath() const;

    // Widths of columns 1 to 5 in twips.
    static constexpr int kColumnTwips = 1200;
    static QString widthsKey() { return QStringLiteral("ColWidths"); }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void applyWidths();
    void keepWidths();
    void progress(int value, bool repaint);
    void showExportError(const ExportError &e);
    bool startExport();
    void endExport();
    charts::PrintOut reportPrintOut();

    Platform m_platform;
    Session &m_session;
    std::unique_ptr<Ui::frmHistory> ui;
    HistoryTable m_table;
    html::PersonLines m_person;
    QString m_segmentHeading, m_segmentCaption; // "Arm Rechts", "Arm rechts"
    bool m_exporting = false;
    bool m_applyingWidths = false;
};

} // namespace kavio
