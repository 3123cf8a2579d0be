#include "platform/settings/SettingsStore.h"

#include <QSettings>

namespace SettingsStore {
namespace {

const QString organisation = QStringLiteral("VB and VBA Program Settings");

} // namespace

QString GetSetting(const QString &application, const QString &section, const QString &key, const QString &defaultValue)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, organisation, application);
    settings.beginGroup(section);
    const QVariant value = settings.value(key);
    settings.endGroup();
    if (!value.isValid())
        return defaultValue;
    // A value with commas comes back from the .conf format as a list.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

QString location(const QString &application)
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, organisation, application).fileName();
}

} // namespace SettingsStore
