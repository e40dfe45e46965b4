#include "Autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

namespace {

// A value of the Desktop Entry Specification's string type: backslash, newline, tab and
// carriage return escaped, so that no value can start a line of its own.
[[maybe_unused]] QString EscapedValue(const QString &value)
{
    QString escaped;
    for (const QChar c : value) {
        if (c == '\\')
            escaped += QLatin1String("\\\\");
        else if (c == '\n')
            escaped += QLatin1String("\\n");
        else if (c == '\t')
            escaped += QLatin1String("\\t");
        else if (c == '\r')
            escaped += QLatin1String("\\r");
        else
            escaped += c;
    }
    return escaped;
}

// Exec= quoting: the path in double quotes with ", `, $ and \ escaped by a backslash and %
// doubled (no field code), then escaped as any string value.
[[maybe_unused]] QString QuotedExec(const QString &path)
{
    QString quoted;
    for (const QChar c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += QLatin1Char('\\');
        quoted += c;
        if (c == '%')
            quoted += c;
    }
    return EscapedValue('"' + quoted + '"');
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
    // TryExec: once the program is gone, the entry does nothing.
    const QString entry = QStringLiteral("[Desktop Entry]\nType=Application\nName=Festmark\n"
                                         "TryExec=%1\nExec=%2\n")
                              .arg(EscapedValue(exePath), QuotedExec(exePath));
    file.write(entry.toUtf8());
    file.commit();
#endif
}
