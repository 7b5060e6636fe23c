#pragma once

#include <QString>

inline constexpr char kProductTitle[] = "Lumigrove";

// Cuts a title before its last space until it is at most `maxLength` characters long.
QString shortenTitle(QString title, int maxLength = 40);

// The program-wide title of plain message boxes and input boxes.
QString applicationTitle();
void setApplicationTitle(const QString& title);
