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
    std::vector<CachedBook> books;
};

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
