#include "CardDav.h"

#include <QAuthenticator>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslConfiguration>
#include <QTimer>
#include <QXmlStreamReader>

#include <algorithm>
#include <map>
#include <utility>

namespace {

constexpr qint64 kMaxAnswerBytes = qint64(256) << 20; // streamed, never held whole
constexpr qint64 kMaxKeptBytes = qint64(128) << 20;   // of all cards of a source
constexpr qsizetype kMaxText = qsizetype(16) << 20;   // characters of one element
constexpr int kMaxDepth = 64;                         // of nested elements
constexpr std::size_t kMaxResponses = 100000;         // cards or collections in one answer
constexpr qint64 kReadBuffer = qint64(1) << 20;
constexpr int kMaxRedirects = 5;
constexpr int kMaxProbes = 6;
constexpr int kMultigetBatch = 200;
// An account's address books are looked for again after this long: a book added on the
// server comes within a day, and a read with nothing new costs one request a book.
constexpr qint64 kFindAgainAfterSecs = 24 * 60 * 60;

const QString kDav = QStringLiteral("DAV:");
const QString kCardDav = QStringLiteral("urn:ietf:params:xml:ns:carddav");

enum class Tag {
    Other,
    Multistatus,
    Response,
    Href,
    Status,
    Propstat,
    Prop,
    Getetag,
    AddressData,
    Resourcetype,
    Addressbook,
    Displayname,
    Principal,
    Home,
    SyncToken,
    ValidSyncToken,
};

Tag TagOf(QStringView ns, QStringView name)
{
    struct Known {
        bool cardDav; // else DAV:
        const char *name;
        Tag tag;
    };
    static constexpr Known kKnown[] = {
        {false, "multistatus", Tag::Multistatus},
        {false, "response", Tag::Response},
        {false, "href", Tag::Href},
        {false, "status", Tag::Status},
        {false, "propstat", Tag::Propstat},
        {false, "prop", Tag::Prop},
        {false, "getetag", Tag::Getetag},
        {false, "resourcetype", Tag::Resourcetype},
        {false, "displayname", Tag::Displayname},
        {false, "current-user-principal", Tag::Principal},
        {false, "sync-token", Tag::SyncToken},
        {false, "valid-sync-token", Tag::ValidSyncToken},
        {true, "address-data", Tag::AddressData},
        {true, "addressbook", Tag::Addressbook},
        {true, "addressbook-home-set", Tag::Home},
    };
    const bool dav = ns == kDav;
    if (!dav && ns != kCardDav)
        return Tag::Other;
    for (const Known &known : kKnown)
        if (known.cardDav != dav && name == QLatin1String(known.name))
            return known.tag;
    return Tag::Other;
}

int StatusCode(QStringView line) // "HTTP/1.1 404 Not Found"
{
    const QList<QStringView> parts = line.trimmed().split(QLatin1Char(' '));
    return parts.size() >= 2 ? parts[1].toInt() : 0;
}

int PortOf(const QUrl &url)
{
    return url.port(url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0 ? 443
                                                                                           : 80);
}

// Where the password may go besides the source's own address: the same server, or over
// https another server of the same domain (iCloud answers from pNN-contacts.icloud.com for
// contacts.icloud.com). Never to another machine by its number, never without TLS.
bool MayCarryPassword(const QUrl &source, const QUrl &target)
{
    if (source.scheme().compare(target.scheme(), Qt::CaseInsensitive) != 0)
        return false;
    const QString from = source.host().toLower();
    const QString to = target.host().toLower();
    if (from == to)
        return PortOf(source) == PortOf(target);
    if (target.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) != 0 ||
        !QHostAddress(from).isNull() || !QHostAddress(to).isNull())
        return false;
    const QStringList labels = from.split(QLatin1Char('.'));
    if (labels.size() < 3)
        return false;
    const QString domain = labels[labels.size() - 2] + QLatin1Char('.') + labels.back();
    return to.endsWith(QLatin1Char('.') + domain);
}

QByteArray PropfindBody(const char *props)
{
    return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                             "<d:propfind xmlns:d=\"DAV:\" "
                             "xmlns:c=\"urn:ietf:params:xml:ns:carddav\"><d:prop>") +
           props + QByteArrayLiteral("</d:prop></d:propfind>");
}

// A card's address as the cache knows it (encoded); empty for the collection itself.
QString CardHref(const QUrl &book, const QString &href)
{
    const QString path = book.resolved(QUrl(href)).path(QUrl::FullyEncoded);
    return path == book.path(QUrl::FullyEncoded) ? QString() : path;
}

QByteArray Escaped(const QString &text)
{
    return text.toHtmlEscaped().toUtf8();
}

// One <response> of a multistatus, with the properties its successful propstats gave.
struct DavResponse {
    QString href;
    int status = 0; // of the response itself (a removed card), 0 when it has none
    QByteArray etag;
    QByteArray vcard;
    bool hasVcard = false;
    bool isBook = false;
    QString name;
    QString principal;
    QString home;
};

} // namespace

// A request on its way and its answer, parsed as it arrives.
struct CardDavSync::Answer {
    Handler handler = nullptr;
    QByteArray method;
    QUrl url;
    int depth = 0;
    QByteArray body;
    int redirects = 0;
    QStringList sslErrors;

    qint64 bytes = 0;
    QXmlStreamReader xml;
    std::vector<Tag> stack;
    QString text;
    DavResponse response;
    DavResponse props; // of the propstat being read
    int propStatus = 0;
    std::vector<DavResponse> responses;
    QString syncToken;
    bool validSyncTokenError = false;
    QString fault; // why the answer is refused, German
    qint64 kept = 0;

    int status = 0; // HTTP

    void Parse();
    void Start(Tag tag);
    void End(Tag tag);
    Tag Parent() const { return stack.size() >= 2 ? stack[stack.size() - 2] : Tag::Other; }
};

void CardDavSync::Answer::Parse()
{
    while (fault.isEmpty() && !xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            stack.push_back(TagOf(xml.namespaceUri(), xml.name()));
            if (stack.size() > kMaxDepth)
                fault = QStringLiteral("zu tief verschachteltes XML");
            text.clear();
            Start(stack.back());
            break;
        case QXmlStreamReader::EndElement:
            End(stack.empty() ? Tag::Other : stack.back());
            if (!stack.empty())
                stack.pop_back();
            text.clear();
            break;
        case QXmlStreamReader::Characters:
            if (text.size() + xml.text().size() > kMaxText)
                fault = QStringLiteral("ein zu großes Element");
            else
                text += xml.text();
            break;
        case QXmlStreamReader::DTD:
        case QXmlStreamReader::EntityReference:
            // Nobody's WebDAV needs them; they are how XML is made to explode.
            fault = QStringLiteral("XML mit eigenen Entitäten");
            break;
        default:
            break;
        }
    }
}

void CardDavSync::Answer::Start(Tag tag)
{
    if (tag == Tag::Response)
        response = {};
    else if (tag == Tag::Propstat) {
        props = {};
        propStatus = 0;
    }
}

void CardDavSync::Answer::End(Tag tag)
{
    const Tag parent = Parent();
    switch (tag) {
    case Tag::Href:
        if (parent == Tag::Response)
            response.href = text.trimmed();
        else if (parent == Tag::Principal && props.principal.isEmpty())
            props.principal = text.trimmed();
        else if (parent == Tag::Home && props.home.isEmpty())
            props.home = text.trimmed();
        break;
    case Tag::Status:
        if (parent == Tag::Response)
            response.status = StatusCode(text);
        else if (parent == Tag::Propstat)
            propStatus = StatusCode(text);
        break;
    case Tag::Getetag:
        props.etag = text.trimmed().toUtf8();
        break;
    case Tag::AddressData:
        props.vcard = CardToKeep(text.toUtf8());
        props.hasVcard = true;
        break;
    case Tag::Addressbook:
        if (parent == Tag::Resourcetype)
            props.isBook = true;
        break;
    case Tag::Displayname:
        props.name = text.trimmed().left(200);
        break;
    case Tag::SyncToken:
        if (parent == Tag::Multistatus)
            syncToken = text.trimmed();
        break;
    case Tag::ValidSyncToken:
        validSyncTokenError = true;
        break;
    case Tag::Propstat:
        if (propStatus >= 200 && propStatus < 300) {
            if (!props.etag.isEmpty())
                response.etag = props.etag;
            if (props.hasVcard) {
                kept += props.vcard.size();
                response.vcard = std::move(props.vcard);
                response.hasVcard = true;
            }
            response.isBook = response.isBook || props.isBook;
            if (!props.name.isEmpty())
                response.name = props.name;
            if (!props.principal.isEmpty())
                response.principal = props.principal;
            if (!props.home.isEmpty())
                response.home = props.home;
        }
        break;
    case Tag::Response:
        if (responses.size() == kMaxResponses)
            fault = QStringLiteral("mehr als 100000 Einträge");
        else if (!response.href.isEmpty())
            responses.push_back(std::move(response));
        break;
    default:
        break;
    }
}

CardDavSync::CardDavSync(Account account, QString cachePath, int timeoutMs, QObject *parent)
    : QObject(parent)
    , m_account(std::move(account))
    , m_cachePath(std::move(cachePath))
    , m_timeoutMs(timeoutMs)
    , m_network(new QNetworkAccessManager(this))
{
    m_account.url = m_account.url.adjusted(QUrl::RemoveUserInfo);
    if (!m_cachePath.isEmpty())
        m_old = LoadAddressBookCache(m_cachePath);
    // The password goes only where the source's address points: redirects are followed
    // here, never by Qt.
    m_network->setRedirectPolicy(QNetworkRequest::ManualRedirectPolicy);
    // OpenSSL's SSL_CERT_FILE, which Qt does not read: a private certificate authority (a
    // company's, a home server's) is trusted without changing the system's store.
    // Only then is the TLS configuration touched: asking for Qt's own loads the system's
    // whole store at once, where Qt otherwise looks up an authority when a server needs it.
    if (const QString authorities = qEnvironmentVariable("SSL_CERT_FILE");
        !authorities.isEmpty() && m_account.url.scheme() == QLatin1String("https")) {
        m_tls = QSslConfiguration::defaultConfiguration();
        m_tls->addCaCertificates(authorities);
    }
    m_network->setAutoDeleteReplies(false);
    connect(m_network, &QNetworkAccessManager::authenticationRequired, this,
            [this](QNetworkReply *reply, QAuthenticator *authenticator) {
                // Asked once more for the same request: the login was refused.
                if (reply->property("festmarkAsked").toBool())
                    return;
                reply->setProperty("festmarkAsked", true);
                authenticator->setUser(m_account.user);
                authenticator->setPassword(m_account.password);
            });
}

CardDavSync::~CardDavSync()
{
    if (m_reply)
        m_reply->abort();
    delete m_reply;
}

void CardDavSync::Start()
{
    m_clock.start();
    const QString refusal = RemoteSourceRefusal(m_account.url.toString());
    if (!refusal.isEmpty()) {
        Fail(SyncOutcome::Result::Refused, refusal);
        return;
    }
    auto *limit = new QTimer(this);
    limit->setSingleShot(true);
    connect(limit, &QTimer::timeout, this, [this] {
        Fail(SyncOutcome::Result::Unreachable,
             tr("keine vollständige Antwort innerhalb von %1 s").arg(m_timeoutMs / 1000.0));
    });
    limit->start(m_timeoutMs);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (!m_findOnly && m_old && !m_old->books.empty() && m_old->found.isValid() &&
        m_old->found <= now && m_old->found.secsTo(now) < kFindAgainAfterSecs) {
        for (const CachedBook &book : m_old->books)
            m_books.push_back({book.url, book.name, {}, {}});
        m_result.found = m_old->found;
        m_booksFromCache = true;
        SyncNextBook();
        return;
    }
    m_result.found = now;
    Probe(m_account.url);
}

void CardDavSync::Send(const QByteArray &method, const QUrl &url, int depth, const QByteArray &body,
                       Handler handler, int redirects)
{
    // A redirect, and an address a server names (a principal, a home, a book), alike.
    if (!MayCarryPassword(m_account.url, url)) {
        const QString where = url.toString(QUrl::RemoveUserInfo);
        Fail(SyncOutcome::Result::Refused,
             (redirects > 0 ? tr("Der Server leitet auf einen anderen Server um (%1).").arg(where)
                            : tr("Der Server verweist auf einen anderen Server (%1).").arg(where)) +
                 tr(" Festmark schickt das Passwort nur an den Server der Adresse: bitte diese "
                    "Adresse eintragen."));
        return;
    }
    m_answer = std::make_unique<Answer>();
    Answer &answer = *m_answer;
    answer.handler = handler;
    answer.method = method;
    answer.url = url;
    answer.depth = depth;
    answer.body = body;
    answer.redirects = redirects;

    QNetworkRequest request(url);
    if (m_tls)
        request.setSslConfiguration(*m_tls);
    request.setRawHeader("Depth", QByteArray::number(depth));
    request.setHeader(QNetworkRequest::ContentTypeHeader,
                      QByteArrayLiteral("application/xml; charset=utf-8"));
    request.setRawHeader(
        "Authorization",
        "Basic " + (m_account.user + QLatin1Char(':') + m_account.password).toUtf8().toBase64());
    // The whole read's own limit comes first, with its own words.
    request.setTransferTimeout(m_timeoutMs - static_cast<int>(m_clock.elapsed()) + 1000);
    m_reply = m_network->sendCustomRequest(request, method, body);
    // Read no faster than the answer is parsed: an endless one must not fill the memory.
    // Qt passes the limit on to its network thread only once the request has started, and
    // a request with a body starts from the event loop: the limit is set after that.
    QMetaObject::invokeMethod(
        m_reply, [reply = m_reply.data()] { reply->setReadBufferSize(kReadBuffer); },
        Qt::QueuedConnection);
    connect(m_reply, &QNetworkReply::readyRead, this, &CardDavSync::OnReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &CardDavSync::OnReplyFinished);
    connect(m_reply, &QNetworkReply::sslErrors, this, [this](const QList<QSslError> &errors) {
        if (m_answer)
            for (const QSslError &error : errors)
                m_answer->sslErrors += error.errorString();
    });
}

void CardDavSync::OnReadyRead()
{
    if (m_done || !m_reply || !m_answer)
        return;
    Answer &answer = *m_answer;
    const QByteArray piece = m_reply->readAll();
    answer.bytes += piece.size();
    if (answer.bytes > kMaxAnswerBytes) {
        Fail(SyncOutcome::Result::BadAnswer, tr("Die Antwort des Servers ist zu groß."));
        return;
    }
    answer.xml.addData(piece);
    answer.Parse();
    if (!answer.fault.isEmpty())
        FailUnreadable(answer);
    else if (answer.kept > kMaxKeptBytes)
        Fail(SyncOutcome::Result::BadAnswer, tr("Das Adressbuch ist zu groß."));
}

void CardDavSync::OnReplyFinished()
{
    if (m_done || !m_reply || !m_answer)
        return;
    if (m_reply->bytesAvailable() > 0)
        OnReadyRead();
    if (m_done)
        return;
    QNetworkReply *reply = m_reply;
    reply->deleteLater();
    m_reply = nullptr;
    Answer &answer = *m_answer;
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString host = answer.url.host();
    if (reply->error() == QNetworkReply::SslHandshakeFailedError) {
        const QString why = answer.sslErrors.isEmpty()
                                ? reply->errorString()
                                : answer.sslErrors.join(QStringLiteral("; "));
        Fail(SyncOutcome::Result::Certificate,
             tr("Dem Zertifikat des Servers %1 wird nicht vertraut: %2").arg(host, why));
        return;
    }
    if (answer.status == 0) {
        Fail(SyncOutcome::Result::Unreachable, reply->errorString());
        return;
    }
    if (answer.status >= 300 && answer.status < 400) {
        const QUrl target =
            answer.url.resolved(reply->header(QNetworkRequest::LocationHeader).toUrl());
        if (!target.isValid() || answer.redirects >= kMaxRedirects) {
            Fail(SyncOutcome::Result::BadAnswer, tr("Der Server leitet im Kreis um."));
            return;
        }
        const QByteArray method = answer.method;
        const QByteArray body = answer.body;
        Send(method, target, answer.depth, body, answer.handler, answer.redirects + 1);
        return;
    }
    if (answer.status == 401) {
        Fail(SyncOutcome::Result::WrongLogin, tr("Benutzername oder Passwort falsch"));
        return;
    }
    if (answer.status == 207) {
        answer.Parse();
        if (answer.fault.isEmpty() && answer.xml.hasError())
            answer.fault = answer.xml.errorString();
        if (!answer.fault.isEmpty()) {
            FailUnreadable(answer);
            return;
        }
    }
    (this->*answer.handler)(answer);
}

void CardDavSync::Fail(SyncOutcome::Result result, const QString &message)
{
    if (m_done)
        return;
    m_done = true;
    m_outcome.result = result;
    m_outcome.message = message;
    if (result == SyncOutcome::Result::Unreachable) {
        m_outcome.message = tr("nicht erreichbar (%1)").arg(message);
        if (m_old)
            m_outcome.message +=
                tr("; gezeigt wird der Stand vom %1")
                    .arg(m_old->saved.toString(QStringLiteral("dd.MM.yyyy HH:mm")));
    }
    if (m_reply)
        m_reply->abort();
    // Told from the event loop, never from inside Start() or a caller's own call.
    QMetaObject::invokeMethod(this, &CardDavSync::Finished, Qt::QueuedConnection);
}

void CardDavSync::FailUnreadable(const Answer &answer)
{
    Fail(SyncOutcome::Result::BadAnswer,
         tr("Die Antwort des Servers %1 ist kein lesbares WebDAV (%2).")
             .arg(answer.url.host(), answer.fault));
}

void CardDavSync::Succeed()
{
    if (m_done)
        return;
    m_result.saved = QDateTime::currentDateTime();
    QString why;
    if (!m_findOnly && !m_cachePath.isEmpty() &&
        !SaveAddressBookCache(m_cachePath, m_result, &why)) {
        Fail(SyncOutcome::Result::BadAnswer,
             tr("Der Zwischenspeicher %1 lässt sich nicht schreiben: %2")
                 .arg(QDir::toNativeSeparators(m_cachePath), why));
        return;
    }
    m_done = true;
    m_outcome.result = SyncOutcome::Result::Updated;
    QMetaObject::invokeMethod(this, &CardDavSync::Finished, Qt::QueuedConnection);
}

void CardDavSync::Probe(const QUrl &url)
{
    if (m_probed.size() >= kMaxProbes ||
        std::find(m_probed.begin(), m_probed.end(), url) != m_probed.end()) {
        Fail(SyncOutcome::Result::BadAnswer,
             tr("Unter %1 ist kein Adressbuch zu finden.").arg(m_account.url.toString()));
        return;
    }
    m_probed.push_back(url);
    Send("PROPFIND", url, 0,
         PropfindBody("<d:resourcetype/><d:displayname/><d:current-user-principal/>"
                      "<c:addressbook-home-set/>"),
         &CardDavSync::OnProbe);
}

void CardDavSync::OnProbe(Answer &answer)
{
    const DavResponse *found =
        answer.status == 207 && !answer.responses.empty() ? &answer.responses.front() : nullptr;
    if (found != nullptr && found->isBook) {
        m_books.push_back({answer.url.toString(), found->name, {}, {}});
        SyncNextBook();
        return;
    }
    if (found != nullptr && !found->home.isEmpty()) {
        Send("PROPFIND", answer.url.resolved(QUrl(found->home)), 1,
             PropfindBody("<d:resourcetype/><d:displayname/>"), &CardDavSync::OnHome);
        return;
    }
    if (found != nullptr && !found->principal.isEmpty()) {
        const QUrl principal = answer.url.resolved(QUrl(found->principal));
        if (std::find(m_probed.begin(), m_probed.end(), principal) == m_probed.end()) {
            Probe(principal);
            return;
        }
    }
    if (!m_triedWellKnown) {
        m_triedWellKnown = true;
        Probe(m_account.url.resolved(QUrl(QStringLiteral("/.well-known/carddav"))));
        return;
    }
    Fail(SyncOutcome::Result::BadAnswer,
         tr("Unter %1 ist kein Adressbuch zu finden.").arg(m_account.url.toString()));
}

void CardDavSync::OnHome(Answer &answer)
{
    if (answer.status == 207)
        for (const DavResponse &response : answer.responses)
            if (response.isBook)
                m_books.push_back(
                    {answer.url.resolved(QUrl(response.href)).toString(), response.name, {}, {}});
    if (m_books.empty()) {
        Fail(SyncOutcome::Result::BadAnswer,
             tr("Das Konto %1 hat keine Adressbücher.").arg(m_account.url.toString()));
        return;
    }
    std::sort(m_books.begin(), m_books.end(),
              [](const CachedBook &a, const CachedBook &b) { return a.url < b.url; });
    SyncNextBook();
}

void CardDavSync::SyncNextBook()
{
    if (m_findOnly) {
        m_result.books = m_books;
        Succeed();
        return;
    }
    if (m_bookIndex == m_books.size()) {
        Succeed();
        return;
    }
    // What the last read kept of this book is what is asked about.
    CachedBook &book = m_books[m_bookIndex];
    m_cards.clear();
    m_toFetch.clear();
    book.syncToken.clear();
    if (m_old)
        for (const CachedBook &old : m_old->books)
            if (old.url == book.url) {
                book.syncToken = old.syncToken;
                for (const CachedCard &card : old.cards)
                    m_cards.emplace(card.href, card);
            }
    SendSync();
}

void CardDavSync::SendSync()
{
    const CachedBook &book = m_books[m_bookIndex];
    Send("REPORT", QUrl(book.url), 0,
         QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                           "<d:sync-collection xmlns:d=\"DAV:\" "
                           "xmlns:c=\"urn:ietf:params:xml:ns:carddav\"><d:sync-token>") +
             Escaped(book.syncToken) +
             QByteArrayLiteral("</d:sync-token><d:sync-level>1</d:sync-level><d:prop>"
                               "<d:getetag/><c:address-data/></d:prop></d:sync-collection>"),
         &CardDavSync::OnSync);
}

void CardDavSync::OnSync(Answer &answer)
{
    if (m_booksFromCache && (answer.status == 404 || answer.status == 410)) {
        // A book known from the last time is gone: the account's books are looked for anew.
        m_booksFromCache = false;
        m_books.clear();
        m_bookIndex = 0;
        m_result = {};
        m_result.found = QDateTime::currentDateTimeUtc();
        Probe(m_account.url);
        return;
    }
    CachedBook &book = m_books[m_bookIndex];
    if (answer.status != 207 || answer.syncToken.isEmpty()) {
        if (!book.syncToken.isEmpty() &&
            (answer.validSyncTokenError || answer.status == 403 || answer.status == 409)) {
            // The server forgot our token: the whole book is asked for again.
            book.syncToken.clear();
            SendSync();
            return;
        }
        // No sync-collection here: the cards' versions tell what changed.
        book.syncToken.clear();
        Send("PROPFIND", QUrl(book.url), 1, PropfindBody("<d:getetag/>"), &CardDavSync::OnEtags);
        return;
    }
    // Without a token the server lists every card; with one, only what changed.
    TakeListing(answer, book.syncToken.isEmpty());
    book.syncToken = answer.syncToken;
    FetchChanged();
}

void CardDavSync::TakeListing(Answer &answer, bool whole)
{
    const QUrl base(m_books[m_bookIndex].url);
    // A card whose version is the one kept needs no fetching.
    const std::map<QString, CachedCard> known = whole ? std::exchange(m_cards, {}) : m_cards;
    for (DavResponse &response : answer.responses) {
        const QString href = CardHref(base, response.href);
        if (href.isEmpty())
            continue;
        if (response.status == 404) {
            m_cards.erase(href);
            continue;
        }
        if (response.etag.isEmpty() && !response.hasVcard)
            continue;
        QByteArray vcard = std::move(response.vcard);
        if (!response.hasVcard) {
            const auto old = known.find(href);
            if (old != known.end() && old->second.etag == response.etag)
                vcard = old->second.vcard;
            else
                m_toFetch += href;
        }
        m_cards[href] = {href, response.etag, vcard};
    }
}

bool CardDavSync::Listed(const Answer &answer)
{
    if (answer.status == 207)
        return true;
    Fail(SyncOutcome::Result::BadAnswer,
         tr("Der Server gibt das Adressbuch %1 nicht heraus (HTTP %2).")
             .arg(m_books[m_bookIndex].url)
             .arg(answer.status));
    return false;
}

void CardDavSync::OnEtags(Answer &answer)
{
    if (!Listed(answer))
        return;
    TakeListing(answer, true);
    FetchChanged();
}

void CardDavSync::FetchChanged()
{
    if (m_toFetch.isEmpty()) {
        FinishBook();
        return;
    }
    QByteArray body = QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                                        "<c:addressbook-multiget xmlns:d=\"DAV:\" "
                                        "xmlns:c=\"urn:ietf:params:xml:ns:carddav\"><d:prop>"
                                        "<d:getetag/><c:address-data/></d:prop>");
    const qsizetype batch = std::min<qsizetype>(kMultigetBatch, m_toFetch.size());
    for (qsizetype i = 0; i < batch; ++i)
        body += "<d:href>" + Escaped(m_toFetch[i]) + "</d:href>";
    body += "</c:addressbook-multiget>";
    m_toFetch.remove(0, batch);
    Send("REPORT", QUrl(m_books[m_bookIndex].url), 1, body, &CardDavSync::OnMultiget);
}

void CardDavSync::OnMultiget(Answer &answer)
{
    if (!Listed(answer))
        return;
    const QUrl base(m_books[m_bookIndex].url);
    for (DavResponse &response : answer.responses) {
        const auto card = m_cards.find(CardHref(base, response.href));
        if (card == m_cards.end() || !response.hasVcard)
            continue;
        card->second.vcard = std::move(response.vcard);
        if (!response.etag.isEmpty())
            card->second.etag = response.etag;
    }
    FetchChanged();
}

void CardDavSync::FinishBook()
{
    CachedBook &book = m_books[m_bookIndex];
    book.cards.clear();
    // In the order of their addresses; a card the server listed but did not hand out is
    // not known.
    for (auto &[href, card] : m_cards)
        if (!card.vcard.isEmpty())
            book.cards.push_back(std::move(card));
    m_cards.clear();
    m_result.books.push_back(book);
    ++m_bookIndex;
    SyncNextBook();
}

SyncOutcome SyncAddressBook(const QString &source, const QString &user, const QString &password,
                            int timeoutMs)
{
    CardDavSync sync({QUrl(source), user, password}, AddressBookCachePath(source), timeoutMs);
    QEventLoop loop;
    QObject::connect(&sync, &CardDavSync::Finished, &loop, &QEventLoop::quit);
    sync.Start();
    loop.exec();
    return sync.Outcome();
}
