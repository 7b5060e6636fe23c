#include "core/AlbumLayout.h"

#include "core/FileNames.h"
#include "core/Settings.h"

#include <QRegularExpression>

#include <algorithm>

QString captionKindText(CaptionKind kind) {
    switch (kind) {
    case CaptionKind::Name:
        return QStringLiteral("name");
    case CaptionKind::Stem:
        return QStringLiteral("stem");
    case CaptionKind::Pattern:
        return QStringLiteral("pattern");
    case CaptionKind::None:
        break;
    }
    return QStringLiteral("none");
}

std::optional<CaptionKind> captionKindFromText(const QString& text) {
    const QString word = text.trimmed().toLower();
    if (word == QLatin1String("none")) {
        return CaptionKind::None;
    }
    if (word == QLatin1String("name")) {
        return CaptionKind::Name;
    }
    if (word == QLatin1String("stem")) {
        return CaptionKind::Stem;
    }
    return std::nullopt;
}

QString captionText(const AlbumLayout& layout) {
    return layout.caption == CaptionKind::Pattern ? layout.captionPattern.text()
                                                  : captionKindText(layout.caption);
}

bool readCaption(const QString& text, AlbumLayout& layout, QString* problem) {
    if (const std::optional<CaptionKind> kind = captionKindFromText(text)) {
        layout.caption = *kind;
        layout.captionPattern = CaptionPattern();
        return true;
    }
    const std::optional<CaptionPattern> pattern = CaptionPattern::parse(text, problem);
    if (!pattern) {
        return false;
    }
    layout.caption = CaptionKind::Pattern;
    layout.captionPattern = *pattern;
    return true;
}

std::optional<int> picturesPerPageFromText(const QString& text) {
    bool ok = false;
    const int count = text.trimmed().toInt(&ok);
    if (ok && (count == 1 || count == 2 || count == 4)) {
        return count;
    }
    return std::nullopt;
}

bool readPicturesPerPage(const QString& text, AlbumLayout& layout, QString* problem) {
    if (const std::optional<int> count = picturesPerPageFromText(text)) {
        layout.picturesPerPage = *count;
        layout.gridColumns = 0;
        return true;
    }
    static const QRegularExpression grid(QStringLiteral("^(\\d{1,4})[xX](\\d{1,4})$"));
    const QRegularExpressionMatch match = grid.match(text.trimmed());
    if (!match.hasMatch()) {
        if (problem != nullptr) {
            *problem = QStringLiteral("a grid is written COLUMNSxROWS, from 1x1 to %1x%2, such "
                                      "as 3x4")
                           .arg(kMostGridColumns)
                           .arg(kMostGridRows);
        }
        return false;
    }
    const int columns = match.captured(1).toInt();
    const int rows = match.captured(2).toInt();
    if (columns < 1 || columns > kMostGridColumns || rows < 1 || rows > kMostGridRows) {
        if (problem != nullptr) {
            *problem = QStringLiteral("a grid has 1 to %1 columns and 1 to %2 rows")
                           .arg(kMostGridColumns)
                           .arg(kMostGridRows);
        }
        return false;
    }
    layout.picturesPerPage = columns * rows;
    // The grids that 1, 2 and 4 already are keep their own arrangement, so that the same
    // document has one description.
    const bool ofItsOwn = !(columns == 1 && rows <= 2) && !(columns == 2 && rows == 2);
    layout.gridColumns = ofItsOwn ? columns : 0;
    return true;
}

QString picturesPerPageText(const AlbumLayout& layout) {
    if (layout.gridColumns <= 0) {
        return QString::number(layout.picturesPerPage);
    }
    return QStringLiteral("%1x%2").arg(layout.gridColumns).arg(pageGrid(layout).rows);
}

PageGrid pageGrid(const AlbumLayout& layout) {
    if (layout.gridColumns > 0) {
        const int columns = layout.gridColumns;
        return {columns, std::max(1, (layout.picturesPerPage + columns - 1) / columns), true};
    }
    switch (layout.picturesPerPage) {
    case 2:
        return {1, 2, false};
    case 4:
        return {2, 2, true};
    default:
        return {};
    }
}

std::optional<bool> switchFromText(const QString& text) {
    const QString word = text.trimmed().toLower();
    if (word == QLatin1String("true") || word == QLatin1String("yes") ||
        word == QLatin1String("on") || word == QLatin1String("1")) {
        return true;
    }
    if (word == QLatin1String("false") || word == QLatin1String("no") ||
        word == QLatin1String("off") || word == QLatin1String("0")) {
        return false;
    }
    return std::nullopt;
}

QString captionFor(const QString& path, CaptionKind kind) {
    if (kind == CaptionKind::None) {
        return {};
    }
    QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    if (kind == CaptionKind::Stem) {
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        if (dot > 0) {
            name.truncate(dot);
        }
    }
    // A caption is one line: a newline or a tab in a file name would break it up.
    for (QChar& c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) {
            c = QLatin1Char(' ');
        }
    }
    return name;
}

QList<CaptionPiece> captionPieces(const AlbumLayout& layout, const QString& path,
                                  const PictureFacts& facts) {
    switch (layout.caption) {
    case CaptionKind::None:
        break;
    case CaptionKind::Name:
    case CaptionKind::Stem:
        return {{displayFileName(captionFor(path, layout.caption))}};
    case CaptionKind::Pattern:
        return layout.captionPattern.pieces(path, facts);
    }
    return {};
}

AlbumLayout albumLayoutFromSettings() {
    AlbumLayout layout;
    readCaption(GetSetting(Setting::Caption), layout);
    readPicturesPerPage(GetSetting(Setting::PicturesPerPage), layout);
    layout.fitToPage = switchFromText(GetSetting(Setting::FitToPage)).value_or(layout.fitToPage);
    PageSetup& page = layout.page;
    page.paper = paperSizeFromText(GetSetting(Setting::PaperSize));
    page.orientation =
        pageOrientationFromText(GetSetting(Setting::Orientation)).value_or(page.orientation);
    page.margin = marginFromText(GetSetting(Setting::PageMargin));
    page.templatePath = GetSetting(Setting::Template).trimmed();
    if (page.orientation == PageOrientation::Auto && layout.picturesPerPage != 1) {
        page.orientation = PageOrientation::Office;
    }
    if (page.margin && !pageSetupProblem(layout).isEmpty()) {
        page.margin.reset();
    }
    return layout;
}

void saveAlbumLayout(const AlbumLayout& layout) {
    SaveSetting(Setting::Caption, captionText(layout));
    SaveSetting(Setting::PicturesPerPage, picturesPerPageText(layout));
    SaveSetting(Setting::FitToPage,
                layout.fitToPage ? QStringLiteral("true") : QStringLiteral("false"));
    const PageSetup& page = layout.page;
    SaveSetting(Setting::PaperSize, page.paper ? paperSizeText(*page.paper) : QString());
    SaveSetting(Setting::Orientation, pageOrientationText(page.orientation));
    SaveSetting(Setting::PageMargin, page.margin ? marginText(*page.margin) : QString());
    SaveSetting(Setting::Template, page.templatePath);
}

QString pageSetupProblem(const AlbumLayout& layout) {
    const PageSetup& page = layout.page;
    if (page.orientation == PageOrientation::Auto && layout.picturesPerPage != 1) {
        return QStringLiteral("pages turned to their pictures (orientation auto) take one "
                              "picture a page, not %1")
            .arg(picturesPerPageText(layout));
    }
    if (!page.margin) {
        return QString();
    }
    // Without a paper the office's default page is A4 or Letter: the margins must fit both.
    const QSize paper = page.paper.value_or(QSize(21000, 27940));
    if (!marginLeavesRoom(paper, *page.margin)) {
        return QStringLiteral("margins of %1 mm leave less than %2 mm of the %3 paper for the "
                              "pictures")
            .arg(marginText(*page.margin), marginText(kMinimumTextArea),
                 page.paper ? paperSizeText(*page.paper)
                            : QStringLiteral("default (A4 or Letter)"));
    }
    return QString();
}
