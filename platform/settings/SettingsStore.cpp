#include "platform/settings/SettingsStore.h"

#include <QFile>
#include <QSettings>
#include <QStringList>

#include <optional>

namespace SettingsStore {
namespace {

const QString organisation = QStringLiteral("VB and VBA Program Settings");

#ifndef Q_OS_WIN
// The .conf file read literally: "[section]" lines and "key=value" lines, the value
// being everything after the first "=" (a pair of double quotes around it is
// removed). So ";" and "\" in a password or a server's instance name stay as they
// are, where the usual INI reading would take them for a comment and an escape.
std::optional<QString> readLiteral(const QString &file, const QString &section, const QString &key)
{
    QFile conf(file);
    if (!conf.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QString wantedSection = QLatin1Char('[') + section + QLatin1Char(']');
    bool inSection = false;
    for (const QString &rawLine : QString::fromUtf8(conf.readAll()).split(QLatin1Char('\n'))) {
        const QString line = rawLine.trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inSection = line.compare(wantedSection, Qt::CaseSensitive) == 0;
            continue;
        }
        const int equals = line.indexOf(QLatin1Char('='));
        if (!inSection || equals <= 0 || line.left(equals).trimmed() != key)
            continue;
        QString value = line.mid(equals + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
            value = value.mid(1, value.size() - 2);
        return value;
    }
    return std::nullopt;
}
#endif

} // namespace

QString GetSetting(const QString &application, const QString &section, const QString &key, const QString &defaultValue)
{
#ifdef Q_OS_WIN
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, organisation, application);
    const QVariant value = settings.value(section + QLatin1Char('/') + key);
    return value.isValid() ? value.toString() : defaultValue;
#else
    return readLiteral(location(application), section, key).value_or(defaultValue);
#endif
}

QString location(const QString &application)
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, organisation, application).fileName();
}

} // namespace SettingsStore
