#pragma once

// Every per-user setting the program reads or writes, with the value it has when the store
// holds none.
struct SettingKey {
    const char* name;
    const char* defaultValue;
};

namespace Setting {
// The extension last given to the folder add.
inline constexpr SettingKey Extension{"Extension", "*"};
// The folder last chosen for the folder add; the folder browser opens on it.
inline constexpr SettingKey LastFolder{"LastFolder", ""};
// A web page opened on about one start in a hundred; empty opens nothing.
inline constexpr SettingKey HomePage{"HomePage", ""};
// A UNO connection to a running office ("pipe,name=x;urp"); empty starts one.
inline constexpr SettingKey OfficeConnection{"OfficeConnection", ""};
// Seconds the office may take to answer one call before the run gives up on it.
inline constexpr SettingKey OfficeTimeout{"OfficeTimeout", "60"};
// Seconds to wait after each inserted picture.
inline constexpr SettingKey InsertPause{"InsertPause", "2"};
// The caption under each picture: "none", "name" (the file name), "stem" (without the
// extension) or a pattern with fields, such as "{n}. {stem}, {date}".
inline constexpr SettingKey Caption{"Caption", "none"};
// Pictures on each page of the document: 1, 2, 4 or a grid COLUMNSxROWS such as 3x4.
inline constexpr SettingKey PicturesPerPage{"PicturesPerPage", "1"};
// "true" scales every picture to the largest size that fits its share of the page.
inline constexpr SettingKey FitToPage{"FitToPage", "false"};
// The paper of the document's pages: "a4", "a5", "letter", "legal" or "WIDTHxHEIGHTmm"; empty
// keeps the office's default page.
inline constexpr SettingKey PaperSize{"PaperSize", ""};
// "portrait", "landscape" or "auto" (each page turned to its picture, one picture a page);
// empty keeps the office's default.
inline constexpr SettingKey Orientation{"Orientation", ""};
// All four page margins in millimetres; empty keeps the office's default.
inline constexpr SettingKey PageMargin{"PageMargin", ""};
// A .ott or .odt file the new document is made from; empty makes a plain one.
inline constexpr SettingKey Template{"Template", ""};
// How many pixels an inch of the page keeps: "original" (every pixel), "print" (220 ppi),
// "screen" (150), "email" (96) or "NNNppi".
inline constexpr SettingKey PictureSize{"PictureSize", "original"};
// The quality (1 to 100) of the JPEGs written for pictures that are made smaller or converted.
inline constexpr SettingKey JpegQuality{"JpegQuality", "85"};
// "true" removes location, camera serial numbers, maker notes, thumbnails, XMP and comments.
inline constexpr SettingKey StripMetadata{"StripMetadata", "false"};
} // namespace Setting
