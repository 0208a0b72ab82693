#pragma once

#include "gdt/ExchangeWatcher.h"
#include "gdt/LinkSettings.h"
#include "session/Values.h"

#include <functional>
#include <memory>
#include <optional>
#include <QByteArrayList>
#include <QObject>

namespace kavio {
class Clock;
class Messages;
class Session;
} // namespace kavio

namespace kavio::gdt {

// The program's side of the exchange with the practice software: takes the patient of
// each request into the session's person choice (found by the practice's number, else by
// name and birth date, else created once the operator agrees) and answers every stored
// measurement with a result file. The window says when it may change person and how a
// person is chosen; everything else happens here, without widgets.
class PracticeLink final : public QObject {
    Q_OBJECT
public:
    PracticeLink(Session &session, Messages &messages, QObject *parent = nullptr);
    ~PracticeLink() override;

    // True while the window must keep its person (a measurement not yet saved).
    void setBusy(std::function<bool()> busy) { m_busy = std::move(busy); }
    // Chooses the person in the window, as the operator would from the list.
    void setChooser(std::function<void(const Person &)> choose) { m_choose = std::move(choose); }
    // Polling alone, or another interval (benchmarks and tests).
    void setWatching(bool notifications, int pollMs, int settleMs = ExchangeWatcher::kSettleMs);

    // Starts, restarts or stops the exchange by the settings.
    void apply(const LinkSettings &settings);
    const LinkSettings &settings() const { return m_settings; }
    ExchangeWatcher *watcher() const { return m_watcher.get(); }

signals:
    // Something for the status line.
    void note(const QString &text);

private:
    ExchangeWatcher::Handling takeRequest(const Request &request);
    void answer(const SegmentInfo &segment, qint64 messId);
    std::optional<QByteArray> resultBytes(const SegmentInfo &segment, qint64 messId);
    void sendWaiting();

    Session &m_session;
    Messages &m_messages;
    LinkSettings m_settings;
    std::unique_ptr<ExchangeWatcher> m_watcher;
    std::function<bool()> m_busy;
    std::function<void(const Person &)> m_choose;
    bool m_notifications = true;
    int m_pollMs = ExchangeWatcher::kPollMs;
    int m_settleMs = ExchangeWatcher::kSettleMs;
    // The last request taken and its person: its number and sex go into the results.
    std::optional<Request> m_request;
    qint32 m_requestPerson = 0;
    QString m_waitingFor;    // the patient whose request waits, noted once
    QByteArrayList m_outbox; // results whose file could not be written yet
};

} // namespace kavio::gdt
