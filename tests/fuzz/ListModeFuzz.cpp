// libFuzzer: any date list through `festmark --list` and `festmark --ics` as the terminal runs
// them: list rows keep three tab-separated fields and no control characters; calendar lines
// end with CR LF and stay within 75 octets; every message on standard error starts with
// "festmark: ".
#include "ListMode.h"

#include <QByteArrayList>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

QByteArray Contents(std::FILE *stream)
{
    std::fflush(stream);
    std::rewind(stream);
    QByteArray bytes;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, stream)) > 0;)
        bytes.append(buffer, static_cast<qsizetype>(got));
    return bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static QTemporaryDir home;
    static const bool ready = qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
    if (!ready || size < 3)
        return 0;
    const bool ics = (data[0] & 1) != 0;
    const QString path = home.filePath("list.txt");
    QFile list(path);
    list.open(QIODevice::WriteOnly | QIODevice::Truncate);
    list.write(reinterpret_cast<const char *>(data + 3), static_cast<qint64>(size - 3));
    list.close();

    const QStringList arguments{"festmark",
                                ics ? "--ics" : "--list",
                                (data[0] & 2) ? "--oem" : "--ansi",
                                "--file",
                                path,
                                "--date",
                                "14.03.2026",
                                "--back",
                                QString::number(data[1] % 40),
                                "--ahead",
                                QString::number(data[2] * 3)};
    QByteArrayList raw;
    for (const QString &argument : arguments)
        raw.append(QFile::encodeName(argument));
    std::FILE *out = std::tmpfile();
    std::FILE *err = std::tmpfile();
    RunCommandLine(arguments, raw, "/programm/festmark", out, err);
    const QByteArray printed = Contents(out);
    const QByteArray said = Contents(err);
    std::fclose(out);
    std::fclose(err);

    for (const QByteArray &line : said.split('\n')) {
        if (!line.isEmpty() && !line.startsWith("festmark: "))
            std::abort();
    }
    if (ics) {
        if (!printed.isEmpty() && !printed.endsWith("\r\n"))
            std::abort();
        for (const QByteArray &line : printed.split('\n')) {
            if (line.isEmpty())
                continue;
            if (!line.endsWith('\r') || line.size() > 76 || line.chopped(1).contains('\r'))
                std::abort();
        }
        return 0;
    }
    const QList<QByteArray> lines = printed.split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) { // after the caption
        if (lines[i].isEmpty())
            continue;
        if (lines[i].count('\t') != 2)
            std::abort();
        for (const char c : lines[i]) {
            if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F)
                std::abort();
        }
    }
    return 0;
}
