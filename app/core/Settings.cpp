#include "Settings.h"

#include "AppError.h"

#include <QSettings>

namespace {

// Each call opens the store afresh: another copy of the program may have written meanwhile,
// and the last write wins.
const QString kSection = QStringLiteral("Lumigrove");

} // namespace

QString GetSetting(const QString& key, const QString& defaultValue) {
    QSettings store(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Vantrell"));
    store.beginGroup(kSection);
    const QVariant value = store.value(key);
    return value.isValid() ? value.toString() : defaultValue;
}

void SaveSetting(const QString& key, const QString& value) {
    QSettings store(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Vantrell"));
    store.beginGroup(kSection);
    store.setValue(key, value);
    store.endGroup();
    store.sync();
    if (store.status() != QSettings::NoError) {
        throw AppError(
            QStringLiteral("Could not write the setting %1 to %2").arg(key, store.fileName()),
            ErrorNumber::PermissionDenied);
    }
}
