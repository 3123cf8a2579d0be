#pragma once

#include <QString>

// The per-user settings store: application / section / key -> text, an absent key
// reading as empty text. It uses the organisation name under which the suite's
// installer keeps its settings, so on Windows the very same registry values are read;
// elsewhere it is a plain .conf file under the user's configuration folder
// (XDG_CONFIG_HOME moves it), read literally: "key=value" under "[section]", the value
// as written (double quotes around it are removed).
namespace SettingsStore {

QString GetSetting(const QString &application, const QString &section, const QString &key,
                   const QString &defaultValue = QString());

// The file (or registry path) the store reads for an application.
QString location(const QString &application);

} // namespace SettingsStore
