#pragma once

#include "AddressBookCache.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QSslConfiguration>
#include <QSslError>
#include <QString>
#include <QUrl>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QNetworkAccessManager;
class QNetworkReply;

// Reads the address books of one source from its server (CardDAV, RFC 6352): from an account's
// base address it finds them all (RFC 6764: /.well-known/carddav, the user's principal, its
// address book home; again once a day, or when a book is gone), else it reads the collection
// given. With a cache it asks only for what changed (sync-collection, RFC 6578; the cards'
// ETags where a server lacks it). Every answer is read as it arrives and bounded in size and
// time; the cache is replaced only when all books were read. Runs in the thread it lives in,
// on that thread's event loop.
class CardDavSync : public QObject {
    Q_OBJECT
public:
    struct Account {
        QUrl url; // the source's address (its user and password are not taken from it)
        QString user;
        QString password;
    };
    // `cachePath`: where the source's books are kept, read before and replaced after a
    // successful read; empty for none.
    CardDavSync(Account account, QString cachePath, int timeoutMs, QObject *parent = nullptr);
    ~CardDavSync() override;

    // Only finds the address books (their addresses and names), reading no cards.
    void SetFindOnly(bool findOnly) { m_findOnly = findOnly; }
    void Start();
    const SyncOutcome &Outcome() const { return m_outcome; }
    // The books as read, when the outcome is Updated.
    const AddressBookCache &Result() const { return m_result; }

signals:
    void Finished();

private:
    struct Answer;
    using Handler = void (CardDavSync::*)(Answer &);

    void Send(const QByteArray &method, const QUrl &url, int depth, const QByteArray &body,
              Handler handler, int redirects = 0);
    void OnReadyRead();
    void OnReplyFinished();
    void Fail(SyncOutcome::Result result, const QString &message);
    void FailUnreadable(const Answer &answer);
    void Succeed();

    void Probe(const QUrl &url);
    void OnProbe(Answer &answer);
    void OnHome(Answer &answer);
    void SyncNextBook();
    void SendSync();
    void OnSync(Answer &answer);
    // The cards an answer lists: every one (`whole`), or those that changed.
    void TakeListing(Answer &answer, bool whole);
    bool Listed(const Answer &answer); // a multistatus, else the read fails
    void OnEtags(Answer &answer);
    void FetchChanged();
    void OnMultiget(Answer &answer);
    void FinishBook();

    Account m_account;
    QString m_cachePath;
    std::optional<AddressBookCache> m_old;
    int m_timeoutMs;
    QNetworkAccessManager *m_network;
    std::optional<QSslConfiguration> m_tls; // with the authorities of SSL_CERT_FILE
    QPointer<QNetworkReply> m_reply;
    std::unique_ptr<Answer> m_answer;
    QElapsedTimer m_clock;
    SyncOutcome m_outcome;
    AddressBookCache m_result;
    bool m_done = false;
    bool m_findOnly = false;

    // Discovery
    std::vector<QUrl> m_probed;
    bool m_triedWellKnown = false;
    bool m_booksFromCache = false; // the books of the last time, not looked for now
    // The book being read
    std::vector<CachedBook> m_books;
    std::size_t m_bookIndex = 0;
    std::map<QString, CachedCard> m_cards; // its cards as known now, by their addresses
    QStringList m_toFetch;
};

// For the terminal (through the window module, which holds Qt Network): reads the source's
// books into its cache within the time limit, waiting on a local event loop.
SyncOutcome SyncAddressBook(const QString &source, const QString &user, const QString &password,
                            int timeoutMs);
