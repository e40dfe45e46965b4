// libFuzzer: any bytes as the stored settings file: the values read are within their ranges,
// and what is saved reads back the same.
#include "Settings.h"
#include "SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Folders of their own for every reading: QSettings keeps a file it has read in a cache
    // that a file rewritten within the same millisecond, at the same size, does not leave.
    static QTemporaryDir home;
    static int folders = 0;
    const auto useFolder = [](const QByteArray &content) {
        const QString folder = home.filePath(QString::number(folders++));
        QDir().mkpath(folder + "/Orvanta");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder));
        QFile file(SettingsFilePath());
        file.open(QIODevice::WriteOnly);
        file.write(content);
        return folder;
    };
    const QString first =
        useFolder(QByteArray(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size)));

    const Settings loaded = LoadSettings("/standard/Festmark.txt");
    if (loaded.startDays < 0 || loaded.startDays > kMaxStartDays || loaded.stopDays < 0 ||
        loaded.stopDays > kMaxStopDays)
        std::abort();
    if (!SaveSettings(loaded))
        std::abort();
    QFile saved(SettingsFilePath());
    saved.open(QIODevice::ReadOnly);
    const QString second = useFolder(saved.readAll());
    if (LoadSettings("/anders") != loaded)
        std::abort(); // the path must survive its own quoting
    QDir(first).removeRecursively();
    QDir(second).removeRecursively();
    return 0;
}
