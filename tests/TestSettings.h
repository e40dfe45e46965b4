#pragma once

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
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

// The user's settings as the program stores them: a file on Linux, the registry (of the
// throwaway wine prefix under test) on Windows.
inline QVariant StoredValue(const QString &key)
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Orvanta", "Festmark")
        .value("Settings/" + key);
}

inline bool SettingsStored()
{
    return !QSettings(QSettings::NativeFormat, QSettings::UserScope, "Orvanta", "Festmark")
                .allKeys()
                .isEmpty();
}

#ifdef _WIN32
inline QString RunKey()
{
    return "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
}
#endif

// The login entry as written: the desktop entry's text, or the Run value; empty when none.
inline QString LoginEntry()
{
#ifdef _WIN32
    return QSettings(RunKey(), QSettings::NativeFormat).value("Festmark").toString();
#else
    QFile file(ConfigHome() + "/autostart/Festmark.desktop");
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
#endif
}

inline void ForgetSettings()
{
#ifdef _WIN32
    QSettings(QSettings::NativeFormat, QSettings::UserScope, "Orvanta", "Festmark").clear();
    QSettings(RunKey(), QSettings::NativeFormat).remove("Festmark");
#else
    QDir(ConfigHome() + "/Orvanta").removeRecursively();
    QDir(ConfigHome() + "/autostart").removeRecursively();
#endif
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

#ifndef _WIN32
#include <sys/mount.h>
#include <sys/statvfs.h>

// The settings folder on a tmpfs of 64 KiB, to fill for full-disk tests: XDG_CONFIG_HOME
// points there while the object lives. Mounting needs root (as the tests run in CI);
// Mounted() tells whether it worked.
class SmallConfigDisk {
public:
    SmallConfigDisk()
        : m_folder(QFile::encodeName(m_dir.filePath("config")))
        , m_home(qgetenv("XDG_CONFIG_HOME"))
    {
        QDir().mkpath(m_dir.filePath("config"));
        m_mounted = ::mount("tmpfs", m_folder.constData(), "tmpfs", 0, "size=64k") == 0;
        if (m_mounted)
            qputenv("XDG_CONFIG_HOME", m_folder);
    }
    ~SmallConfigDisk()
    {
        if (!m_mounted)
            return;
        qputenv("XDG_CONFIG_HOME", m_home);
        ::umount2(m_folder.constData(), MNT_DETACH);
    }
    SmallConfigDisk(const SmallConfigDisk &) = delete;
    SmallConfigDisk &operator=(const SmallConfigDisk &) = delete;

    bool Mounted() const { return m_mounted; }

    // Fills the disk until only `kilobytes` are left.
    void LeaveFree(int kilobytes)
    {
        struct statvfs disk {};
        ::statvfs(m_folder.constData(), &disk);
        const qint64 free = static_cast<qint64>(disk.f_bavail) * disk.f_frsize / 1024;
        QFile filler(QFile::decodeName(m_folder) + "/filler" + QString::number(m_fillers++));
        filler.open(QIODevice::WriteOnly);
        filler.write(QByteArray((free - kilobytes) * 1024, 'x'));
    }

private:
    QTemporaryDir m_dir;
    QByteArray m_folder;
    QByteArray m_home;
    bool m_mounted = false;
    int m_fillers = 0;
};
#endif

// What a desktop entry's string value means, its escapes undone.
inline QString UnescapedDesktopValue(const QString &value)
{
    QString text;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        const QChar next = value[++i];
        text += next == 'n'   ? QChar('\n')
                : next == 't' ? QChar('\t')
                : next == 'r' ? QChar('\r')
                : next == 's' ? QChar(' ')
                              : next;
    }
    return text;
}
