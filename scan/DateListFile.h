#pragma once

#include "CodePage.h"
#include "DateList.h"

#include <QString>

#include <functional>
#include <optional>
#include <string>

// A date list file. Only regular files up to 1 GiB are date lists: a device or a pipe could
// block or never end.
enum class OpenError {
    None,
    NoPath,       // the path is empty
    NotFound,     // nothing at the path
    Folder,       // a folder
    NotAFile,     // a device, a pipe, a socket
    TooLarge,     // over 1 GiB
    NoPermission, // not the user's to read
    ReadFailed,   // opened, but reading failed
    OutOfMemory,  // its entries would not fit the free memory
    Encoding,     // written in an encoding that cannot be read (UTF-32)
    LinkLoop,     // symbolic links that lead round in a circle
    BadName,      // a name no file can have (a NUL character)
    NotCached,    // an address book on a server that was never read
};
// None when the file cannot be read; then `error` (if given) says why.
// `eachChunk`, when given, is called after every piece read, so that a caller can show that
// a big file is being read.
std::optional<DateList> ReadDateListFile(const QString &path, CodePage codePage,
                                         OpenError *error = nullptr,
                                         const std::function<void()> &eachChunk = {});
std::string OpenErrorText(OpenError error); // German, e.g. "Datei nicht gefunden"
