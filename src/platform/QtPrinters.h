#pragma once

#include "platform/Platform.h"
#include "platform/Printer.h"
#include "platform/PrintSystem.h"

#include <memory>
#include <QPainter>
#include <QPrinter>

namespace kavio {

// A QPrinter-backed print job: the system's default printer, or a PDF file.
class QtPrinter final : public Printer {
public:
    // Empty pdfPath: the system's default printer. The print system, when given, is asked
    // whether the printer (or the PDF file) takes the job and whether the job was handed over.
    explicit QtPrinter(QString pdfPath = {}, PrintSystem *system = nullptr);
    ~QtPrinter() override;

    void setJobName(const QString &name) override { m_jobName = name; }
    QPainter *begin(QPageLayout::Orientation orientation) override;
    QSizeF printableSize() const override;
    bool end() override;
    QString errorText() const override { return m_error; }

private:
    QString m_pdfPath;
    PrintSystem *m_system;
    QString m_jobName;
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QPainter> m_painter;
    QString m_error;
};

class SystemPrinterFactory final : public PrinterFactory {
public:
    Printer *create() override { return new QtPrinter({}, &m_system); }

private:
    CupsPrintSystem m_system;
};

// Every job writes the same PDF file (tests read it back).
class PdfPrinterFactory final : public PrinterFactory {
public:
    explicit PdfPrinterFactory(QString path) : m_path(std::move(path)) {}
    Printer *create() override { return new QtPrinter(m_path); }
    const QString &path() const { return m_path; }

private:
    QString m_path;
};

} // namespace kavio
