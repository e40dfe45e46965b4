#include "Settings.h"

#include "SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <algorithm>

namespace {

// A whole number in 32 bits, or the fallback: a larger one must not wrap round into range.
int ReadInt(const QSettings &store, const QString &key, int fallback)
{
    bool ok = false;
    const int value = store.value(key, fallback).toString().trimmed().toInt(&ok);
    return ok ? value : fallback;
}

// A settings file that is a pipe or a device could block the program for ever: such a file
// is neither read nor written.
bool IsUnusable(const QString &path)
{
    const QFileInfo info(path);
    return !path.isEmpty() && info.exists() && !info.isFile();
}

QString UnusableMessage(const QString &path)
{
    return QStringLiteral("Die Einstellungen %1 sind keine gewöhnliche Datei; Festmark nimmt die "
                          "Standardwerte und speichert nichts.")
        .arg(QDir::toNativeSeparators(path));
}

int StoredCodePage(const Settings &settings)
{
    if (settings.codePage == CodePage::Ansi)
        return 0;
    return settings.codePageChosen ? 1 : -1;
}

} // namespace

std::optional<LeapDay> LeapDayFrom(const QString &text)
{
    const QString day = text.trimmed();
    if (day == QLatin1String("29.02"))
        return LeapDay::OnlyInLeapYears;
    if (day == QLatin1String("28.02"))
        return LeapDay::February28;
    if (day == QLatin1String("01.03"))
        return LeapDay::March1;
    return std::nullopt;
}

QString LeapDayText(LeapDay leapDay)
{
    switch (leapDay) {
    case LeapDay::February28:
        return QStringLiteral("28.02");
    case LeapDay::March1:
        return QStringLiteral("01.03");
    case LeapDay::OnlyInLeapYears:
        break;
    }
    return QStringLiteral("29.02");
}

QStringList SourcesOf(const Settings &settings)
{
    return QStringList{settings.filePath} + settings.sources;
}

Settings DefaultSettings(const QString &defaultFilePath)
{
    Settings settings;
    settings.filePath = defaultFilePath;
    return settings;
}

Settings LoadSettings(const QString &defaultFilePath, QString *problem)
{
    Settings defaults = DefaultSettings(defaultFilePath);
    if (!HasConfigFolder()) {
        if (problem != nullptr)
            *problem = NoConfigFolderMessage();
        return defaults;
    }
    if (IsUnusable(SettingsFilePath())) {
        if (problem != nullptr)
            *problem = UnusableMessage(SettingsFilePath());
        return defaults;
    }
    const std::unique_ptr<QSettings> stored = ReadSettings();
    stored->beginGroup(QStringLiteral("Settings"));
    const QSettings &store = *stored;
    Settings settings;
    settings.startDays = std::clamp(ReadInt(store, QStringLiteral("Startday"), defaults.startDays),
                                    0, kMaxStartDays);
    settings.stopDays =
        std::clamp(ReadInt(store, QStringLiteral("Stopday"), defaults.stopDays), 0, kMaxStopDays);
    // Any value but 0 reads the list as OEM, as the line reading always took it.
    const int oem = ReadInt(store, QStringLiteral("OEM"), 0);
    settings.codePage = oem == 0 ? CodePage::Ansi : CodePage::Oem;
    settings.codePageChosen = oem == 0 || oem == 1;
    settings.autoStart = ReadInt(store, QStringLiteral("auto"), 1) != 0;
    settings.notifyOnly = ReadInt(store, QStringLiteral("Notify"), 0) != 0;
    settings.filePath = store.value(QStringLiteral("FilePath"), defaults.filePath).toString();
    settings.sources = store.value(QStringLiteral("Sources")).toStringList();
    settings.sources.removeAll(QString());
    settings.hidden = store.value(QStringLiteral("Hidden")).toStringList();
    settings.leapDay =
        LeapDayFrom(store.value(QStringLiteral("LeapDay")).toString()).value_or(defaults.leapDay);
    return settings;
}

bool SaveSettings(const Settings &settings, QString *problem)
{
    QString reason;
    if (!HasConfigFolder()) {
        reason = NoConfigFolderMessage();
    } else if (IsUnusable(SettingsFilePath())) {
        reason = UnusableMessage(SettingsFilePath());
    } else if (!WriteSettingsGroup(QStringLiteral("Settings"),
                                   {{QStringLiteral("FilePath"), settings.filePath},
                                    {QStringLiteral("Hidden"), settings.hidden},
                                    {QStringLiteral("LeapDay"), LeapDayText(settings.leapDay)},
                                    {QStringLiteral("Notify"), settings.notifyOnly ? 1 : 0},
                                    {QStringLiteral("OEM"), StoredCodePage(settings)},
                                    {QStringLiteral("Sources"), settings.sources},
                                    {QStringLiteral("Startday"), settings.startDays},
                                    {QStringLiteral("Stopday"), settings.stopDays},
                                    {QStringLiteral("auto"), settings.autoStart ? 1 : 0}},
                                   &reason)) {
        reason = QStringLiteral("Die Einstellungen ließen sich nicht speichern (%1); es gelten die "
                                "zuletzt gespeicherten.")
                     .arg(reason);
    }
    if (problem != nullptr)
        *problem = reason;
    return reason.isEmpty();
}

QString DefaultFilePath(const QString &exePath)
{
    const QString dir = QFileInfo(exePath).absolutePath();
    if (!QFileInfo(dir).isWritable())
        return QDir::homePath() + QLatin1String("/Festmark.txt");
    return dir + QLatin1String("/Festmark.txt");
}
