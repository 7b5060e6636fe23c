#include "prepare/PhotoMetadata.h"

#include "core/AppError.h"

#include <QString>

// exiv2 0.27 hands its images out in std::auto_ptr.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>

#include <filesystem>

#include <sys/stat.h>

namespace {

// What of the EXIF names a person, a camera or a place: its GPS directory, a maker's notes
// (whole, since their contents are the maker's own), serial numbers and the owner.
bool isPrivate(const Exiv2::Exifdatum& datum) {
    const std::string group = datum.groupName();
    const std::string tag = datum.tagName();
    return group == "GPSInfo" || Exiv2::ExifTags::isMakerGroup(group) || tag == "MakerNote" ||
           tag.find("SerialNumber") != std::string::npos || tag == "CameraOwnerName" ||
           tag == "ImageUniqueID";
}

} // namespace

bool carriesLocation(const QByteArray& fileName) {
    try {
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(fileName.toStdString(), false);
        image->readMetadata();
        const Exiv2::ExifData& exif = image->exifData();
        if (exif.findKey(Exiv2::ExifKey("Exif.GPSInfo.GPSLatitude")) != exif.end()) {
            return true;
        }
        const Exiv2::XmpData& xmp = image->xmpData();
        return xmp.findKey(Exiv2::XmpKey("Xmp.exif.GPSLatitude")) != xmp.end();
    } catch (const Exiv2::AnyError&) {
        return false;
    } catch (const std::exception&) {
        return false;
    }
}

QString photoDescription(const QByteArray& fileName) {
    // A fifo would keep the reader waiting for a writer.
    struct stat info {};
    if (::stat(fileName.constData(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return {};
    }
    try {
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(fileName.toStdString(), false);
        image->readMetadata();
        const Exiv2::ExifData& exif = image->exifData();
        const auto exifText = exif.findKey(Exiv2::ExifKey("Exif.Image.ImageDescription"));
        if (exifText != exif.end()) {
            const QString text = QString::fromStdString(exifText->toString()).trimmed();
            if (!text.isEmpty()) {
                return text;
            }
        }
        const Exiv2::XmpData& xmp = image->xmpData();
        const auto xmpText = xmp.findKey(Exiv2::XmpKey("Xmp.dc.description"));
        if (xmpText == xmp.end()) {
            return {};
        }
        const auto* languages = dynamic_cast<const Exiv2::LangAltValue*>(&xmpText->value());
        if (languages == nullptr || languages->value_.empty()) {
            return QString::fromStdString(xmpText->toString()).trimmed();
        }
        const auto standard = languages->value_.find("x-default");
        return QString::fromStdString(standard != languages->value_.end()
                                          ? standard->second
                                          : languages->value_.begin()->second)
            .trimmed();
    } catch (const Exiv2::AnyError&) {
        return {};
    } catch (const std::exception&) {
        return {};
    }
}

void copyWithoutPrivateData(const QByteArray& source, const QByteArray& target) {
    try {
        std::filesystem::copy_file(source.toStdString(), target.toStdString(),
                                   std::filesystem::copy_options::overwrite_existing);
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(target.toStdString(), false);
        image->readMetadata();
        Exiv2::ExifData exif = image->exifData();
        Exiv2::ExifThumb(exif).erase();
        for (auto datum = exif.begin(); datum != exif.end();) {
            datum = isPrivate(*datum) ? exif.erase(datum) : std::next(datum);
        }
        image->setExifData(exif);
        image->clearXmpData();
        image->clearXmpPacket();
        image->clearIptcData();
        image->clearComment();
        image->writeMetadata();
    } catch (const Exiv2::AnyError& e) {
        throw AppError(QStringLiteral("its metadata cannot be removed: %1")
                           .arg(QString::fromStdString(e.what())));
    } catch (const std::filesystem::filesystem_error& e) {
        throw AppError(QStringLiteral("it cannot be copied: %1")
                           .arg(QString::fromLocal8Bit(e.code().message().c_str())));
    }
}

#pragma GCC diagnostic pop
