#pragma once

#include "platform/Platform.h"
#include "platform/QtPrinters.h"

#include <QStringList>

namespace kavio::test {

// Print jobs as PDF files the tests read back: "the printer" writes path(), a PDF goes
// where it was asked to, and the preview draws its pages into previewPath(), turned as the
// operator may turn them there. All on `paper` unless the print-out asks for its own.
class FakePrinters final : public PrinterFactory {
public:
    explicit FakePrinters(QString path) : m_path(std::move(path)) {}
    Printer *create() override { return new QtPrinter(m_path, nullptr, paper); }
    Printer *createPdf(const QString &path, std::optional<QPageSize::PageSizeId> pdfPaper) override
    {
        return new QtPrinter(path, nullptr, pdfPaper.value_or(paper));
    }
    bool hasPrinter() override { return installed; }
    QString preview(const QString &jobName, QPageLayout::Orientation orientation, const PageDrawing &draw) override;

    const QString &path() const { return m_path; }
    QString previewPath() const { return m_path + QStringLiteral(".preview.pdf"); }

    bool installed = true;
    QPageSize::PageSizeId paper = QPageSize::A4;
    // The orientation the operator picks in the preview's page set-up, if any.
    std::optional<QPageLayout::Orientation> previewOrientation;
    QStringList previews; // job names, with the orientation asked for: "Name|landscape"

private:
    QString m_path;
};

} // namespace kavio::test
