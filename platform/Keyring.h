#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

// Passwords of address books on servers, kept in the system's keyring (Secret Service or
// KWallet on Linux, the Credential Manager on Windows), never in a file of Festmark's own.
// Each is known by the source's user and server (PasswordKey).

// The stored password, waiting at most a few seconds for the keyring; none when there is
// none, or no keyring answers (then `problem` says why, in German).
std::optional<QString> ReadKeyringPassword(const QString &key, QString *problem = nullptr);
// False, with `problem`, when the keyring would not keep it.
bool StoreKeyringPassword(const QString &key, const QString &password, QString *problem = nullptr);

// The same without waiting, for the window: `done` is called on `context`'s thread with the
// password (none when there is none) and the keyring's problem (empty when there is none).
// The keyring's jobs all run on the program's main thread, where QtKeychain keeps its own.
void ReadKeyringPasswordLater(const QString &key, QObject *context,
                              std::function<void(std::optional<QString>, QString)> done);
void StoreKeyringPasswordLater(const QString &key, const QString &password, QObject *context,
                               std::function<void(QString)> done);
