#include "core/Settings.h"

#include "core/AppError.h"

#include <QFile>
#include <QSettings>

#include <cmath>

namespace {

// Each call opens the store afresh: another copy of the program may have written meanwhile,
// and the last write wins. The native format on Linux is an INI text file named
// $XDG_CONFIG_HOME/Vantrell.conf (the INI format proper would name it Vantrell.ini).
const QString kSection = QStringLiteral("Lumigrove");

// The text after "key=" in the section, as it stands in the file, or a null string. QSettings
// reads an unquoted value that holds a comma ("pipe,name=x;urp", "0,5") as a list of texts,
// which loses the commas and the spaces around them; a person writes such values by hand.
QString rawValue(const QString& fileName, const QString& key) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return {};
    }
    const QString header = QLatin1Char('[') + kSection + QLatin1Char(']');
    bool inSection = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inSection = line == header;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (inSection && eq > 0 && line.left(eq).trimmed() == key) {
            return line.mid(eq + 1).trimmed();
        }
    }
    return {};
}

} // namespace

QString GetSetting(const QString& key, const QString& defaultValue) {
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Vantrell"));
    store.beginGroup(kSection);
    const QVariant value = store.value(key);
    if (!value.isValid()) {
        return defaultValue;
    }
    if (value.typeId() == QMetaType::QStringList) {
        const QString raw = rawValue(store.fileName(), key);
        return raw.isNull() ? value.toStringList().join(QLatin1Char(',')) : raw;
    }
    return value.toString();
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

double GetSecondsSetting(const SettingKey& key) {
    QString text = GetSetting(key).trimmed();
    bool ok = false;
    double seconds = text.toDouble(&ok);
    if (!ok) {
        seconds = text.replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    }
    if (!ok || !std::isfinite(seconds)) {
        return QString::fromLatin1(key.defaultValue).toDouble();
    }
    return seconds;
}
