#pragma once

#include "core/AlbumLayout.h"
#include "core/PicturePolicy.h"

// What the document options dialog shows and hands back: the layout of the document and what
// is done to the pictures before they go in.
struct DocumentOptions {
    AlbumLayout layout;
    PicturePolicy pictures;

    bool operator==(const DocumentOptions&) const = default;
};
