#include "Autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

namespace {

// Exec= quoting of the Desktop Entry Specification: the path in double quotes, with ", `, $
// and \ escaped by a backslash, that backslash itself escaped once more for the string value,
// and % doubled so that it is no field code.
[[maybe_unused]] QString QuotedExec(const QString &path)
{
    QString quoted;
    for (const QChar c : path) {
        if (c == '\\')
            quoted += QLatin1String("\\\\\\\\");
        else if (c == '"' || c == '`' || c == '$')
            quoted += QLatin1String("\\\\") + c;
        else if (c == '%')
            quoted += QLatin1String("%%");
        else
            quoted += c;
    }
    return '"' + quoted + '"';
}

} // namespace

QString AutostartEntryPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::ConfigLocation) +
           QLatin1String("/autostart/Festmark.desktop");
}

void WriteAutostartEntry(bool enabled, const QString &exePath)
{
#ifdef _WIN32
    QSettings run(
        QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
        QSettings::NativeFormat);
    if (enabled)
        run.setValue(QStringLiteral("Festmark"), QDir::toNativeSeparators(exePath));
    else
        run.remove(QStringLiteral("Festmark"));
#else
    const QString path = AutostartEntryPath();
    if (!enabled) {
        QFile::remove(path); // a missing entry is no error
        return;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    const QString entry = QStringLiteral("[Desktop Entry]\nType=Application\nName=Festmark\n"
                                         "Exec=%1\n")
                              .arg(QuotedExec(exePath));
    file.write(entry.toUtf8());
    file.commit();
#endif
}
