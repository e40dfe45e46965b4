#include "Console.h"
#include "ListMode.h"
#include "ModuleFile.h"
#include "Strings.h"
#include "Translations.h"
#include "WindowModuleEntry.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

namespace {

// The window module: beside the program in a build, in the library folder when installed.
QString WindowModulePath()
{
    const QString programDir = QFileInfo(ProgramFilePath()).absolutePath();
    QString beside = programDir + QStringLiteral("/" FESTMARK_WINDOW_MODULE_NAME);
    if (QFileInfo::exists(beside))
        return beside;
    return QDir::cleanPath(programDir + QStringLiteral("/" FESTMARK_WINDOW_MODULE_INSTALLED));
}

// The module's entry `symbol`, checked before the module is mapped (a module cut short would
// end the program by a bus error); null after saying why.
template <typename Entry> Entry *ModuleEntry(QLibrary &module, const char *symbol)
{
    const QString modulePath = QDir::toNativeSeparators(WindowModulePath());
    QString problem = ModuleFileProblem(modulePath);
    module.setFileName(modulePath);
    const auto entry =
        problem.isEmpty() ? reinterpret_cast<Entry *>(module.resolve(symbol)) : nullptr;
    if (entry == nullptr) {
        if (problem.isEmpty()) // the loader's own reason, for whoever repairs it
            problem = QStringLiteral("Das Fenstermodul %1 lässt sich nicht laden (%2).")
                          .arg(modulePath, module.errorString());
        std::fprintf(stderr, "festmark: %s Bitte installieren Sie Festmark neu.\n",
                     problem.toLocal8Bit().constData());
    }
    return entry;
}

// --notify among the arguments (before a "--"): the desktop's note, which the module holds.
bool AsksForTheNote(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            return false;
        if (std::strcmp(argv[i], "--notify") == 0)
            return true;
    }
    return false;
}

const char16_t *Utf16(const QString &text)
{
    return reinterpret_cast<const char16_t *>(text.utf16());
}

// The keyring and the reading of address books on servers, through the module's entries,
// loaded when first called.
RemoteAccess ModuleRemoteAccess(QLibrary &module)
{
    RemoteAccess remote;
    remote.read = [&module](const QString &key) -> std::optional<QString> {
        auto *lookup = ModuleEntry<FestmarkKeyringPassword>(module, kKeyringPasswordSymbol);
        if (lookup == nullptr)
            return std::nullopt;
        constexpr int kCapacity = 4096;
        std::u16string password(kCapacity, u'\0');
        const int length =
            lookup(Utf16(key), static_cast<int>(key.size()), password.data(), kCapacity);
        if (length < 0)
            return std::nullopt;
        return QString::fromUtf16(password.data(), length);
    };
    remote.store = [&module](const QString &key, const QString &password) {
        auto *store = ModuleEntry<FestmarkKeyringStore>(module, kKeyringStoreSymbol);
        return store != nullptr && store(Utf16(key), static_cast<int>(key.size()), Utf16(password),
                                         static_cast<int>(password.size())) == 0;
    };
    remote.sync = [&module](const QString &source, const QString &user, const QString &password,
                            int timeoutMs) {
        auto *sync = ModuleEntry<FestmarkSyncAddressBook>(module, kSyncAddressBookSymbol);
        if (sync == nullptr) // said by ModuleEntry; the cache stands in
            return SyncOutcome{SyncOutcome::Result::Unreachable,
                               QStringLiteral("nicht erreichbar (das Fenstermodul fehlt)")};
        auto request = std::make_unique<FestmarkSyncRequest>();
        *request = {Utf16(source),
                    static_cast<int>(source.size()),
                    Utf16(user),
                    static_cast<int>(user.size()),
                    Utf16(password),
                    static_cast<int>(password.size()),
                    timeoutMs,
                    {},
                    0};
        const auto result = static_cast<SyncOutcome::Result>(sync(request.get()));
        return SyncOutcome{result, QString::fromUtf16(request->message, request->messageLength)};
    };
    return remote;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setOrganizationName(QStringLiteral("Orvanta"));
    QCoreApplication::setApplicationName(QString::fromUtf8(ResourceString(ids::kAppName)));
    QCoreApplication::setApplicationVersion(QStringLiteral(FESTMARK_VERSION));

    // Arguments are for the terminal (help, version, the list, or a usage error), and none
    // of them needs a display; the window takes none.
    if (argc > 1 && !AsksForTheNote(argc, argv)) {
        PrepareConsole();
        QCoreApplication app(argc, argv);
        InstallGermanTranslations();
        QByteArrayList rawArguments;
        for (int i = 0; i < argc; ++i)
            rawArguments.append(QByteArray(argv[i]));
        // Qt Network and the keyring are the module's: only an address book on a server loads
        // them.
        QLibrary module;
        return RunCommandLine(QCoreApplication::arguments(), rawArguments,
                              QCoreApplication::applicationFilePath(), stdout, stderr, {},
                              ModuleRemoteAccess(module));
    }
    QLibrary module;
    const bool note = argc > 1;
    if (note)
        PrepareConsole();
    auto *run = ModuleEntry<FestmarkRunWindow>(module, note ? kRunNotifySymbol : kRunWindowSymbol);
    return run == nullptr ? 1 : run(&argc, argv);
}
