#pragma once

#include <QString>

// The per-user settings of the program: text values under the application "Vantrell",
// section "Lumigrove", read and written at the moment of use (no cache).
QString GetSetting(const QString& key, const QString& defaultValue);
// Throws AppError when the store cannot be written.
void SaveSetting(const QString& key, const QString& value);
