// libFuzzer: any program path into the login entry: the entry keeps its five lines, and its
// TryExec and Exec name exactly that path.
#include "Autostart.h"
#include "TestSettings.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// Exec's one quoted argument, its backslashes undone and %% read as %.
QString ExecArgument(const QString &value)
{
    const QString quoted = UnescapedDesktopValue(value);
    if (quoted.size() < 2 || !quoted.startsWith('"') || !quoted.endsWith('"'))
        std::abort();
    QString argument;
    for (qsizetype i = 1; i + 1 < quoted.size(); ++i) {
        if (quoted[i] == '\\')
            ++i;
        else if (quoted[i] == '%')
            ++i; // %% stands for %
        argument += quoted[i];
    }
    return argument;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static QTemporaryDir home;
    static const bool ready = qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
    const QString path =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QFile::remove(AutostartEntryPath());
    if (!ready || !WriteAutostartEntry(true, path))
        return 0; // no entry for a path that is no UTF-8: nothing to check
    QFile entry(AutostartEntryPath());
    entry.open(QIODevice::ReadOnly);
    const QStringList lines = QString::fromUtf8(entry.readAll()).split('\n', Qt::SkipEmptyParts);
    if (lines.size() != 5 || !lines[3].startsWith("TryExec=") || !lines[4].startsWith("Exec="))
        std::abort(); // the path added lines of its own
    if (UnescapedDesktopValue(lines[3].mid(8)) != path || ExecArgument(lines[4].mid(5)) != path)
        std::abort();
    return 0;
}
