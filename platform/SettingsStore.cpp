#include "SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>
#include <QStandardPaths>

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

QString SettingsFilePath()
{
#ifdef _WIN32
    return {};
#else
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Orvanta/Festmark.conf");
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

bool ReplaceFileWhole(const QString &path, QByteArrayView content, QString *error)
{
    FileReplacement file(path);
    if (file.Write(content) && file.Commit())
        return true;
    if (error != nullptr)
        *error = file.ErrorString();
    return false;
}
