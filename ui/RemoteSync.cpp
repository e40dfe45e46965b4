#include "RemoteSync.h"

#include "AddressBookCache.h"
#include "Keyring.h"

#include <QThread>

namespace {

constexpr qint64 kReadAgainAfterSecs = 15 * 60;
// Ending the program waits this long for a read to be called off, never for the server.
constexpr unsigned long kEndWaitMs = 3000;

} // namespace

RemoteSync::RemoteSync(QObject *parent)
    : QObject(parent)
    , m_thread(new QThread)
    , m_worker(new QObject)
{
    m_thread->setObjectName(QStringLiteral("Adressbücher"));
    m_worker->moveToThread(m_thread);
    m_thread->start();
}

RemoteSync::~RemoteSync()
{
    *m_alive = false;
    // The reads end with their thread: the worker and its children are deleted there.
    QObject::connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    QMetaObject::invokeMethod(m_worker, [worker = m_worker] { qDeleteAll(worker->children()); });
    m_thread->quit();
    // Calling the reads off is quick; should it not be, the thread is left to the end of
    // the process rather than holding the program's end.
    if (m_thread->wait(kEndWaitMs))
        delete m_thread;
}

void RemoteSync::SyncDue(const QStringList &sources)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (const QString &source : sources) {
        if (!IsRemoteSource(source) || m_running.contains(source))
            continue;
        if (const auto last = m_lastRead.constFind(source);
            last != m_lastRead.cend() && last->secsTo(now) < kReadAgainAfterSecs)
            continue;
        if (const QString refusal = RemoteSourceRefusal(source); !refusal.isEmpty()) {
            m_lastRead.insert(source, now);
            SetNote(source, refusal);
            continue;
        }
        const QString user = RemoteSourceUser(source, QString());
        if (user.isEmpty()) {
            m_lastRead.insert(source, now);
            SetNote(source, tr("kein Benutzername in der Adresse (https://NAME@server/)"));
            continue;
        }
        m_running.insert(source);
        ReadKeyringPasswordLater(
            PasswordKey(source, user), this,
            [this, source, user](std::optional<QString> password, const QString &problem) {
                if (!problem.isEmpty() && !m_keyringMissingSaid) {
                    m_keyringMissingSaid = true;
                    SetNote(QString(), problem + tr(" Passwörter werden bei jedem Start gefragt."));
                }
                if (!password && qEnvironmentVariableIsSet("FESTMARK_PASSWORD"))
                    password = qEnvironmentVariable("FESTMARK_PASSWORD");
                Begin(source, user, password, false, QString());
            });
    }
}

void RemoteSync::Begin(const QString &source, const QString &user, std::optional<QString> password,
                       bool typed, const QString &why)
{
    if (!password && m_ask) {
        password = m_ask(source, user, why);
        typed = password.has_value();
    }
    if (!password) {
        m_running.remove(source);
        m_lastRead.insert(source, QDateTime::currentDateTimeUtc());
        SetNote(source, why.isEmpty() ? tr("kein Passwort angegeben") : why);
        return;
    }
    const int timeoutMs = m_timeoutMs;
    QMetaObject::invokeMethod(
        m_worker, [this, alive = m_alive, source, user, password = *password, typed, timeoutMs] {
            auto *sync = new CardDavSync({QUrl(source), user, password},
                                         AddressBookCachePath(source), timeoutMs, m_worker);
            QObject::connect(sync, &CardDavSync::Finished, sync, [=, this] {
                sync->deleteLater();
                if (*alive)
                    QMetaObject::invokeMethod(this, [=, this, outcome = sync->Outcome()] {
                        Finished(source, user, password, typed, outcome);
                    });
            });
            sync->Start();
        });
}

void RemoteSync::Finished(const QString &source, const QString &user, const QString &password,
                          bool typed, const SyncOutcome &outcome)
{
    if (outcome.result == SyncOutcome::Result::Updated && typed)
        StoreKeyringPasswordLater(PasswordKey(source, user), password, this,
                                  [this](const QString &problem) {
                                      // Read, but the password is not kept: said once.
                                      if (!problem.isEmpty() && !m_keyringMissingSaid) {
                                          m_keyringMissingSaid = true;
                                          SetNote(QString(), problem);
                                      }
                                  });
    if (outcome.result == SyncOutcome::Result::WrongLogin && m_ask) {
        // A password that was kept or typed no longer fits: asked again, once.
        if (!typed) {
            Begin(source, user, std::nullopt, false, outcome.message);
            return;
        }
    }
    m_running.remove(source);
    m_lastRead.insert(source, QDateTime::currentDateTimeUtc());
    SetNote(source, outcome.result == SyncOutcome::Result::Updated ? QString() : outcome.message);
    if (outcome.result == SyncOutcome::Result::Updated)
        emit CacheUpdated();
}

void RemoteSync::SetNote(const QString &source, const QString &note)
{
    if (m_notes.value(source) == note)
        return;
    if (note.isEmpty()) {
        m_notes.remove(source);
        m_order.removeAll(source);
    } else {
        if (!m_notes.contains(source))
            m_order += source;
        m_notes.insert(source, note);
    }
    emit NotesChanged();
}

QString RemoteSync::Notes() const
{
    QStringList lines;
    for (const QString &source : m_order) {
        const QString &note = m_notes[source];
        lines += source.isEmpty()
                     ? note
                     : tr("Adressbuch %1: %2").arg(RemoteSourceUrl(source).toString(), note);
    }
    return lines.join(QLatin1Char('\n'));
}
