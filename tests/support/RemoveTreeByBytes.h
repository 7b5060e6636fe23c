#pragma once

#include <QByteArray>

#include <cstdio>

#include <ftw.h>

// Removes a tree by its bytes when it goes out of scope, also when a check fails:
// QTemporaryDir cannot remove names that are not UTF-8.
struct RemoveTreeByBytes {
    QByteArray path;
    ~RemoveTreeByBytes() {
        ::nftw(
            path.constData(),
            [](const char* entry, const struct stat*, int, struct FTW*) { return ::remove(entry); },
            16, FTW_DEPTH | FTW_PHYS);
    }
};
