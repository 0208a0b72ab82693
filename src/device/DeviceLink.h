#pragma once

#include "device/RecordParser.h"

#include <QList>
#include <QObject>

namespace kavio {

// What the main window keeps of the device line between communication events: the
// receive window and the last record's reading. A child of the window, named MSComm1
// after the serial control it stands for.
class DeviceLink final : public QObject {
    Q_OBJECT
public:
    explicit DeviceLink(QObject *parent = nullptr) : QObject(parent) { setObjectName(QStringLiteral("MSComm1")); }

    QString strComInBuffer() const { return parser.window(); }

    RecordParser parser;
    QString strMessSegment; // segment code of the last record
    qint16 iMessFrequenz = 0;
    qint16 iMessR = 0; // whole ohms; kept when a value does not convert
    qint16 iMessXc = 0;

    // A message box of the handler lets events in while it is open; they wait here and
    // are handled, in order, when the box is closed.
    bool busy = false;
    QList<int> waiting;
};

} // namespace kavio
