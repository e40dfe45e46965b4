#pragma once

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <QVariant>

// The test process's own settings folder (set up by the test main), emptied between tests.
inline QString ConfigHome()
{
    return QStandardPaths::writableLocation(QStandardPaths::ConfigLocation);
}

inline QString SettingsFile()
{
    return ConfigHome() + "/Orvanta/Festmark.conf";
}

inline void ForgetSettings()
{
    QDir(ConfigHome() + "/Orvanta").removeRecursively();
    QDir(ConfigHome() + "/autostart").removeRecursively();
}

inline QString WriteFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(content);
    return path;
}

// One stored setting, as the user's settings file would hold it.
inline void StoreSetting(const QString &key, const QVariant &value)
{
    QSettings(QSettings::NativeFormat, QSettings::UserScope, "Orvanta", "Festmark")
        .setValue("Settings/" + key, value);
}

// Fresh settings whose date list is `content`, written as Festmark.txt into `folder`.
inline void StartWithDateList(const QString &folder, const QByteArray &content)
{
    ForgetSettings();
    StoreSetting("FilePath", WriteFile(folder + "/Festmark.txt", content));
}
