#include "gdt/ExchangeWatcher.h"

#include "app/Log.h"
#include "gdt/ExchangeName.h"

#include <algorithm>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSaveFile>

namespace kavio::gdt {

ExchangeWatcher::ExchangeWatcher(QString folder, QString ownId, QString practiceId, Handler handler, QObject *parent)
    : QObject(parent), m_folder(std::move(folder)), m_ownId(std::move(ownId)), m_practiceId(std::move(practiceId)),
      m_handler(std::move(handler))
{
    connect(&m_poll, &QTimer::timeout, this, &ExchangeWatcher::scan);
}

ExchangeWatcher::~ExchangeWatcher() = default;

void ExchangeWatcher::start(bool notifications, int pollMs)
{
    if (notifications) {
        m_watcher = new QFileSystemWatcher(this);
        connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &ExchangeWatcher::scan);
        connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &ExchangeWatcher::scan);
    }
    m_poll.start(pollMs);
    QTimer::singleShot(0, this, &ExchangeWatcher::scan);
}

bool ExchangeWatcher::folderThere()
{
    const bool there = QFileInfo(m_folder).isDir();
    if (there == !m_folderMissing) {
        // A watch does not survive its folder going away: set it again each time.
        if (there && m_watcher && !m_watcher->directories().contains(m_folder))
            m_watcher->addPath(m_folder);
        return there;
    }
    m_folderMissing = !there;
    const QString shown = QDir::toNativeSeparators(m_folder);
    if (there) {
        qCInfo(lcGdt) << "exchange folder back:" << m_folder;
        emit note(QStringLiteral("GDT: Der Austauschordner %1 ist wieder erreichbar.").arg(shown));
        if (m_watcher)
            m_watcher->addPath(m_folder);
    } else {
        qCWarning(lcGdt) << "exchange folder gone:" << m_folder;
        emit note(QStringLiteral("GDT: Der Austauschordner %1 ist nicht erreichbar (Netzlaufwerk getrennt?). "
                                 "Anforderungen werden gelesen, sobald er wieder da ist.")
                      .arg(shown));
    }
    return there;
}

void ExchangeWatcher::scan()
{
    if (m_scanning)
        return;
    m_scanning = true;
    if (folderThere()) {
        QFileInfoList files;
        for (const QFileInfo &f : QDir(m_folder).entryInfoList(QDir::Files))
            if (isExchangeFile(f.fileName(), m_ownId, m_practiceId) && m_stuck.value(f.filePath()) != f.lastModified())
                files << f;
        // Oldest first; names break ties, so counting names keep their order.
        std::sort(files.begin(), files.end(), [](const QFileInfo &a, const QFileInfo &b) {
            return a.lastModified() != b.lastModified() ? a.lastModified() < b.lastModified()
                                                        : a.fileName() < b.fileName();
        });
        for (const QFileInfo &f : files)
            if (!handle(f))
                break;
    }
    m_scanning = false;
    emit scanned();
}

bool ExchangeWatcher::handle(const QFileInfo &file)
{
    const QString path = file.filePath();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        qCInfo(lcGdt) << "cannot read yet:" << path << f.errorString();
        return true; // the writer may still hold it; the next look tries again
    }
    // One byte more than allowed is enough to know a file is too large.
    const Outcome<Request> request = readRequest(f.read(kMaxFileBytes + 1));
    f.close();
    if (!request.ok()) {
        Seen &seen = m_unfinished[path];
        if (seen.size != file.size() || seen.modified != file.lastModified() || !seen.since.isValid()) {
            seen = {file.size(), file.lastModified(), {}};
            seen.since.start();
            watchFile(path, true);
        }
        if (seen.since.elapsed() < m_settleMs)
            return true;
        setAside(file, request.error->reason);
        return true;
    }
    if (m_unfinished.remove(path))
        watchFile(path, false);
    if (m_handler(*request.value) == Handling::Wait)
        return false;
    if (!QFile::remove(path)) {
        m_stuck.insert(path, file.lastModified());
        qCWarning(lcGdt) << "request taken but not deleted:" << path;
        emit note(QStringLiteral("GDT: Die Anforderung %1 wurde übernommen, konnte aber nicht gelöscht werden.")
                      .arg(file.fileName()));
    }
    return true;
}

void ExchangeWatcher::setAside(const QFileInfo &file, const QString &reason)
{
    m_unfinished.remove(file.filePath());
    watchFile(file.filePath(), false);
    const QDir folder(m_folder);
    const QString aside = setAsideFolderName();
    QString target;
    bool moved = folder.mkpath(aside);
    if (moved) {
        // An earlier file of the same name keeps its place.
        target = folder.filePath(aside + QLatin1Char('/') + file.fileName());
        for (int n = 2; QFileInfo::exists(target) || QFileInfo::exists(target + QStringLiteral(".txt")); ++n)
            target = folder.filePath(QStringLiteral("%1/%2-%3").arg(aside).arg(n).arg(file.fileName()));
        moved = QFile::rename(file.filePath(), target);
    }
    if (!moved) {
        m_stuck.insert(file.filePath(), file.lastModified());
        qCWarning(lcGdt) << "malformed request could not be moved aside:" << file.filePath() << reason;
        emit note(QStringLiteral("GDT: Die Datei %1 ist fehlerhaft und konnte nicht nach %2 verschoben werden: %3")
                      .arg(file.fileName(), aside, reason));
        return;
    }
    QSaveFile why(target + QStringLiteral(".txt"));
    if (!why.open(QIODevice::WriteOnly) ||
        why.write((QStringLiteral("Datei: %1\nGrund: %2\n").arg(file.fileName(), reason)).toUtf8()) < 0 ||
        !why.commit())
        qCWarning(lcGdt) << "reason not written beside" << target << why.errorString();
    qCWarning(lcGdt) << "malformed request set aside:" << target << reason;
    emit note(QStringLiteral("GDT: Die Datei %1 ist keine gültige Anforderung und wurde nach %2 verschoben: %3")
                  .arg(file.fileName(), aside, reason));
}

void ExchangeWatcher::watchFile(const QString &path, bool on)
{
    if (!m_watcher)
        return;
    if (on && !m_watcher->files().contains(path))
        m_watcher->addPath(path);
    else if (!on && m_watcher->files().contains(path))
        m_watcher->removePath(path);
}

} // namespace kavio::gdt
