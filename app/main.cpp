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

    // Checked before it is mapped: a module cut short would end the program by a bus error.
    const QString modulePath = QDir::toNativeSeparators(WindowModulePath());
    QString problem = ModuleFileProblem(modulePath);
    QLibrary window(modulePath);
    const auto run = problem.isEmpty()
                         ? reinterpret_cast<FestmarkRunWindow *>(window.resolve(kRunWindowSymbol))
                         : nullptr;
    if (run == nullptr) {
        if (problem.isEmpty()) // the loader's own reason, for whoever repairs it
            problem = QStringLiteral("Das Fenstermodul %1 lässt sich nicht laden (%2).")
                          .arg(modulePath, window.errorString());
        std::fprintf(stderr, "festmark: %s Bitte installieren Sie Festmark neu.\n",
                     problem.toLocal8Bit().constData());
        return 1;
    }
    return run(&argc, argv);
}
