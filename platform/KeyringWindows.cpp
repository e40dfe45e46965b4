// The keyring on Windows: the user's Credential Manager, a generic credential named
// "Festmark/<key>" for each password.
#include "Keyring.h"

#include <QTimer>

#include <windows.h>

#include <wincred.h> // after windows.h, whose types it uses

#include <string>

namespace {

std::wstring TargetName(const QString &key)
{
    return (QStringLiteral("Festmark/") + key).toStdWString();
}

QString SystemProblem(DWORD error)
{
    return QStringLiteral("Kein Schlüsselbund erreichbar (Anmeldeinformationsverwaltung, "
                          "Fehler %1).")
        .arg(error);
}

} // namespace

std::optional<QString> ReadKeyringPassword(const QString &key, QString *problem)
{
    PCREDENTIALW credential = nullptr;
    if (!CredReadW(TargetName(key).c_str(), CRED_TYPE_GENERIC, 0, &credential)) {
        const DWORD error = GetLastError();
        if (error != ERROR_NOT_FOUND && problem != nullptr)
            *problem = SystemProblem(error);
        return std::nullopt;
    }
    const QString password =
        QString::fromUtf8(reinterpret_cast<const char *>(credential->CredentialBlob),
                          static_cast<qsizetype>(credential->CredentialBlobSize));
    CredFree(credential);
    return password;
}

bool StoreKeyringPassword(const QString &key, const QString &password, QString *problem)
{
    std::wstring target = TargetName(key);
    QByteArray secret = password.toUtf8();
    CREDENTIALW credential{};
    credential.Type = CRED_TYPE_GENERIC;
    credential.TargetName = target.data();
    credential.CredentialBlobSize = static_cast<DWORD>(secret.size());
    credential.CredentialBlob = reinterpret_cast<LPBYTE>(secret.data());
    credential.Persist = CRED_PERSIST_LOCAL_MACHINE;
    if (CredWriteW(&credential, 0))
        return true;
    if (problem != nullptr)
        *problem = SystemProblem(GetLastError());
    return false;
}

// The Credential Manager answers at once: the callbacks only wait for the event loop.
void ReadKeyringPasswordLater(const QString &key, QObject *context,
                              std::function<void(std::optional<QString>, QString)> done)
{
    QString problem;
    std::optional<QString> password = ReadKeyringPassword(key, &problem);
    QTimer::singleShot(0, context,
                       [done = std::move(done), password, problem] { done(password, problem); });
}

void StoreKeyringPasswordLater(const QString &key, const QString &password, QObject *context,
                               std::function<void(QString)> done)
{
    QString problem;
    StoreKeyringPassword(key, password, &problem);
    QTimer::singleShot(0, context, [done = std::move(done), problem] { done(problem); });
}
