// The window as a module of its own, loaded by `festmark` only when the window is asked for:
// the terminal's commands then load neither Qt Widgets nor the sound libraries.
#include "CardDav.h"
#include "FestmarkApp.h"
#include "Keyring.h"
#include "ListMode.h"
#include "LoginNotification.h"
#include "Translations.h"
#include "WindowModuleEntry.h"

#include <QCoreApplication>
#include <QtGlobal>

#include <algorithm>
#include <cstdio>

// Declared through the seam's type: a definition that differs from it does not compile.
extern "C" Q_DECL_EXPORT FestmarkRunWindow festmark_run_window;
extern "C" Q_DECL_EXPORT FestmarkRunWindow festmark_run_notify;
extern "C" Q_DECL_EXPORT FestmarkKeyringPassword festmark_keyring_password;
extern "C" Q_DECL_EXPORT FestmarkKeyringStore festmark_keyring_store;
extern "C" Q_DECL_EXPORT FestmarkSyncAddressBook festmark_sync_address_book;

namespace {

QString FromUtf16(const char16_t *text, int length)
{
    return QString::fromUtf16(text, length);
}

// The module's own road for --notify, which runs in here.
RemoteAccess ModuleRemoteAccess()
{
    return {[](const QString &key) { return ReadKeyringPassword(key); },
            [](const QString &key, const QString &password) {
                return StoreKeyringPassword(key, password);
            },
            &SyncAddressBook};
}

} // namespace

extern "C" int festmark_sync_address_book(FestmarkSyncRequest *request)
{
    const SyncOutcome outcome =
        SyncAddressBook(FromUtf16(request->source, request->sourceLength),
                        FromUtf16(request->user, request->userLength),
                        FromUtf16(request->password, request->passwordLength), request->timeoutMs);
    const QString message = outcome.message.left(std::size(request->message));
    std::copy_n(reinterpret_cast<const char16_t *>(message.utf16()), message.size(),
                request->message);
    request->messageLength = static_cast<int>(message.size());
    return static_cast<int>(outcome.result);
}

extern "C" int festmark_keyring_store(const char16_t *key, int keyLength, const char16_t *password,
                                      int passwordLength)
{
    return StoreKeyringPassword(QString::fromUtf16(key, keyLength),
                                QString::fromUtf16(password, passwordLength))
               ? 0
               : -1;
}

extern "C" int festmark_keyring_password(const char16_t *key, int keyLength, char16_t *password,
                                         int capacity)
{
    const std::optional<QString> stored = ReadKeyringPassword(QString::fromUtf16(key, keyLength));
    if (!stored || stored->size() > capacity)
        return -1;
    std::copy_n(reinterpret_cast<const char16_t *>(stored->utf16()), stored->size(), password);
    return static_cast<int>(stored->size());
}

extern "C" int festmark_run_window(int *argc, char **argv)
{
    return RunWindow(*argc, argv);
}

extern "C" int festmark_run_notify(int *argc, char **argv)
{
    QCoreApplication app(*argc, argv);
    InstallGermanTranslations();
    QByteArrayList rawArguments;
    for (int i = 0; i < *argc; ++i)
        rawArguments.append(QByteArray(argv[i]));
    return RunCommandLine(QCoreApplication::arguments(), rawArguments,
                          QCoreApplication::applicationFilePath(), stdout, stderr,
                          &ShowLoginNotification, ModuleRemoteAccess());
}
