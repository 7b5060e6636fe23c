#pragma once

#include "core/CaptionPattern.h"
#include "core/PageSetup.h"

#include <QString>

#include <optional>

// What each picture gets written under it: nothing, its file name, its file name without the
// extension, or the layout's caption pattern filled in for it.
enum class CaptionKind { None, Name, Stem, Pattern };

// How the pictures are laid out in the document. The default is one picture per page at the
// size the office gives it, with no caption.
struct AlbumLayout {
    CaptionKind caption = CaptionKind::None;
    // How many pictures a page holds: 1, 2 (stacked), 4 (two rows of two) or, with
    // `gridColumns`, the cells of a grid.
    int picturesPerPage = 1;
    // Every picture scaled, aspect kept, to the largest size that fits its share of the page.
    bool fitToPage = false;
    // The paper, how the pages stand, the margins and the template.
    PageSetup page;
    // The pattern of `CaptionKind::Pattern`.
    CaptionPattern captionPattern = {};
    // The columns of a grid of `picturesPerPage / gridColumns` rows, one table a page; 0 for 1, 2
    // and 4, which stand as they always have (a grid of 1x1, 1x2 or 2x2 reads as one of them).
    int gridColumns = 0;

    bool operator==(const AlbumLayout&) const = default;
    bool isDefault() const { return *this == AlbumLayout(); }
};

// The words of the settings and of the command line: "none", "name", "stem" ("pattern" names
// the last kind in messages only: a pattern is written as itself, see captionText).
QString captionKindText(CaptionKind kind);
std::optional<CaptionKind> captionKindFromText(const QString& text);
// The caption of the setting and the command line: one of the words, or the pattern's text.
QString captionText(const AlbumLayout& layout);
// Sets the layout's caption from one of the words (in any letter case, spaces around allowed)
// or a pattern with at least one field; false, with the reason in `problem` and the layout
// left as it was, for any other text.
bool readCaption(const QString& text, AlbumLayout& layout, QString* problem = nullptr);
// 1, 2 and 4 are the only counts; anything else is no count.
std::optional<int> picturesPerPageFromText(const QString& text);
// The grids a page may hold, columns by rows.
inline constexpr int kMostGridColumns = 6;
inline constexpr int kMostGridRows = 8;
// Sets the layout's pictures per page from a count or a grid "COLUMNSxROWS" ("3x4", "3X4";
// spaces around allowed); false, with the reason in `problem` and the layout left as it was,
// for any other text.
bool readPicturesPerPage(const QString& text, AlbumLayout& layout, QString* problem = nullptr);
// The count, or the grid as "3x4": the words of the setting and the command line.
QString picturesPerPageText(const AlbumLayout& layout);

// The places of one page: columns by rows, in the cells of a table (4 and the grids) or in
// paragraphs of their own (1, and 2 stacked).
struct PageGrid {
    int columns = 1;
    int rows = 1;
    bool table = false;
};
PageGrid pageGrid(const AlbumLayout& layout);
// "true"/"false", "yes"/"no", "on"/"off", "1"/"0", in any letter case.
std::optional<bool> switchFromText(const QString& text);

// The caption for a picture path under `kind`: its file name after the last "/", without the
// extension for `Stem` (a name that only starts with a dot keeps it: ".hidden"), with every
// control character (a newline, a tab) turned into a space.
QString captionFor(const QString& path, CaptionKind kind);
// The caption of the picture at `path` as it goes into the document (see CaptionPattern): none
// without captions, one piece of text for a file name, and the pattern's pieces otherwise.
QList<CaptionPiece> captionPieces(const AlbumLayout& layout, const QString& path,
                                  const PictureFacts& facts);

// The layout kept in the settings (`Caption`, `PicturesPerPage`, `FitToPage`, `PaperSize`,
// `Orientation`, `PageMargin`, `Template`); a value a person wrote that is none of the words
// above counts as that setting's default, and so do margins that leave no room on the paper
// and "auto" pages with more than one picture to a page.
AlbumLayout albumLayoutFromSettings();
// Writes all seven settings; throws AppError when the store cannot be written.
void saveAlbumLayout(const AlbumLayout& layout);

// Why the layout's page setup cannot be used with its pictures per page, or "" when it can:
// "auto" pages turn with one picture each, and margins must leave room on the chosen paper (or
// on the smallest of the default papers, A4 and Letter).
QString pageSetupProblem(const AlbumLayout& layout);
