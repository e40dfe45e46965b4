#include "Autostart.h"

#include "SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {

// A value of the Desktop Entry Specification's string type: backslash, newline, tab and
// carriage return escaped, so that no value can start a line of its own, and blanks at either
// end as \s, which readers would otherwise trim.
[[maybe_unused]] QString EscapedValue(const QString &value)
{
    QString escaped;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value[i];
        if (c == ' ' && (i == 0 || i + 1 == value.size()))
            escaped += QLatin1String("\\s");
        else if (c == '\\')
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
    const QString folder = ConfigFolder();
    return folder.isEmpty() ? QString() : folder + QLatin1String("/autostart/Festmark.desktop");
}

bool WriteAutostartEntry(bool enabled, const QString &exePath, QString *problem, bool notifyOnly)
{
    const auto fail = [problem](const QString &why) {
        if (problem != nullptr)
            *problem = why;
        return false;
    };
#ifdef _WIN32
    QSettings run(
        QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run"),
        QSettings::NativeFormat);
    if (enabled)
        // Quoted: unquoted, "C:\\Program Files\\..." could name "C:\\Program" to Windows.
        run.setValue(QStringLiteral("Festmark"),
                     QLatin1Char('"') + QDir::toNativeSeparators(exePath) + QLatin1Char('"') +
                         (notifyOnly ? QStringLiteral(" --notify") : QString()));
    else
        run.remove(QStringLiteral("Festmark"));
    run.sync();
    return run.status() == QSettings::NoError ||
           fail(QStringLiteral("die Registry nimmt ihn nicht an"));
#else
    const QString path = AutostartEntryPath();
    if (path.isEmpty())
        return fail(NoConfigFolderMessage());
    if (!enabled) {
        QFile::remove(path); // a missing entry is no error
        return true;
    }
    // Qt reads bytes that are no UTF-8 as U+FFFD: such a path names no file any more.
    if (exePath.contains(QChar::ReplacementCharacter))
        return fail(QStringLiteral("Der Pfad des Programms ist kein gültiges UTF-8; der "
                                   "Autostart-Eintrag wird nicht geschrieben."));
    QDir().mkpath(QFileInfo(path).absolutePath());
    // TryExec: once the program is gone, the entry does nothing.
    const QByteArray entry = QStringLiteral("[Desktop Entry]\nType=Application\nName=Festmark\n"
                                            "TryExec=%1\nExec=%2%3\n")
                                 .arg(EscapedValue(exePath), QuotedExec(exePath),
                                      notifyOnly ? QStringLiteral(" --notify") : QString())
                                 .toUtf8();
    QString why;
    return ReplaceFileWhole(path, entry, &why) ||
           fail(QStringLiteral("Der Autostart-Eintrag ließ sich nicht schreiben (%1).").arg(why));
#endif
}
