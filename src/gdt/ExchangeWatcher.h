#pragma once

#include "gdt/GdtRequest.h"

#include <functional>
#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QTimer>

class QFileSystemWatcher;
class QFileInfo;

namespace kavio::gdt {

// Watches the exchange folder for requests addressed to this program (<own><practice>
// with ".GDT" or a counting extension) and hands each complete one to a handler, oldest
// first. Notifications of the file system make it quick; polling catches what they miss
// (network shares send none). A request taken is deleted; one that is not a request is
// moved to "fehlerhaft/" with the reason beside it in a .txt, never deleted. A file that
// does not read as a request is first given time to be finished: only once it has stayed
// unchanged for the settle time is it judged malformed. No widgets: what the operator
// should see comes out as notes for the status line.
class ExchangeWatcher final : public QObject {
    Q_OBJECT
public:
    enum class Handling {
        Taken, // done with: the file is deleted
        Wait,  // not now: the file stays, and it and every later one are offered again
    };
    using Handler = std::function<Handling(const Request &request)>;

    static constexpr int kPollMs = 2000;
    static constexpr int kSettleMs = 5000;

    ExchangeWatcher(QString folder, QString ownId, QString practiceId, Handler handler, QObject *parent = nullptr);
    ~ExchangeWatcher() override;

    // Watches from now on; the files already there are handled at the next turn of the
    // event loop.
    void start(bool notifications = true, int pollMs = kPollMs);
    void setSettleTime(int ms) { m_settleMs = ms; }

    // Looks at the folder once. Does nothing when called again from inside a handler (a
    // question to the operator runs the event loop).
    void scan();

    const QString &folder() const { return m_folder; }
    static QString setAsideFolderName() { return QStringLiteral("fehlerhaft"); }

signals:
    // Something for the status line.
    void note(const QString &text);
    // After every look at the folder (also when it was not there).
    void scanned();

private:
    struct Seen {
        qint64 size = -1;
        QDateTime modified;
        QElapsedTimer since;
    };
    bool folderThere();
    // False when the handler asked to wait.
    bool handle(const QFileInfo &file);
    void setAside(const QFileInfo &file, const QString &reason);
    void watchFile(const QString &path, bool on);

    QString m_folder;
    QString m_ownId;
    QString m_practiceId;
    Handler m_handler;
    QFileSystemWatcher *m_watcher = nullptr;
    QTimer m_poll;
    int m_settleMs = kSettleMs;
    bool m_scanning = false;
    bool m_folderMissing = false;
    QHash<QString, Seen> m_unfinished; // files that did not read yet
    // Taken or malformed but not removable, by the time they were changed: passed over
    // until they change.
    QHash<QString, QDateTime> m_stuck;
};

} // namespace kavio::gdt
