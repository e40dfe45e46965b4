#include "Settings.h"

#include <QFileInfo>
#include <QSettings>

#include <algorithm>

namespace {

constexpr auto kOrganisation = "Orvanta";
constexpr auto kApplication = "Festmark";
constexpr auto kGroup = "Settings";

int ReadInt(const QSettings &store, const char *key, int defaultValue)
{
    bool ok = false;
    const int value = store.value(key, defaultValue).toInt(&ok);
    return ok ? value : defaultValue;
}

} // namespace

Settings LoadSettings(const QString &defaultFilePath)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
    store.beginGroup(kGroup);
    Settings settings;
    settings.startDays = std::clamp(ReadInt(store, "Startday", 2), 0, kMaxStartDays);
    settings.stopDays = std::clamp(ReadInt(store, "Stopday", 7), 0, kMaxStopDays);
    settings.oemFile = ReadInt(store, "OEM", 0);
    settings.autoStart = ReadInt(store, "auto", 1);
    settings.filePath = store.value("FilePath", defaultFilePath).toString();
    return settings;
}

void SaveSettings(const Settings &settings)
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, kOrganisation, kApplication);
    store.beginGroup(kGroup);
    store.setValue("Startday", settings.startDays);
    store.setValue("Stopday", settings.stopDays);
    store.setValue("OEM", settings.oemFile);
    store.setValue("FilePath", settings.filePath);
    store.setValue("auto", settings.autoStart);
}

QString DefaultFilePath(const QString &exePath)
{
    const QString dir = QFileInfo(exePath).absolutePath();
    return dir + QLatin1String("/Festmark.txt");
}
