#pragma once

#include "platform/Printer.h"

#include <optional>
#include <QPageSize>

namespace kavio {

class Messages;
class Settings;
class SerialLine;
class FileDialogs;
class Shell;
class Clock;
class ProgramFolder;
class LongWork;

// A factory for print jobs: every print-out asks for a fresh printer.
class PrinterFactory {
public:
    virtual ~PrinterFactory() = default;
    // A job on the system's default printer; caller owns.
    virtual Printer *create() = 0;
    // A job writing a PDF file: under a temporary name, renamed to path when complete, so a
    // failure leaves no partial file. Without a paper size the usual one of the locale.
    virtual Printer *createPdf(const QString &path, std::optional<QPageSize::PageSizeId> paper = {}) = 0;
    // Whether a printer is installed that create() would print on.
    virtual bool hasPrinter() = 0;
    // Shows the pages in the print preview, from where the operator may print them on any
    // installed printer. Empty when it was shown and closed; otherwise why the pages could
    // not be drawn.
    virtual QString preview(const QString &jobName, QPageLayout::Orientation orientation, const PageDrawing &draw) = 0;
};

// The outside services a window needs, handed over at construction. Not owning.
struct Platform {
    Messages *messages = nullptr;
    Settings *settings = nullptr;
    SerialLine *serial = nullptr;
    PrinterFactory *printers = nullptr;
    FileDialogs *dialogs = nullptr;
    Shell *shell = nullptr;
    Clock *clock = nullptr;
    const ProgramFolder *folder = nullptr;
    LongWork *longWork = nullptr;
};

} // namespace kavio
