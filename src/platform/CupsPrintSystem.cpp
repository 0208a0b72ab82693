#include "platform/PrintSystem.h"

#include <QLibrary>

namespace kavio {

namespace {

// The few parts of the CUPS client interface used here, as its stable C interface has them.
struct CupsOption {
    char *name;
    char *value;
};
struct CupsDest {
    char *name;
    char *instance;
    int isDefault;
    int optionCount;
    CupsOption *options;
};
constexpr int kIppOkEventsComplete = 0x0007; // the last of the success codes

struct Cups {
    CupsDest *(*getNamedDest)(void *http, const char *name, const char *instance) = nullptr;
    const char *(*getOption)(const char *name, int count, CupsOption *options) = nullptr;
    void (*freeDests)(int count, CupsDest *dests) = nullptr;
    int (*lastError)() = nullptr;
    const char *(*lastErrorString)() = nullptr;

    Cups()
    {
        QLibrary lib(QStringLiteral("cups"), 2);
        if (!lib.load())
            return;
        getNamedDest = reinterpret_cast<decltype(getNamedDest)>(lib.resolve("cupsGetNamedDest"));
        getOption = reinterpret_cast<decltype(getOption)>(lib.resolve("cupsGetOption"));
        freeDests = reinterpret_cast<decltype(freeDests)>(lib.resolve("cupsFreeDests"));
        lastError = reinterpret_cast<decltype(lastError)>(lib.resolve("cupsLastError"));
        lastErrorString = reinterpret_cast<decltype(lastErrorString)>(lib.resolve("cupsLastErrorString"));
    }
    bool usable() const { return getNamedDest && getOption && freeDests && lastError && lastErrorString; }
};

const Cups &cups()
{
    static const Cups library; // stays loaded: Qt's own print support uses the same library
    return library;
}

} // namespace

QString CupsPrintSystem::refusal(const QString &printer)
{
    const Cups &c = cups();
    if (!c.usable())
        return {};
    CupsDest *dest = c.getNamedDest(nullptr, printer.toLocal8Bit().constData(), nullptr);
    if (!dest)
        return QStringLiteral("Der Drucker „%1“ ist nicht erreichbar (%2)")
            .arg(printer, QString::fromUtf8(c.lastErrorString()));
    const QByteArray accepting = c.getOption("printer-is-accepting-jobs", dest->optionCount, dest->options);
    const QByteArray state = c.getOption("printer-state", dest->optionCount, dest->options);
    c.freeDests(1, dest);
    if (accepting == "false")
        return QStringLiteral("Der Drucker „%1“ nimmt keine Druckaufträge an").arg(printer);
    if (state == "5")
        return QStringLiteral("Der Drucker „%1“ ist angehalten").arg(printer);
    return {};
}

QString CupsPrintSystem::handOverFailure()
{
    // Qt hands the finished job to CUPS as the last call of the print-out and keeps quiet
    // about its outcome; CUPS keeps it as the thread's last status.
    const Cups &c = cups();
    if (!c.usable() || c.lastError() <= kIppOkEventsComplete)
        return {};
    return QStringLiteral("Der Druckauftrag wurde vom Drucksystem nicht angenommen (%1)")
        .arg(QString::fromUtf8(c.lastErrorString()));
}

} // namespace kavio
