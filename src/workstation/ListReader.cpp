#include "workstation/ListReader.h"

#include <QMetaObject>

namespace kavio {

ListReader::ListReader(QObject *parent) : QObject(parent) {}

ListReader::~ListReader()
{
    cancel();
}

void ListReader::start(Read read, Done done, Failed failed)
{
    cancel();
    const quint64 generation = m_generation;
    auto stop = std::make_shared<std::atomic_bool>(false);
    m_cancel = stop;
    m_pending = true;
    m_thread = std::thread(
        [this, generation, stop, read = std::move(read), done = std::move(done), failed = std::move(failed)] {
            std::function<void()> handOver;
            try {
                ListRows rows = read(stop.get());
                handOver = [done, rows = std::make_shared<ListRows>(std::move(rows))] { done(std::move(*rows)); };
            } catch (const KavioError &e) {
                handOver = [failed, e] { failed(e); };
            } catch (const std::exception &e) {
                handOver = [failed, text = QString::fromLocal8Bit(e.what())] { failed(KavioError(0, text)); };
            }
            if (stop->load())
                return;
            // Queued to this object: dropped by Qt if the object is gone by then, and by
            // deliver() if the read was cancelled or started again in the meantime.
            QMetaObject::invokeMethod(
                this, [this, generation, handOver] { deliver(generation, handOver); }, Qt::QueuedConnection);
        });
}

void ListReader::cancel()
{
    ++m_generation;
    m_pending = false;
    if (m_cancel)
        m_cancel->store(true);
    if (m_thread.joinable())
        m_thread.join();
    m_cancel.reset();
}

void ListReader::deliver(quint64 generation, const std::function<void()> &handOver)
{
    if (generation != m_generation)
        return;
    if (m_thread.joinable())
        m_thread.join();
    m_pending = false;
    m_cancel.reset();
    ++m_generation; // handed over once
    handOver();
}

} // namespace kavio
