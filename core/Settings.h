#pragma once

#include "core/SettingKeys.h"

#include <QString>

// The per-user settings of the program: text values under the application "Vantrell",
// section "Lumigrove", read and written at the moment of use (no cache).
QString GetSetting(const QString& key, const QString& defaultValue);
// Throws AppError when the store cannot be written.
void SaveSetting(const QString& key, const QString& value);

// The same for the program's own keys, with their declared defaults.
QString GetSetting(const SettingKey& key);

// A setting that holds a number of seconds, as a person writes it ("2", "0.5", "0,5"); the
// declared default when the text is no finite number.
double GetSecondsSetting(const SettingKey& key);
void SaveSetting(const SettingKey& key, const QString& value);
