#include "prepare/CaptionFacts.h"

#include "core/FileNames.h"
#include "intake/PhotoDates.h"
#include "prepare/PhotoMetadata.h"

#include <QLocale>

PictureFacts readCaptionFacts(const QString& path, const CaptionPattern& pattern) {
    PictureFacts facts;
    if (pattern.uses(CaptionField::Date)) {
        if (const std::optional<QDateTime> taken = photoDate(path)) {
            facts.date = QLocale::system().toString(taken->date(), QLocale::ShortFormat);
        }
    }
    if (pattern.uses(CaptionField::Description)) {
        facts.description = photoDescription(encodeFileName(path));
    }
    return facts;
}
