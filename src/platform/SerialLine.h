#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

namespace kavio {

// The serial line of the measuring device. The configuration (lines, settings, port
// number) stays with the line after it is closed, so it can be opened again as it was.
class SerialLine : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~SerialLine() override = default;

    virtual void setRtsEnable(bool on) = 0;
    virtual void setDtrEnable(bool on) = 0;
    // Line settings in the form "9600,n,8,1"; false when the text is not understood.
    virtual bool setSettings(const QString &settings) = 0;
    // 1 means COM1. Only while closed; false otherwise.
    virtual bool setPortNumber(int number) = 0;
    virtual int portNumber() const = 0;
    virtual bool open() = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual QByteArray readAll() = 0;
    virtual QString errorText() const = 0;

signals:
    void dataReceived();
    void overrun();
    void bufferOverflow();
};

// Device path of port number n on this system: a link named COM<n> in the device folder
// when there is one (for a USB adapter or a pseudo-terminal), else /dev/ttyS<n-1>.
// The device folder is $KAVIO_DEVICE_DIR, default /dev.
QString serialDevicePath(int portNumber, const QString &deviceFolder = {});

} // namespace kavio
