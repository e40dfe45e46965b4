#include "SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#ifndef _WIN32
namespace {

// A string value as QSettings reads it back: in quotes, with its escapes, and a leading "@"
// doubled (QSettings keeps "@" for its own types).
QByteArray IniString(const QString &value)
{
    QByteArray quoted = "\"";
    if (value.startsWith(QLatin1Char('@')))
        quoted += '@';
    for (const char c : value.toUtf8()) {
        switch (c) {
        case '\\':
            quoted += "\\\\";
            break;
        case '"':
            quoted += "\\\"";
            break;
        case '\n':
            quoted += "\\n";
            break;
        case '\r':
            quoted += "\\r";
            break;
        case '\t':
            quoted += "\\t";
            break;
        default:
            quoted += c;
        }
    }
    return quoted + '"';
}

} // namespace
#endif

QString ConfigFolder()
{
    QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (QDir::isAbsolutePath(xdg))
        return xdg;
    const QString home = qEnvironmentVariable("HOME");
    return QDir::isAbsolutePath(home) ? home + QStringLiteral("/.config") : QString();
}

bool HasConfigFolder()
{
#ifdef _WIN32
    return true;
#else
    return !ConfigFolder().isEmpty();
#endif
}

QString NoConfigFolderMessage()
{
    return QStringLiteral("Ohne Heimatordner (HOME) hat Festmark keinen Ort für seine "
                          "Einstellungen: es nimmt die Standardwerte und speichert nichts.");
}

QString SettingsFilePath()
{
#ifdef _WIN32
    return {};
#else
    const QString folder = ConfigFolder();
    return folder.isEmpty() ? QString() : folder + QStringLiteral("/Orvanta/Festmark.conf");
#endif
}

std::unique_ptr<QSettings> ReadSettings()
{
#ifdef _WIN32
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Orvanta"), QStringLiteral("Festmark"));
#else
    return std::make_unique<QSettings>(SettingsFilePath(), QSettings::IniFormat);
#endif
}

bool WriteSettingsGroup(const QString &group,
                        const std::vector<std::pair<QString, QVariant>> &values, QString *error)
{
#ifdef _WIN32
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Orvanta"),
                    QStringLiteral("Festmark"));
    store.beginGroup(group);
    for (const auto &[key, value] : values)
        store.setValue(key, value);
    store.endGroup();
    store.sync();
    if (store.status() != QSettings::NoError)
        *error = QStringLiteral("die Registry nimmt sie nicht an");
    return store.status() == QSettings::NoError;
#else
    QByteArray content = "[" + group.toUtf8() + "]\n";
    for (const auto &[key, value] : values) {
        content += key.toUtf8() + '=';
        content += value.typeId() == QMetaType::QString ? IniString(value.toString())
                                                        : value.toString().toUtf8();
        content += '\n';
    }
    const QString path = SettingsFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    return ReplaceFileWhole(path, content, error);
#endif
}

FileReplacement::FileReplacement(const QString &path)
    : m_file(path)
    , m_ok(m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
{
    if (!m_ok)
        m_error = m_file.errorString();
}

QString FileReplacement::FileName() const
{
    return m_file.fileName();
}

bool FileReplacement::Write(QByteArrayView piece)
{
    // One large write can also come back short; then nothing is committed.
    if (m_ok && m_file.write(piece.data(), piece.size()) != piece.size()) {
        m_ok = false;
        m_error = m_file.errorString();
    }
    return m_ok;
}

bool FileReplacement::Commit()
{
    if (m_ok && !m_file.commit()) {
        m_ok = false;
        m_error = m_file.errorString();
    }
    return m_ok;
}

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

OutputFile::OutputFile(const QString &path, const QString &keep, const QByteArray &nativeName)
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
    if (fs::exists(status) && !keep.isEmpty() &&
        fs::equivalent(target, FileSystemPath(keep), error)) {
        m_error = QStringLiteral("das ist die Datumsliste selbst; sie bleibt, wie sie ist");
        return;
    }
    const bool device = fs::exists(status) && !fs::is_regular_file(status);
#ifndef _WIN32
    if (!nativeName.isEmpty()) {
        // Qt names files by UTF-8 only: these bytes are opened, and renamed to, as they are.
        m_native = nativeName;
        m_temporary = device ? nativeName : nativeName + ".festmark-neu";
        const int descriptor =
            ::open(m_temporary.constData(),
                   O_WRONLY | O_CLOEXEC | (device ? 0 : O_CREAT | O_TRUNC | O_EXCL), 0666);
        m_ok = descriptor >= 0 &&
               m_device.open(descriptor, QIODevice::WriteOnly | QIODevice::Unbuffered,
                             QFileDevice::AutoCloseHandle);
        if (!m_ok)
            m_error = QString::fromLocal8Bit(std::strerror(errno));
        if (device)
            m_temporary.clear();
        return;
    }
#endif
    if (device) {
        m_device.setFileName(path);
        m_ok = m_device.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        if (!m_ok)
            m_error = m_device.errorString();
        return;
    }
    m_replacement.emplace(path);
    m_ok = m_replacement->ErrorString().isEmpty();
    m_error = m_replacement->ErrorString();
}

OutputFile::~OutputFile()
{
    if (!m_temporary.isEmpty()) // not committed: the old file stays
        ::unlink(m_temporary.constData());
}

bool OutputFile::Write(QByteArrayView piece)
{
    if (!m_ok)
        return false;
    if (m_replacement) {
        m_ok = m_replacement->Write(piece);
        m_error = m_replacement->ErrorString();
    } else if (m_device.write(piece.data(), piece.size()) != piece.size()) {
        m_ok = false;
        m_error = m_device.errorString();
    }
    return m_ok;
}

bool OutputFile::Commit()
{
    if (!m_ok)
        return false;
    if (m_replacement) {
        m_ok = m_replacement->Commit();
        m_error = m_replacement->ErrorString();
        return m_ok;
    }
    m_device.close();
#ifndef _WIN32
    if (!m_temporary.isEmpty()) {
        m_ok = ::rename(m_temporary.constData(), m_native.constData()) == 0;
        if (!m_ok)
            m_error = QString::fromLocal8Bit(std::strerror(errno));
        else
            m_temporary.clear();
    }
#endif
    return m_ok;
}

bool ReplaceFileWhole(const QString &path, QByteArrayView content, QString *error)
{
    FileReplacement file(path);
    if (file.Write(content) && file.Commit())
        return true;
    if (error != nullptr)
        *error = file.ErrorString();
    return false;
}
