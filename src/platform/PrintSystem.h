#pragma once

#include <QString>

namespace kavio {

// What the print system says about a printer before a job and about the job after it: a
// printer that does not take jobs, or a job that was not handed over, must not look like
// a print-out on its way.
class PrintSystem {
public:
    virtual ~PrintSystem() = default;
    // Empty when the printer takes jobs now; otherwise why not, for the operator.
    virtual QString refusal(const QString &printer) = 0;
    // Empty when the job just ended reached the print system; otherwise why not.
    virtual QString handOverFailure() = 0;
};

// The system's CUPS, through its client library loaded at run time; without it, nothing
// is refused (Qt itself then has no printers to offer).
class CupsPrintSystem final : public PrintSystem {
public:
    QString refusal(const QString &printer) override;
    QString handOverFailure() override;
};

} // namespace kavio
