#include "Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <algorithm>

namespace {

// Group "Settings" of the user's profile.
class Store : public QSettings {
public:
    Store()
        : QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Orvanta"),
                    QStringLiteral("Festmark"))
    {
        beginGroup(QStringLiteral("Settings"));
    }
};

int ReadInt(const QSettings &store, const QString &key, int fallback)
{
    bool ok = false;
    const int value = store.value(key, fallback).toInt(&ok);
    return ok ? value : fallback;
}

} // namespace

Settings DefaultSettings(const QString &defaultFilePath)
{
    Settings settings;
    settings.filePath = defaultFilePath;
    return settings;
}

Settings LoadSettings(const QString &defaultFilePath)
{
    const Settings defaults = DefaultSettings(defaultFilePath);
    const Store store;
    Settings settings;
    settings.startDays = std::clamp(ReadInt(store, QStringLiteral("Startday"), defaults.startDays),
                                    0, kMaxStartDays);
    settings.stopDays =
        std::clamp(ReadInt(store, QStringLiteral("Stopday"), defaults.stopDays), 0, kMaxStopDays);
    settings.oemFile = ReadInt(store, QStringLiteral("OEM"), defaults.oemFile);
    settings.autoStart = ReadInt(store, QStringLiteral("auto"), defaults.autoStart);
    settings.filePath = store.value(QStringLiteral("FilePath"), defaults.filePath).toString();
    return settings;
}

void SaveSettings(const Settings &settings)
{
    Store store;
    store.setValue(QStringLiteral("Startday"), settings.startDays);
    store.setValue(QStringLiteral("Stopday"), settings.stopDays);
    store.setValue(QStringLiteral("OEM"), settings.oemFile);
    store.setValue(QStringLiteral("FilePath"), settings.filePath);
    store.setValue(QStringLiteral("auto"), settings.autoStart);
}

QString DefaultFilePath(const QString &exePath)
{
    const QString dir = QFileInfo(exePath).absolutePath();
    if (!QFileInfo(dir).isWritable())
        return QDir::homePath() + QLatin1String("/Festmark.txt");
    return dir + QLatin1String("/Festmark.txt");
}
