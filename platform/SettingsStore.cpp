#include "SettingsStore.h"

#include "Console.h"

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

// A list as QSettings reads it back: its strings quoted, separated by commas; an empty list
// as QSettings' own empty value.
QByteArray IniStringList(const QStringList &values)
{
    if (values.isEmpty())
        return "@Invalid()";
    QByteArrayList quoted;
    for (const QString &value : values)
        quoted += IniString(value);
    return quoted.join(", ");
}

QByteArray IniValue(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return IniString(value.toString());
    case QMetaType::QStringList:
        return IniStringList(value.toStringList());
    default:
        return value.toString().toUtf8();
    }
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
        content += IniValue(value);
        content += '\n';
    }
    const QString path = SettingsFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    return ReplaceFileWhole(path, content, error);
#endif
}

namespace {

// Why a file operation failed, in German where the system said why.
QString FailureOf(const QFileDevice &file, int error)
{
    return error != 0 ? QString::fromStdString(SystemErrorText(error)) : file.errorString();
}

} // namespace

FileReplacement::FileReplacement(const QString &path)
    : m_file(path)
    , m_ok(false)
{
    errno = 0;
    m_ok = m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    if (!m_ok)
        m_error = FailureOf(m_file, errno);
}

QString FileReplacement::FileName() const
{
    return m_file.fileName();
}

bool FileReplacement::Write(QByteArrayView piece)
{
    // One large write can also come back short; then nothing is committed.
    errno = 0;
    if (m_ok && m_file.write(piece.data(), piece.size()) != piece.size()) {
        m_ok = false;
        m_error = FailureOf(m_file, errno);
    }
    return m_ok;
}

bool FileReplacement::Commit()
{
    errno = 0;
    if (m_ok && !m_file.commit()) {
        m_ok = false;
        m_error = FailureOf(m_file, errno);
    }
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
