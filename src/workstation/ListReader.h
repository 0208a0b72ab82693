#pragma once

#include "app/Errors.h"
#include "workstation/ListModel.h"

#include <atomic>
#include <functional>
#include <memory>
#include <QObject>
#include <thread>

namespace kavio {

// Reads a list's rows on a thread of its own, so that a long list does not hold up the
// window; the rows are handed over on the thread of this object. Only the newest read
// is ever handed over: starting again or cancelling drops a read still under way.
class ListReader final : public QObject {
    Q_OBJECT
public:
    using Read = std::function<ListRows(const std::atomic_bool *cancel)>;
    using Done = std::function<void(ListRows)>;
    using Failed = std::function<void(const KavioError &)>;

    explicit ListReader(QObject *parent = nullptr);
    ~ListReader() override;

    // Runs read on a thread of its own (it must use a connection of its own and stop
    // when cancel becomes true); then calls done, or failed with what went wrong, from
    // this object's event loop.
    void start(Read read, Done done, Failed failed);
    // Stops a read under way and waits for its thread; neither callback comes afterwards.
    void cancel();
    // A read started and not yet handed over or cancelled.
    bool isPending() const { return m_pending; }

private:
    void deliver(quint64 generation, const std::function<void()> &handOver);

    std::thread m_thread;
    std::shared_ptr<std::atomic_bool> m_cancel;
    quint64 m_generation = 0;
    bool m_pending = false;
};

} // namespace kavio
