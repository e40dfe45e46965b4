#include "Output.h"

#include "Console.h"
#include "DateList.h"

#include <QDir>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

std::filesystem::path FileSystemPath(const QString &path)
{
#ifdef _WIN32
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString()); // the bytes kept
#endif
}

} // namespace

StreamOutput::StreamOutput(std::FILE *stream)
    : m_stream(stream)
{
}

bool StreamOutput::Write(std::string_view text)
{
    if (std::fwrite(text.data(), 1, text.size(), m_stream) == text.size())
        return true;
    m_error = errno;
    return false;
}

bool StreamOutput::Finish()
{
    if (std::fflush(m_stream) == 0 && !std::ferror(m_stream))
        return true;
    m_error = m_error != 0 ? m_error : errno;
    return false;
}

std::string StreamOutput::Failure() const
{
    return "Fehler beim Schreiben der Ausgabe: " + SystemErrorText(m_error);
}

namespace {

// Whether `target` is one of the files the rows are read from, under any of its names.
bool IsASource(const std::filesystem::path &target, const QStringList &sources)
{
    std::error_code error;
    for (const QString &source : sources) {
        if (!source.isEmpty() && std::filesystem::equivalent(target, FileSystemPath(source), error))
            return true;
    }
    return false;
}

} // namespace

FileOutput::FileOutput(const QString &path, const QStringList &sources,
                       const QByteArray &nativeName)
    : m_path(path)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path target =
        nativeName.isEmpty() ? FileSystemPath(path) : fs::path(nativeName.toStdString());
    const fs::file_status status = fs::status(target, error);
    if (fs::is_directory(status)) {
        m_error = QStringLiteral("ist ein Ordner");
        return;
    }
    if (fs::exists(status) && IsASource(target, sources)) {
        m_error = sources.size() == 1
                      ? QStringLiteral("das ist die Datumsliste selbst; sie bleibt, wie sie ist")
                      : QStringLiteral("das ist eine der gelesenen Dateien; sie bleibt, wie "
                                       "sie ist");
        return;
    }
    const bool device = fs::exists(status) && !fs::is_regular_file(status);
    if (!nativeName.isEmpty()) {
        // Qt names files by UTF-8 only: these bytes are opened, and renamed to, as they are,
        // the same way QSaveFile replaces other files.
        errno = 0;
        const int descriptor =
            device ? OpenNamedByBytes(nativeName)
                   : OpenReplacementNamedByBytes(nativeName, &m_temporary, &m_native);
        m_ok = descriptor >= 0 &&
               m_device.open(descriptor, QIODevice::WriteOnly | QIODevice::Unbuffered,
                             QFileDevice::AutoCloseHandle);
        if (!m_ok) {
            m_error = QString::fromStdString(SystemErrorText(errno));
            m_temporary.clear();
        }
        return;
    }
    if (device) {
        m_device.setFileName(path);
        errno = 0;
        m_ok = m_device.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        if (!m_ok)
            m_error = errno != 0 ? QString::fromStdString(SystemErrorText(errno))
                                 : m_device.errorString();
        return;
    }
    m_replacement.emplace(path);
    m_ok = m_replacement->ErrorString().isEmpty();
    m_error = m_replacement->ErrorString();
}

FileOutput::~FileOutput()
{
    std::error_code error;
    if (!m_temporary.isEmpty()) // not committed: the old file stays
        std::filesystem::remove(m_temporary.toStdString(), error);
}

bool FileOutput::Write(std::string_view text)
{
    if (!m_ok)
        return false;
    const QByteArrayView piece(text.data(), static_cast<qsizetype>(text.size()));
    if (m_replacement) {
        m_ok = m_replacement->Write(piece);
        m_error = m_replacement->ErrorString();
    } else if (m_device.write(piece.data(), piece.size()) != piece.size()) {
        m_ok = false;
        m_error = m_device.errorString();
    }
    return m_ok;
}

bool FileOutput::Finish()
{
    if (!m_ok)
        return false;
    if (m_replacement) {
        m_ok = m_replacement->Commit();
        m_error = m_replacement->ErrorString();
        return m_ok;
    }
    m_device.close();
    if (!m_temporary.isEmpty()) {
        std::error_code error;
        std::filesystem::rename(m_temporary.toStdString(), m_native.toStdString(), error);
        m_ok = !error;
        if (!m_ok)
            m_error = QString::fromStdString(SystemErrorText(error.value()));
        else
            m_temporary.clear();
    }
    return m_ok;
}

std::string FileOutput::Failure() const
{
    return "Fehler beim Schreiben von " +
           PrintableText(QDir::toNativeSeparators(m_path).toStdString()) + ": " +
           m_error.toStdString();
}
