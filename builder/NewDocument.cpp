#include "builder/NewDocument.h"

#include "builder/InsertRoutines.h"
#include "builder/OfficeBridge.h"
#include "builder/OfficeDesktop.h"
#include "builder/OfficeDocument.h"
#include "core/AppError.h"
#include "core/FileNames.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include <optional>

std::unique_ptr<OfficeDocument> openNewDocument(OfficeDesktop& desktop,
                                                const QString& templatePath) {
    if (templatePath.isEmpty()) {
        return desktop.loadComponentFromURL(QStringLiteral("private:factory/swriter"),
                                            QStringLiteral("_blank"), 0, OfficeArguments());
    }
    // Opened as a template the document is untitled, and storing it never writes over the
    // template. The filter is named, so that a file that is no such document fails to open
    // instead of being taken in as plain text.
    const bool isTemplate = templatePath.endsWith(QLatin1String(".ott"), Qt::CaseInsensitive);
    const OfficeArguments args{
        {QStringLiteral("AsTemplate"), true},
        {QStringLiteral("FilterName"),
         isTemplate ? QStringLiteral("writer8_template") : QStringLiteral("writer8")}};
    // A name that is not UTF-8 reaches the office as "%FF", which its template filter (7.4)
    // finds no file under, though it reads the very URL without a named filter. Such a
    // template is given to it under a plain name instead: a link in a folder of our own that no
    // one else may enter, gone once the document is open.
    std::optional<QTemporaryDir> plainName;
    QString location = templatePath;
    try {
        checkNotSpecialFile(templatePath);
        // The office opens an empty file as a new document, and the template would be lost
        // without a word.
        if (struct stat info{};
            ::stat(encodeFileName(templatePath).constData(), &info) == 0 && info.st_size == 0) {
            throw AppError(QStringLiteral("the file is empty"), ErrorNumber::PathFileAccessError);
        }
        if (encodeFileName(templatePath) != templatePath.toUtf8()) {
            plainName.emplace(QDir::tempPath() + QStringLiteral("/lumigrove-template-XXXXXX"));
            location = plainName->filePath(isTemplate ? QStringLiteral("template.ott")
                                                      : QStringLiteral("template.odt"));
            if (!plainName->isValid() ||
                ::symlink(encodeFileName(QFileInfo(templatePath).absoluteFilePath()).constData(),
                          encodeFileName(location).constData()) != 0) {
                throw AppError(
                    QStringLiteral("no link to it can be made in %1").arg(QDir::tempPath()),
                    ErrorNumber::PathFileAccessError);
            }
        }
        return desktop.loadComponentFromURL(PictureFileUrl(location), QStringLiteral("_blank"), 0,
                                            args);
    } catch (const AppError& e) {
        if (OfficeError::endsSession(e.number())) {
            throw;
        }
        // The office names the file it was given; the user knows it under its own name.
        QString why = e.description();
        why.replace(PictureFileUrl(location), PictureFileUrl(templatePath));
        throw AppError(QStringLiteral("The template %1 cannot be opened: %2")
                           .arg(displayFileName(templatePath), why),
                       e.number());
    }
}
