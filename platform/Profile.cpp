#include "Profile.h"

#include <QSettings>

#include <memory>

namespace {

std::unique_ptr<QSettings> Store()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("Orvanta"), QStringLiteral("Festmark"));
}

QString Key(const QString &section, const QString &key)
{
    return section + '/' + key;
}

} // namespace

int GetProfileInt(const QString &section, const QString &key, int defaultValue)
{
    bool ok = false;
    const int value = Store()->value(Key(section, key), defaultValue).toInt(&ok);
    return ok ? value : defaultValue;
}

QString GetProfileString(const QString &section, const QString &key, const QString &defaultValue)
{
    return Store()->value(Key(section, key), defaultValue).toString();
}

void WriteProfileInt(const QString &section, const QString &key, int value)
{
    Store()->setValue(Key(section, key), value);
}

void WriteProfileString(const QString &section, const QString &key, const QString &value)
{
    Store()->setValue(Key(section, key), value);
}
