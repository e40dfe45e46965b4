#include "Console.h"
#include "ListMode.h"
#include "Strings.h"
#include "Translations.h"
#include "WindowModuleEntry.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

#include <cstdio>

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

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication::setOrganizationName(QStringLiteral("Orvanta"));
    QCoreApplication::setApplicationName(QString::fromUtf8(ResourceString(ids::kAppName)));
    QCoreApplication::setApplicationVersion(QStringLiteral(FESTMARK_VERSION));

    // Arguments are for the terminal (help, version, the list, or a usage error), and none
    // of them needs a display; the window takes none.
    if (argc > 1) {
        PrepareConsole();
        QCoreApplication app(argc, argv);
        InstallGermanTranslations();
        QByteArrayList rawArguments;
        for (int i = 0; i < argc; ++i)
            rawArguments.append(QByteArray(argv[i]));
        return RunCommandLine(QCoreApplication::arguments(), rawArguments,
                              QCoreApplication::applicationFilePath(), stdout, stderr);
    }

    QLibrary window(WindowModulePath());
    const auto run = reinterpret_cast<FestmarkRunWindow *>(window.resolve(kRunWindowSymbol));
    if (run == nullptr) {
        std::fprintf(stderr, "festmark: Das Fenster kann nicht geladen werden: %s\n",
                     window.errorString().toLocal8Bit().constData());
        return 1;
    }
    return run(&argc, argv);
}
