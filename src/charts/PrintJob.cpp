#include "charts/PrintJob.h"

#include "app/Errors.h"
#include "platform/Printer.h"

namespace kavio::charts {

PrintJob::PrintJob(Printer &printer, QPageLayout::Orientation orientation, const QString &name) : m_printer(printer)
{
    m_printer.setJobName(name);
    m_painter = m_printer.begin(orientation);
    if (!m_painter)
        fail();
}

QSizeF PrintJob::printable() const
{
    return m_printer.printableSize();
}

void PrintJob::newPage()
{
    if (!m_printer.newPage())
        fail();
}

void PrintJob::end()
{
    if (!m_printer.end())
        fail();
}

void PrintJob::fail()
{
    const QString reason = m_printer.errorText();
    throw KavioError(static_cast<int>(RunError::PrinterError),
                     reason.isEmpty() ? describe(RunError::PrinterError) : reason);
}

} // namespace kavio::charts
