#pragma once

#include "platform/Platform.h"
#include "platform/Printer.h"
#include "platform/PrintSystem.h"

#include <memory>
#include <QPageSize>
#include <QPainter>

class QPagedPaintDevice;
class QPdfWriter;
class QPrinter;
class QSaveFile;

namespace kavio {

// A print job on the system's default printer, or a PDF file written under a temporary
// name and renamed when complete.
class QtPrinter final : public Printer {
public:
    // Empty pdfPath: the system's default printer. The print system, when given, is asked
    // whether the printer (or the PDF file) takes the job and whether the job was handed over.
    explicit QtPrinter(QString pdfPath = {}, PrintSystem *system = nullptr,
                       QPageSize::PageSizeId paper = QPageSize::A4);
    // A job on a printer set up elsewhere (the print preview's), which keeps it.
    explicit QtPrinter(QPrinter &borrowed);
    ~QtPrinter() override;

    void setJobName(const QString &name) override { m_jobName = name; }
    QPainter *begin(QPageLayout::Orientation orientation) override;
    QSizeF printableSize() const override;
    bool newPage() override;
    bool end() override;
    QString errorText() const override { return m_error; }

private:
    QPagedPaintDevice *openDevice(QPageLayout::Orientation orientation);
    QPagedPaintDevice *openPdf(QPageLayout::Orientation orientation);

    QString m_pdfPath;
    PrintSystem *m_system = nullptr;
    QPageSize::PageSizeId m_paper = QPageSize::A4;
    QPrinter *m_borrowed = nullptr;
    QString m_jobName;
    std::unique_ptr<QSaveFile> m_file;
    std::unique_ptr<QPdfWriter> m_pdf;
    std::unique_ptr<QPrinter> m_printer;
    QPagedPaintDevice *m_device = nullptr;
    std::unique_ptr<QPainter> m_painter;
    QString m_error;
};

// The paper a PDF gets when nothing asks for another: Letter where the locale measures in
// inches (USA), A4 everywhere else.
QPageSize::PageSizeId localePaper();

class SystemPrinterFactory final : public PrinterFactory {
public:
    Printer *create() override { return new QtPrinter({}, &m_system); }
    Printer *createPdf(const QString &path, std::optional<QPageSize::PageSizeId> paper) override
    {
        return new QtPrinter(path, nullptr, paper.value_or(localePaper()));
    }
    bool hasPrinter() override;
    QString preview(const QString &jobName, QPageLayout::Orientation orientation, const PageDrawing &draw) override;

private:
    CupsPrintSystem m_system;
};

} // namespace kavio
