#include "platform/QtSerialLine.h"

#include <QFileInfo>

#ifdef Q_OS_LINUX
#include <linux/serial.h>
#include <sys/ioctl.h>
#endif

namespace kavio {

QString serialDevicePath(int portNumber, const QString &deviceFolder)
{
    QString folder = deviceFolder;
    if (folder.isEmpty())
        folder = qEnvironmentVariable("KAVIO_DEVICE_DIR", QStringLiteral("/dev"));
    const QString link = folder + QStringLiteral("/COM") + QString::number(portNumber);
    if (QFileInfo::exists(link))
        return QFileInfo(link).canonicalFilePath(); // one lock file per device, whatever the name
    return QStringLiteral("/dev/ttyS") + QString::number(portNumber - 1);
}

QtSerialLine::QtSerialLine(QString deviceFolder, QObject *parent)
    : SerialLine(parent), m_deviceFolder(std::move(deviceFolder))
{
    connect(&m_port, &QSerialPort::readyRead, this, &QtSerialLine::onReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialLine::onError);
}

QtSerialLine::~QtSerialLine()
{
    m_port.close();
}

bool QtSerialLine::setSettings(const QString &settings)
{
    const QStringList p = settings.split(QLatin1Char(','));
    if (p.size() != 4)
        return false;
    bool ok = false;
    const int baud = p[0].trimmed().toInt(&ok);
    if (!ok || baud <= 0)
        return false;
    const QString parity = p[1].trimmed().toLower();
    QSerialPort::Parity par;
    if (parity == QLatin1String("n"))
        par = QSerialPort::NoParity;
    else if (parity == QLatin1String("e"))
        par = QSerialPort::EvenParity;
    else if (parity == QLatin1String("o"))
        par = QSerialPort::OddParity;
    else if (parity == QLatin1String("m"))
        par = QSerialPort::MarkParity;
    else if (parity == QLatin1String("s"))
        par = QSerialPort::SpaceParity;
    else
        return false;
    const int bits = p[2].trimmed().toInt(&ok);
    if (!ok || bits < 5 || bits > 8)
        return false;
    const QString stop = p[3].trimmed();
    QSerialPort::StopBits sb;
    if (stop == QLatin1String("1"))
        sb = QSerialPort::OneStop;
    else if (stop == QLatin1String("1.5"))
        sb = QSerialPort::OneAndHalfStop;
    else if (stop == QLatin1String("2"))
        sb = QSerialPort::TwoStop;
    else
        return false;
    m_baud = baud;
    m_parity = par;
    m_dataBits = static_cast<QSerialPort::DataBits>(bits);
    m_stopBits = sb;
    return true;
}

bool QtSerialLine::setPortNumber(int number)
{
    if (m_port.isOpen() || number < 1)
        return false;
    m_portNumber = number;
    return true;
}

bool QtSerialLine::open()
{
    if (m_port.isOpen())
        return true;
    if (m_portNumber < 1) {
        m_error = QStringLiteral("Keine Schnittstelle eingestellt");
        return false;
    }
    m_port.setPortName(serialDevicePath(m_portNumber, m_deviceFolder));
    m_port.setBaudRate(m_baud);
    m_port.setParity(m_parity);
    m_port.setDataBits(m_dataBits);
    m_port.setStopBits(m_stopBits);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadOnly)) {
        m_error = m_port.errorString();
        return false;
    }
    // A pseudo-terminal refuses the modem lines; the line works all the same.
    m_port.setRequestToSend(m_rts);
    m_port.setDataTerminalReady(m_dtr);
    m_port.clearError();
    m_error.clear();
    m_overruns = m_bufferOverruns = -1;
    checkLossCounters(); // losses from before this program opened the port do not count
    return true;
}

void QtSerialLine::close()
{
    if (m_port.isOpen())
        m_port.close();
}

QByteArray QtSerialLine::readAll()
{
    return m_port.isOpen() ? m_port.readAll() : QByteArray();
}

void QtSerialLine::onReadyRead()
{
    checkLossCounters();
    emit dataReceived();
}

void QtSerialLine::checkLossCounters()
{
#ifdef Q_OS_LINUX
    // QSerialPort has no notification for lost characters; the driver counts them.
    // A pseudo-terminal has no counters and never loses anything.
    serial_icounter_struct counters{};
    if (!m_port.isOpen() || ::ioctl(static_cast<int>(m_port.handle()), TIOCGICOUNT, &counters) != 0)
        return;
    const bool overrun = m_overruns >= 0 && counters.overrun > m_overruns;
    const bool overflow = m_bufferOverruns >= 0 && counters.buf_overrun > m_bufferOverruns;
    m_overruns = counters.overrun;
    m_bufferOverruns = counters.buf_overrun;
    if (overrun)
        emit this->overrun();
    if (overflow)
        emit bufferOverflow();
#endif
}

void QtSerialLine::onError(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::NoError:
    case QSerialPort::UnsupportedOperationError:
        return;
    case QSerialPort::ReadError:
    case QSerialPort::ResourceError:
        // The far end is gone: close instead of firing errors without end.
        m_error = m_port.errorString();
        m_port.clearError();
        if (m_port.isOpen())
            m_port.close();
        return;
    default:
        m_error = m_port.errorString();
        return;
    }
}

} // namespace kavio
