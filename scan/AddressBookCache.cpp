#include "AddressBookCache.h"

#include "DateListReader.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>

namespace {

constexpr quint32 kMagic = 0x464d4344; // "FMCD"
constexpr quint32 kVersion = 2;
// A cache past this size was not written by us.
constexpr qint64 kMaxCacheSize = qint64(1) << 30;

bool IsLeftOut(QByteArrayView line)
{
    // The name, after an optional group ("item1."), up to its parameters or value.
    qsizetype start = 0;
    qsizetype end = 0;
    while (end < line.size() && line[end] != ':' && line[end] != ';') {
        if (line[end] == '.')
            start = end + 1;
        ++end;
    }
    const QByteArrayView name = line.sliced(start, end - start);
    for (const char *big : {"PHOTO", "LOGO", "SOUND", "KEY"})
        if (name.compare(QByteArrayView(big), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

// This machine by its name or number (Qt Network is not needed to tell).
bool IsLoopback(const QString &host)
{
    return host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0 ||
           host == QLatin1String("::1") ||
           (host.startsWith(QLatin1String("127.")) && host.count(QLatin1Char('.')) == 3 &&
            std::all_of(host.begin(), host.end(),
                        [](QChar c) { return c.isDigit() || c == QLatin1Char('.'); }));
}

} // namespace

bool IsRemoteSource(const QString &source)
{
    return source.startsWith(QLatin1String("https://"), Qt::CaseInsensitive) ||
           source.startsWith(QLatin1String("http://"), Qt::CaseInsensitive);
}

QUrl RemoteSourceUrl(const QString &source)
{
    QUrl url(source, QUrl::StrictMode);
    url.setPassword(QString());
    return url;
}

QString AddressBookCachePath(const QString &source)
{
    const QUrl url = RemoteSourceUrl(source);
    const QByteArray key = url.toString(QUrl::FullyEncoded).toUtf8();
    const QString hash = QString::fromLatin1(
        QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(16));
    QString host = url.host();
    for (QChar &c : host)
        if (!c.isLetterOrNumber() && c != QLatin1Char('.') && c != QLatin1Char('-'))
            c = QLatin1Char('_');
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/festmark/") + host.left(64) + QLatin1Char('-') + hash +
           QStringLiteral(".carddav");
}

std::optional<AddressBookCache> LoadAddressBookCache(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxCacheSize)
        return std::nullopt;
    QDataStream in(&file);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 magic = 0;
    quint32 version = 0;
    in >> magic >> version;
    if (magic != kMagic || version != kVersion)
        return std::nullopt;
    AddressBookCache cache;
    quint32 books = 0;
    in >> cache.saved >> cache.found >> books;
    for (quint32 b = 0; b < books && in.status() == QDataStream::Ok; ++b) {
        CachedBook &book = cache.books.emplace_back();
        quint32 cards = 0;
        in >> book.url >> book.name >> book.syncToken >> cards;
        for (quint32 c = 0; c < cards && in.status() == QDataStream::Ok; ++c) {
            CachedCard &card = book.cards.emplace_back();
            in >> card.href >> card.etag >> card.vcard;
        }
    }
    if (in.status() != QDataStream::Ok || !in.atEnd())
        return std::nullopt;
    return cache;
}

bool SaveAddressBookCache(const QString &path, const AddressBookCache &cache, QString *why)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        // Other people's birthdays and addresses: the user's alone to read.
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QDataStream out(&file);
        out.setVersion(QDataStream::Qt_6_4);
        out << kMagic << kVersion << cache.saved << cache.found << quint32(cache.books.size());
        for (const CachedBook &book : cache.books) {
            out << book.url << book.name << book.syncToken << quint32(book.cards.size());
            for (const CachedCard &card : book.cards)
                out << card.href << card.etag << card.vcard;
        }
        if (out.status() == QDataStream::Ok && file.commit())
            return true;
    }
    if (why != nullptr)
        *why = file.errorString();
    return false;
}

DateList AddressBookEntries(const AddressBookCache &cache)
{
    DateListReader reader(CodePage::Ansi);
    for (const CachedBook &book : cache.books)
        for (const CachedCard &card : book.cards) {
            reader.Feed(card.vcard);
            if (!card.vcard.endsWith('\n'))
                reader.Feed("\r\n");
        }
    return reader.Finish();
}

QByteArray CardToKeep(QByteArrayView vcard)
{
    QByteArray kept;
    kept.reserve(vcard.size());
    bool skipping = false;
    while (!vcard.isEmpty()) {
        qsizetype end = vcard.indexOf('\n');
        end = end < 0 ? vcard.size() : end + 1;
        const QByteArrayView line = vcard.first(end);
        vcard = vcard.sliced(end);
        // A folded line goes with the property it continues.
        if (!(line.startsWith(' ') || line.startsWith('\t')))
            skipping = IsLeftOut(line);
        if (!skipping)
            kept += line;
    }
    return kept;
}

QString RemoteSourceUser(const QString &source, const QString &fallback)
{
    const QString user = QUrl(source).userName();
    return user.isEmpty() ? fallback : user;
}

QString PasswordKey(const QString &source, const QString &user)
{
    const QUrl url(source);
    const int port = url.port();
    return QStringLiteral("carddav:%1@%2")
        .arg(user, port < 0 ? url.host() : url.host() + QLatin1Char(':') + QString::number(port));
}

QString RemoteSourceRefusal(const QString &source)
{
    const QUrl url(source, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return QCoreApplication::translate("CardDavSync", "„%1“ ist keine gültige Adresse.")
            .arg(source);
    if (!url.password().isEmpty())
        return QCoreApplication::translate(
            "CardDavSync",
            "Das Passwort gehört nicht in die Adresse, wo es jeder lesen kann: Festmark fragt "
            "danach.");
    if (url.scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) == 0 &&
        !IsLoopback(url.host()))
        return QCoreApplication::translate(
                   "CardDavSync",
                   "%1 ist unverschlüsselt (http): Festmark schickt Passwörter nur über https "
                   "an einen anderen Rechner.")
            .arg(url.toString(QUrl::RemoveUserInfo));
    return {};
}
