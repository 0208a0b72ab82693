#pragma once

#include <QPageLayout>
#include <QSizeF>
#include <QString>

class QPainter;

namespace kavio {

class Printer;

namespace charts {

// A print job that throws instead of returning false: KavioError RunError::PrinterError
// with the printer's own reason.
class PrintJob {
public:
    // Begins the first page.
    PrintJob(Printer &printer, QPageLayout::Orientation orientation, const QString &name);
    QPainter &painter() { return *m_painter; }
    QSizeF printable() const;
    void newPage();
    void end();

private:
    [[noreturn]] void fail();
    Printer &m_printer;
    QPainter *m_painter = nullptr;
};

} // namespace charts
} // namespace kavio
