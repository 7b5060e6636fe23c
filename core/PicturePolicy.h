#pragma once

#include <QString>

#include <optional>

// What is done to the pictures before the office gets them: how many pixels an inch of the
// page keeps (0 keeps every pixel), the quality of the JPEGs written, and whether location and
// camera data go.
struct PicturePolicy {
    int pixelsPerInch = 0;
    int jpegQuality = 85;
    bool stripMetadata = false;

    bool operator==(const PicturePolicy&) const = default;
};

// The presets: print 220 ppi, screen 150, email 96.
inline constexpr int kPrintPixelsPerInch = 220;
inline constexpr int kScreenPixelsPerInch = 150;
inline constexpr int kEmailPixelsPerInch = 96;
inline constexpr int kMaxPixelsPerInch = 2400;

// "original" (0), "print", "screen", "email" or "NNNppi" (1 to 2400) to pixels per inch; any
// other text is no size.
std::optional<int> pictureSizeFromText(const QString& text);
// The word of a preset, or "NNNppi"; "original" for 0.
QString pictureSizeText(int pixelsPerInch);
// 1 to 100.
std::optional<int> jpegQualityFromText(const QString& text);

// The policy kept in the settings (`PictureSize`, `JpegQuality`, `StripMetadata`); a value a
// person wrote that is none of the words above counts as that setting's default.
PicturePolicy picturePolicyFromSettings();
// Writes the three settings; throws AppError when the store cannot be written.
void savePicturePolicy(const PicturePolicy& policy);
