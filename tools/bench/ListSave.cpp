// What saving in the list editor costs, against its floor: "editor" reads the file into the
// editor's lines, changes the last line and writes the file back whole; "copy" reads the file
// and replaces it by the same bytes, the least any whole-file save does.
// Usage: festmark_bench_list_save LIST editor|copy
#include "ListDocument.h"
#include "SettingsStore.h"

#include <QFile>

#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    if (argc != 3)
        return 2;
    const QString path = QString::fromLocal8Bit(argv[1]);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray bytes = file.readAll();
    file.close();
    QByteArray written = bytes;
    if (std::strcmp(argv[2], "editor") == 0) {
        auto read = ListDocument::FromBytes(bytes, CodePage::Ansi);
        if (!std::holds_alternative<ListDocument>(read))
            return 1;
        const ListDocument &document = std::get<ListDocument>(read);
        std::vector<ListLine> lines = document.Lines();
        lines.back().text = QStringLiteral("14.03.1976 Anna wird # alt");
        lines.back().changed = true;
        auto bytesOut = document.Write(lines);
        if (!std::holds_alternative<QByteArray>(bytesOut))
            return 1;
        written = std::get<QByteArray>(bytesOut);
    }
    QString why;
    if (!ReplaceFileWhole(path, written, &why)) {
        std::fprintf(stderr, "%s\n", why.toLocal8Bit().constData());
        return 1;
    }
    return 0;
}
