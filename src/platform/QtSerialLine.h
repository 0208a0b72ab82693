#pragma once

#include "platform/SerialLine.h"

#include <QSerialPort>

namespace kavio {

class QtSerialLine final : public SerialLine {
    Q_OBJECT
public:
    explicit QtSerialLine(QString deviceFolder = {}, QObject *parent = nullptr);
    ~QtSerialLine() override;

    void setRtsEnable(bool on) override { m_rts = on; }
    void setDtrEnable(bool on) override { m_dtr = on; }
    bool setSettings(const QString &settings) override;
    bool setPortNumber(int number) override;
    int portNumber() const override { return m_portNumber; }
    bool open() override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }
    QByteArray readAll() override;
    QString errorText() const override { return m_error; }

private:
    void onError(QSerialPort::SerialPortError error);
    void onReadyRead();
    // Reports characters the driver lost since the last look (overrun, buffer overflow).
    void checkLossCounters();

    QSerialPort m_port;
    QString m_deviceFolder;
    QString m_error;
    int m_portNumber = 0;
    bool m_rts = false;
    bool m_dtr = false;
    qint64 m_overruns = -1; // driver's loss counters at the last look; -1 where unsupported
    qint64 m_bufferOverruns = -1;
    qint32 m_baud = 9600;
    QSerialPort::Parity m_parity = QSerialPort::NoParity;
    QSerialPort::DataBits m_dataBits = QSerialPort::Data8;
    QSerialPort::StopBits m_stopBits = QSerialPort::OneStop;
};

} // namespace kavio
