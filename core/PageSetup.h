#pragma once

#include <QSize>
#include <QString>

#include <optional>

// How the pages stand: as the office's default page has it, all upright, all turned on their
// side, or each page turned to its picture (wider than tall: on its side).
enum class PageOrientation { Office, Portrait, Landscape, Auto };

// The pages of the document: the paper, how it stands, the margins, and the user's own
// template that the document is made from. Every part left unset keeps what the office's new
// document (or the template) has.
struct PageSetup {
    // Width x height in hundredths of a millimetre, as the paper was named (a4 is upright).
    std::optional<QSize> paper;
    PageOrientation orientation = PageOrientation::Office;
    // All four margins, in hundredths of a millimetre.
    std::optional<int> margin;
    // A .ott or .odt file; empty makes a plain new document.
    QString templatePath;

    // Out of line: inlined, the optionals' comparison draws false warnings from GCC 12.
    bool operator==(const PageSetup& other) const;
    bool isDefault() const { return *this == PageSetup(); }
};

// The smallest text area, each way, that margins may leave on a page: 10 mm.
inline constexpr int kMinimumTextArea = 1000;

// "a4", "a5", "letter", "legal" (in any letter case) or "WIDTHxHEIGHTmm" with widths from 10
// to 3000 mm ("210x297mm", "215.9x279.4mm", "215,9x279,4mm"); anything else is no paper.
std::optional<QSize> paperSizeFromText(const QString& text);
// The paper's name when it has one, else "WIDTHxHEIGHTmm".
QString paperSizeText(const QSize& paper);

// "portrait", "landscape", "auto".
std::optional<PageOrientation> pageOrientationFromText(const QString& text);
QString pageOrientationText(PageOrientation orientation);

// A number of millimetres from 0 to 1000, decimals allowed ("12.5" or "12,5"), in hundredths
// of a millimetre.
std::optional<int> marginFromText(const QString& text);
QString marginText(int margin);

// True when margins of `margin` on all four sides of `paper` leave a text area of at least
// kMinimumTextArea each way.
bool marginLeavesRoom(const QSize& paper, int margin);

// The page in `orientation`: width and height swapped when the page stands the other way;
// Office and Auto leave it as it is.
QSize orientedPaper(const QSize& paper, PageOrientation orientation);
