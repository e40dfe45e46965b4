#include "FestmarkApp.h"
#include "ListMode.h"
#include "Strings.h"
#include "Translations.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication::setOrganizationName(QStringLiteral("Orvanta"));
    QCoreApplication::setApplicationName(QString::fromUtf8(ResourceString(ids::kAppName)));
    QCoreApplication::setApplicationVersion(QStringLiteral(FESTMARK_VERSION));

    // Arguments are for the terminal (help, version, the list, or a usage error), and none
    // of them needs a display; the window takes none.
    if (argc > 1) {
        QCoreApplication app(argc, argv);
        InstallGermanTranslations();
        return RunCommandLine(QCoreApplication::arguments(),
                              QCoreApplication::applicationFilePath(), stdout, stderr);
    }
    return RunWindow(argc, argv);
}
