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

#ifndef _WIN32
#include <sys/mount.h>
#include <sys/statvfs.h>

// A tmpfs of 64 KiB at `folder`, to fill for full-disk tests. Mounting needs root (as the
// tests run in CI); Mounted() tells whether it worked.
class SmallDisk {
public:
    explicit SmallDisk(const QString &folder)
        : m_folder(QFile::encodeName(folder))
    {
        QDir().mkpath(folder);
        m_mounted = ::mount("tmpfs", m_folder.constData(), "tmpfs", 0, "size=64k") == 0;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            ::umount2(m_folder.constData(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

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
    QByteArray m_folder;
    bool m_mounted = false;
    int m_fillers = 0;
};
#endif
