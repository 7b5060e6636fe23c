#include "core/Settings.h"

#include "core/AppError.h"

#include <QSettings>

namespace {

// Each call opens the store afresh: another copy of the program may have written meanwhile,
// and the last write wins. The native format on Linux is an INI text file named
// $XDG_CONFIG_HOME/Vantrell.conf (the INI format proper would name it Vantrell.ini).
const QString kSection = QStringLiteral("Lumigrove");

} // namespace

QString GetSetting(const QString& key, const QString& defaultValue) {
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Vantrell"));
    store.beginGroup(kSection);
    const QVariant value = store.value(key);
    return value.isValid() ? value.toString() : defaultValue;
}

void SaveSetting(const QString& key, const QString& value) {
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Vantrell"));
    store.beginGroup(kSection);
    const QVariant before = store.value(key);
    store.setValue(key, value);
    store.sync();
    if (store.status() != QSettings::NoError) {
        // Qt keeps unwritten changes in memory for the rest of the process and would answer
        // later reads with them; take this one back so that reads give what is stored.
        if (before.isValid()) {
            store.setValue(key, before);
        } else {
            store.remove(key);
        }
        throw AppError(
            QStringLiteral("Could not write the setting %1 to %2").arg(key, store.fileName()),
            ErrorNumber::PermissionDenied);
    }
}

QString GetSetting(const SettingKey& key) {
    return GetSetting(QString::fromLatin1(key.name), QString::fromLatin1(key.defaultValue));
}

void SaveSetting(const SettingKey& key, const QString& value) {
    SaveSetting(QString::fromLatin1(key.name), value);
}
