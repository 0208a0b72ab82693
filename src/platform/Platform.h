#pragma once

namespace kavio {

class Messages;
class Settings;
class SerialLine;
class Printer;
class FileDialogs;
class Shell;
class Clock;
class ProgramFolder;

// A factory for print jobs: every print-out asks for a fresh printer.
class PrinterFactory {
public:
    virtual ~PrinterFactory() = default;
    virtual Printer *create() = 0; // caller owns
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
};

} // namespace kavio
