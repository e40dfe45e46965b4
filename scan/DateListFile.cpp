#include "DateListFile.h"

#include "DateListReader.h"

#include <QFile>
#include <QFileInfo>

#include <filesystem>
#include <new>
#include <system_error>

namespace {

// A date list is a few kilobytes; this bound keeps a mistaken path from eating the memory.
constexpr qint64 kMaxFileSize = qint64(1) << 30;
// The file is read in pieces of this size and never held whole.
constexpr qint64 kChunkSize = qint64(1) << 20;

} // namespace

std::optional<DateList> ReadDateListFile(const QString &path, CodePage codePage, OpenError *error,
                                         const std::function<void()> &eachChunk)
{
    const auto fail = [error](OpenError why) {
        if (error != nullptr)
            *error = why;
        return std::nullopt;
    };
    if (path.isEmpty())
        return fail(OpenError::NoPath);
    if (path.contains(QChar(u'\0')))
        return fail(OpenError::BadName);
    const QFileInfo info(path);
    if (!info.exists()) {
        // Not there, or not to be reached: a folder on the way that is not the user's to
        // open, or links in a circle.
        std::error_code why;
        static_cast<void>(std::filesystem::status(path.toStdU16String(), why));
        if (why == std::errc::permission_denied)
            return fail(OpenError::NoPermission);
        if (why == std::errc::too_many_symbolic_link_levels)
            return fail(OpenError::LinkLoop);
        return fail(OpenError::NotFound);
    }
    if (info.isDir())
        return fail(OpenError::Folder);
    if (!info.isFile())
        return fail(OpenError::NotAFile);
    if (info.size() > kMaxFileSize)
        return fail(OpenError::TooLarge);
    if (!info.isReadable())
        return fail(OpenError::NoPermission);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(OpenError::ReadFailed);
    // A file under the size limit can still hold more entries than the memory: it is refused
    // rather than ending the program.
    try {
        DateListReader reader(codePage);
        QByteArray chunk(kChunkSize, Qt::Uninitialized);
        // A file that grows while it is read is held to the same limit.
        for (qint64 total = 0;;) {
            const qint64 got = file.read(chunk.data(), kChunkSize);
            if (got < 0)
                return fail(OpenError::ReadFailed);
            if (got == 0)
                break;
            total += got;
            if (total > kMaxFileSize)
                return fail(OpenError::TooLarge);
            reader.Feed(QByteArrayView(chunk.constData(), got));
            if (eachChunk)
                eachChunk();
        }
        DateList list = reader.Finish();
        if (!reader.UnreadableEncoding().empty())
            return fail(OpenError::Encoding);
        if (error != nullptr)
            *error = OpenError::None;
        return list;
    } catch (const std::bad_alloc &) {
        return fail(OpenError::OutOfMemory);
    }
}

std::string OpenErrorText(OpenError error)
{
    switch (error) {
    case OpenError::None:
        return {};
    case OpenError::NoPath:
        return "kein Dateiname angegeben";
    case OpenError::NotFound:
        return "Datei nicht gefunden";
    case OpenError::Folder:
        return "das ist ein Ordner, keine Datei";
    case OpenError::NotAFile:
        return "keine gewöhnliche Datei";
    case OpenError::TooLarge:
        return "Datei zu groß (mehr als 1 GiB)";
    case OpenError::NoPermission:
        return "keine Berechtigung zum Lesen";
    case OpenError::ReadFailed:
        return "Lesefehler";
    case OpenError::OutOfMemory:
        return "zu groß für den freien Speicher";
    case OpenError::LinkLoop:
        return "symbolische Verknüpfungen im Kreis";
    case OpenError::BadName:
        return "der Dateiname enthält ein Nullzeichen";
    case OpenError::NotCached:
        return "noch nie vom Server gelesen";
    case OpenError::Encoding:
        return "in UTF-32 geschrieben, das Festmark nicht liest; bitte als UTF-8 oder ANSI "
               "speichern";
    }
    return {};
}
