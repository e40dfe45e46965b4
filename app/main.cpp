#include "ListMode.h"

#include "Strings.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationName(QString::fromUtf8(ResourceString(ids::kAppName)));
    QCoreApplication::setApplicationVersion("4.1");
    // Until the window exists, the list is what the program shows.
    QCoreApplication app(argc, argv);
    return RunListMode(app.arguments(), QCoreApplication::applicationFilePath(), stdout, stderr);
}
