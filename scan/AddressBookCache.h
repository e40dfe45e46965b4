#pragma once

#include "DateList.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QUrl>

#include <optional>
#include <vector>

// An address book on a server (CardDAV) is a source named by its address: "https://anna@
// cloud.example.org/". What was last read from it is kept in the user's cache folder, so that
// the rows are there at once and when the server cannot be reached.

// How reading an address book from its server ended.
struct SyncOutcome {
    enum class Result {
        Updated,     // read; the cache holds the server's state
        Unreachable, // no connection, or no answer within the time limit
        WrongLogin,  // the server refused the user name or password
        Certificate, // the server's certificate is not trusted
        Refused,     // Festmark would not send the request (plain http, another host)
        BadAnswer,   // the server answered with something that is no address book
    };
    Result result = Result::Unreachable;
    // German, naming the problem; empty when updated. A server that cannot be reached:
    // "nicht erreichbar (...)", and the time of the cache that stands in for it.
    QString message;
};

// Whether a source is an address on a server rather than a file.
bool IsRemoteSource(const QString &source);
// The address as it is kept and shown: no password, ever.
QUrl RemoteSourceUrl(const QString &source);

struct CachedCard {
    QString href;     // the card's address on the server
    QByteArray etag;  // its version there
    QByteArray vcard; // UTF-8, without the pictures and sounds Festmark does not read
};
struct CachedBook {
    QString url;       // the collection
    QString name;      // its display name
    QString syncToken; // what the server gave for asking later what changed; may be empty
    std::vector<CachedCard> cards;
};
struct AddressBookCache {
    QDateTime saved; // when the server was last read in full or in part
    QDateTime found; // when its address books were last looked for
    std::vector<CachedBook> books;
};

// The user of a source: the address's own, else `fallback`.
QString RemoteSourceUser(const QString &source, const QString &fallback);
// What the keyring keeps the password of a source's user under: one per user and server.
QString PasswordKey(const QString &source, const QString &user);
// Why Festmark will not send a password to this address (German), or empty: plain http goes
// only to this machine, and a password never stands in the address.
QString RemoteSourceRefusal(const QString &source);

// Where the cache of a source lives: "<cache folder>/festmark/<host>-<hash>.carddav".
QString AddressBookCachePath(const QString &source);
// None when there is no cache, or one that cannot be read (then treated as none).
std::optional<AddressBookCache> LoadAddressBookCache(const QString &path);
// Replaces the cache whole, never half; false with `why` (German) when it could not.
bool SaveAddressBookCache(const QString &path, const AddressBookCache &cache, QString *why);
// The cards as a date list: exactly the rows the same cards give from a .vcf file.
DateList AddressBookEntries(const AddressBookCache &cache);
// A card as it is kept: the properties that hold pictures, sounds and keys are left out.
QByteArray CardToKeep(QByteArrayView vcard);
