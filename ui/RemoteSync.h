#pragma once

#include "CardDav.h"

#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class QThread;

// The window's address books on servers, read in the background: the window shows what the
// cache holds at once, and this brings the caches up to date on a thread of its own (the
// password from the keyring, else FESTMARK_PASSWORD, else asked), never holding the window.
// What it writes to a cache reaches the window as a changed source does.
class RemoteSync : public QObject {
    Q_OBJECT
public:
    // Asks the user for the password of `user` at the source; none when cancelled. `why` says
    // why it is asked again ("Benutzername oder Passwort falsch"), empty the first time.
    using AskPassword = std::function<std::optional<QString>(
        const QString &source, const QString &user, const QString &why)>;

    explicit RemoteSync(QObject *parent = nullptr);
    ~RemoteSync() override;

    void SetAskPassword(AskPassword ask) { m_ask = std::move(ask); }
    void SetTimeout(int timeoutMs) { m_timeoutMs = timeoutMs; }
    // Reads the sources that are addresses on servers, each unless read within the last
    // quarter of an hour or being read now.
    void SyncDue(const QStringList &sources);
    // One line for each address book whose last read failed; empty when none did.
    QString Notes() const;

signals:
    void CacheUpdated(); // a cache was replaced: the sources changed
    void NotesChanged();

private:
    void Begin(const QString &source, const QString &user, std::optional<QString> password,
               bool typed, const QString &why);
    void Finished(const QString &source, const QString &user, const QString &password, bool typed,
                  const SyncOutcome &outcome);
    void SetNote(const QString &source, const QString &note);

    // Whether this object still takes the worker's answers: a thread left running at the
    // program's end must not post to it.
    std::shared_ptr<std::atomic<bool>> m_alive = std::make_shared<std::atomic<bool>>(true);
    QThread *m_thread;
    QObject *m_worker; // lives in m_thread: the reads' parent there
    AskPassword m_ask;
    int m_timeoutMs = 30000;
    QSet<QString> m_running;
    QHash<QString, QDateTime> m_lastRead;
    QHash<QString, QString> m_notes;
    QStringList m_order; // of the notes
    bool m_keyringMissingSaid = false;
};
