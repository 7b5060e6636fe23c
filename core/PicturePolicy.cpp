#include "core/PicturePolicy.h"

#include "core/AlbumLayout.h"
#include "core/Settings.h"

#include <QRegularExpression>

std::optional<int> pictureSizeFromText(const QString& text) {
    const QString word = text.trimmed().toLower();
    if (word == QLatin1String("original")) {
        return 0;
    }
    if (word == QLatin1String("print")) {
        return kPrintPixelsPerInch;
    }
    if (word == QLatin1String("screen")) {
        return kScreenPixelsPerInch;
    }
    if (word == QLatin1String("email")) {
        return kEmailPixelsPerInch;
    }
    static const QRegularExpression ppi(QStringLiteral("^([0-9]{1,4})ppi$"));
    const QRegularExpressionMatch match = ppi.match(word);
    if (match.hasMatch()) {
        const int value = match.captured(1).toInt();
        if (value >= 1 && value <= kMaxPixelsPerInch) {
            return value;
        }
    }
    return std::nullopt;
}

QString pictureSizeText(int pixelsPerInch) {
    switch (pixelsPerInch) {
    case 0:
        return QStringLiteral("original");
    case kPrintPixelsPerInch:
        return QStringLiteral("print");
    case kScreenPixelsPerInch:
        return QStringLiteral("screen");
    case kEmailPixelsPerInch:
        return QStringLiteral("email");
    default:
        return QStringLiteral("%1ppi").arg(pixelsPerInch);
    }
}

std::optional<int> jpegQualityFromText(const QString& text) {
    bool ok = false;
    const int quality = text.trimmed().toInt(&ok);
    if (ok && quality >= 1 && quality <= 100) {
        return quality;
    }
    return std::nullopt;
}

PicturePolicy picturePolicyFromSettings() {
    PicturePolicy policy;
    policy.pixelsPerInch =
        pictureSizeFromText(GetSetting(Setting::PictureSize)).value_or(policy.pixelsPerInch);
    policy.jpegQuality =
        jpegQualityFromText(GetSetting(Setting::JpegQuality)).value_or(policy.jpegQuality);
    policy.stripMetadata =
        switchFromText(GetSetting(Setting::StripMetadata)).value_or(policy.stripMetadata);
    return policy;
}

void savePicturePolicy(const PicturePolicy& policy) {
    SaveSetting(Setting::PictureSize, pictureSizeText(policy.pixelsPerInch));
    SaveSetting(Setting::JpegQuality, QString::number(policy.jpegQuality));
    SaveSetting(Setting::StripMetadata,
                policy.stripMetadata ? QStringLiteral("true") : QStringLiteral("false"));
}
