#include "ModuleFile.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace {

// Little-endian fields, as both formats store them on the platforms this program runs on.
template <typename T> bool Field(std::string_view bytes, qint64 at, T &value)
{
    if (at < 0 || static_cast<std::size_t>(at) + sizeof(T) > bytes.size())
        return false;
    std::memcpy(&value, bytes.data() + at, sizeof(T));
    return true;
}

// Up to `length` bytes from the file's current place.
std::string ReadBytes(QFile &file, qint64 length)
{
    std::string bytes(static_cast<std::size_t>(std::max<qint64>(length, 0)), '\0');
    const qint64 got = file.read(bytes.data(), length);
    bytes.resize(static_cast<std::size_t>(std::max<qint64>(got, 0)));
    return bytes;
}

#ifndef _WIN32
// A 64-bit ELF file holds its program headers and everything they map, and its section
// headers, within its size.
bool IsWholeElf(QFile &file)
{
    const qint64 size = file.size();
    const std::string header = ReadBytes(file, 64);
    std::uint64_t phoff = 0, shoff = 0;
    std::uint16_t phentsize = 0, phnum = 0, shentsize = 0, shnum = 0;
    if (header.rfind("\x7f"
                     "ELF\x02\x01",
                     0) != 0 ||
        !Field(header, 0x20, phoff) || !Field(header, 0x28, shoff) ||
        !Field(header, 0x36, phentsize) || !Field(header, 0x38, phnum) ||
        !Field(header, 0x3A, shentsize) || !Field(header, 0x3C, shnum))
        return false;
    const auto within = [size](std::uint64_t offset, std::uint64_t length) {
        return offset <= static_cast<std::uint64_t>(size) &&
               length <= static_cast<std::uint64_t>(size) - offset;
    };
    if (phnum == 0 || !within(phoff, std::uint64_t{phentsize} * phnum) ||
        !within(shoff, std::uint64_t{shentsize} * shnum))
        return false;
    file.seek(static_cast<qint64>(phoff));
    const std::string programHeaders = ReadBytes(file, qint64{phentsize} * phnum);
    for (int i = 0; i < phnum; ++i) {
        std::uint64_t offset = 0, fileSize = 0;
        if (!Field(programHeaders, qint64{i} * phentsize + 8, offset) ||
            !Field(programHeaders, qint64{i} * phentsize + 0x20, fileSize) ||
            !within(offset, fileSize))
            return false;
    }
    return true;
}
#else
// A PE file: its sections' raw data lie within its size.
bool IsWholePe(QFile &file)
{
    const qint64 size = file.size();
    const std::string bytes = ReadBytes(file, 4096);
    std::uint32_t pe = 0;
    std::uint16_t sections = 0, optionalSize = 0;
    if (bytes.rfind("MZ", 0) != 0 || !Field(bytes, 0x3C, pe) ||
        std::size_t{pe} + 4 > bytes.size() || bytes.compare(pe, 4, std::string("PE\0\0", 4)) != 0 ||
        !Field(bytes, pe + 6, sections) || !Field(bytes, pe + 20, optionalSize))
        return false;
    const qint64 table = qint64{pe} + 24 + optionalSize;
    for (int i = 0; i < sections; ++i) {
        std::uint32_t rawSize = 0, rawOffset = 0;
        if (!Field(bytes, table + i * 40 + 16, rawSize) ||
            !Field(bytes, table + i * 40 + 20, rawOffset) || qint64{rawOffset} + rawSize > size)
            return false;
    }
    return true;
}
#endif

} // namespace

QString ModuleFileProblem(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("Das Fenstermodul %1 fehlt.").arg(path);
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return QStringLiteral("Das Fenstermodul %1 lässt sich nicht lesen.").arg(path);
#ifndef _WIN32
    const bool whole = IsWholeElf(file);
#else
    const bool whole = IsWholePe(file);
#endif
    return whole ? QString()
                 : QStringLiteral("Das Fenstermodul %1 ist beschädigt (unvollständig oder "
                                  "kein Programmteil).")
                       .arg(path);
}
