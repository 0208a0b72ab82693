// kavio-device-sim: plays the measuring device on a serial line. It writes the device's
// records at the pace of 9600 baud to a serial device (a real port or one end of a
// pseudo-terminal pair) for a segment given on the command line or typed at its prompt.
#include "DeviceRecords.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QMap>
#include <QTextStream>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <iostream>
#include <string>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace kavio::sim;

namespace {

struct Options {
    bool multi = false;
    bool noise = false;
    bool wrongSegment = false;
    int paceMicroseconds = 1042; // 10 bits per character at 9600 baud
    QMap<int, Reading> fixed;    // readings given on the command line, by frequency
};

bool isSegment(const QString &code)
{
    return code == QLatin1String("AR") || code == QLatin1String("AL") || code == QLatin1String("BR") ||
           code == QLatin1String("BL");
}

int openLine(const QString &path)
{
    const int fd = ::open(path.toLocal8Bit().constData(), O_WRONLY | O_NOCTTY);
    if (fd < 0)
        return -1;
    termios tio{};
    if (::isatty(fd) && ::tcgetattr(fd, &tio) == 0) {
        // 9600,n,8,1 without any translation of the bytes.
        ::cfmakeraw(&tio);
        ::cfsetispeed(&tio, B9600);
        ::cfsetospeed(&tio, B9600);
        tio.c_cflag &= ~(PARENB | CSTOPB | CSIZE | CRTSCTS);
        tio.c_cflag |= CS8 | CLOCAL;
        ::tcsetattr(fd, TCSANOW, &tio);
    }
    return fd;
}

bool send(int fd, const QByteArray &bytes, int paceMicroseconds)
{
    if (paceMicroseconds <= 0)
        return ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size())) == bytes.size();
    for (const char c : bytes) {
        if (::write(fd, &c, 1) != 1)
            return false;
        std::this_thread::sleep_for(std::chrono::microseconds(paceMicroseconds));
    }
    return true;
}

// One measurement of a segment: one record at 50 kHz, or 5, 50 and 100 kHz in turn.
bool measure(int fd, const QString &segment, const Options &options, std::mt19937 &random, QTextStream &log)
{
    const QString code = options.wrongSegment ? otherSegment(segment) : segment;
    const QList<int> frequencies = options.multi ? QList<int>{5, 50, 100} : QList<int>{50};
    for (const int f : frequencies) {
        if (options.noise && !send(fd, lineNoise(random), options.paceMicroseconds))
            return false;
        const Reading reading = options.fixed.contains(f) ? options.fixed.value(f) : typicalReading(code, f, random);
        const QByteArray record = formatRecord(code, f, reading);
        if (!send(fd, record, options.paceMicroseconds))
            return false;
        log << "gesendet: " << QString::fromLatin1(record.trimmed()) << Qt::endl;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kavio-device-sim"));
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simuliert das Messgerät: sendet Messdatensätze mit 9600 Baud an eine serielle Schnittstelle."));
    parser.addHelpOption();
    parser.addPositionalArgument(
        QStringLiteral("geraet"),
        QStringLiteral("Serielle Schnittstelle, z. B. /dev/ttyUSB0 oder ein Pseudo-Terminal."));
    const QCommandLineOption segmentOpt(QStringLiteral("segment"),
                                        QStringLiteral("Segment AR, AL, BR oder BL (sonst Eingabeaufforderung)."),
                                        QStringLiteral("code"));
    const QCommandLineOption multiOpt(QStringLiteral("multi"), QStringLiteral("Drei Frequenzen: 5, 50 und 100 kHz."));
    const QCommandLineOption valueOpt(QStringLiteral("value"),
                                      QStringLiteral("Feste Werte in Zehntel Ohm für eine Frequenz, z. B. 50=4567,321 "
                                                     "(mehrfach möglich)."),
                                      QStringLiteral("f=r,xc"));
    const QCommandLineOption noiseOpt(QStringLiteral("noise"), QStringLiteral("Störzeichen zwischen den Datensätzen."));
    const QCommandLineOption wrongOpt(QStringLiteral("wrong-segment"),
                                      QStringLiteral("Datensätze mit dem Segment der anderen Körperseite."));
    const QCommandLineOption paceOpt(QStringLiteral("pace-us"),
                                     QStringLiteral("Mikrosekunden je Zeichen (Standard 1042, 0 = ohne Pause)."),
                                     QStringLiteral("us"), QStringLiteral("1042"));
    const QCommandLineOption repeatOpt(QStringLiteral("repeat"), QStringLiteral("Anzahl der Messungen (Standard 1)."),
                                       QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption intervalOpt(QStringLiteral("interval-ms"),
                                         QStringLiteral("Pause zwischen Messungen (Standard 1000)."),
                                         QStringLiteral("ms"), QStringLiteral("1000"));
    const QCommandLineOption seedOpt(QStringLiteral("seed"), QStringLiteral("Startwert des Zufalls."),
                                     QStringLiteral("n"), QStringLiteral("1"));
    parser.addOptions({segmentOpt, multiOpt, valueOpt, noiseOpt, wrongOpt, paceOpt, repeatOpt, intervalOpt, seedOpt});
    parser.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);
    if (parser.positionalArguments().size() != 1) {
        err << "Bitte genau eine serielle Schnittstelle angeben (--help zeigt die Optionen)." << Qt::endl;
        return 2;
    }
    Options options;
    options.multi = parser.isSet(multiOpt);
    options.noise = parser.isSet(noiseOpt);
    options.wrongSegment = parser.isSet(wrongOpt);
    bool ok = true;
    options.paceMicroseconds = parser.value(paceOpt).toInt(&ok);
    if (!ok || options.paceMicroseconds < 0) {
        err << "--pace-us erwartet eine Zahl ab 0." << Qt::endl;
        return 2;
    }
    for (const QString &v : parser.values(valueOpt)) {
        const QStringList fv = v.split(QLatin1Char('='));
        const QStringList rx = fv.size() == 2 ? fv[1].split(QLatin1Char(',')) : QStringList();
        bool okF = false, okR = false, okX = false;
        const int f = fv.value(0).toInt(&okF);
        const Reading reading{rx.value(0).toInt(&okR), rx.value(1).toInt(&okX)};
        if (rx.size() != 2 || !okF || !okR || !okX || (f != 5 && f != 50 && f != 100) || reading.rTenths < 0 ||
            reading.xcTenths < 0) {
            err << "--value erwartet z. B. 50=4567,321 (Frequenz 5, 50 oder 100)." << Qt::endl;
            return 2;
        }
        options.fixed.insert(f, reading);
    }
    const int repeat = parser.value(repeatOpt).toInt();
    const int interval = parser.value(intervalOpt).toInt();
    std::mt19937 random(parser.value(seedOpt).toUInt());

    const QString path = parser.positionalArguments().constFirst();
    const int fd = openLine(path);
    if (fd < 0) {
        err << "Die Schnittstelle " << path << " lässt sich nicht öffnen." << Qt::endl;
        return 1;
    }

    int rc = 0;
    if (parser.isSet(segmentOpt)) {
        const QString segment = parser.value(segmentOpt).toUpper();
        if (!isSegment(segment)) {
            err << "Unbekanntes Segment " << segment << " (AR, AL, BR oder BL)." << Qt::endl;
            rc = 2;
        }
        for (int i = 0; rc == 0 && i < std::max(1, repeat); ++i) {
            if (i > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(std::max(0, interval)));
            if (!measure(fd, segment, options, random, out))
                rc = 1;
        }
    } else {
        std::string line;
        for (;;) {
            out << "Segment messen (AR, AL, BR, BL; leer = Ende): " << Qt::flush;
            if (!std::getline(std::cin, line) || line.empty())
                break;
            const QString segment = QString::fromStdString(line).trimmed().toUpper();
            if (!isSegment(segment)) {
                out << "Unbekanntes Segment." << Qt::endl;
                continue;
            }
            if (!measure(fd, segment, options, random, out)) {
                rc = 1;
                break;
            }
        }
    }
    if (rc == 1)
        err << "Schreiben auf " << path << " fehlgeschlagen." << Qt::endl;
    ::close(fd);
    return rc;
}
