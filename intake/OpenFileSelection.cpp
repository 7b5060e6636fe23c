#include "intake/OpenFileSelection.h"

#include "intake/PathRoutines.h"

QString openFileFilter() {
    const QString patterns = QStringLiteral(
        "*.emf;*.wmf;*.jpg;*.jpeg;*.jfif;*.jpe;*.png;*.bmp;*.dib;*.rle;*.bmz;*.gif;*.gfa;"
        "*.emz;*.wmz;*.pcz;*.tif;*.tiff;*.cgm;*.eps;*.pct;*.pict;*.wpg;*.heic;*.heif;*.avif;"
        "*.webp");
    return QStringLiteral("All Pictures (") + patterns + QStringLiteral(")|") + patterns +
           QLatin1Char('|');
}

qsizetype selectionResultLength(const QStringList& paths, PathStyle style) {
    if (paths.size() < 2) {
        return paths.isEmpty() ? 0 : paths.first().size();
    }
    const QString folder = folderOfPath(paths.first(), style);
    qsizetype length = folder.size();
    for (const QString& path : paths) {
        const QString name = path.mid(folder.size());
        const QChar separator = QLatin1Char(separatorOf(style));
        const bool inFolder = folderOfPath(path, style) == folder;
        // The folder's own separator is not part of a name; a root folder already ends in it.
        const qsizetype skip = inFolder && name.startsWith(separator) ? 1 : 0;
        length += 1 + (inFolder ? name.size() - skip : path.size());
    }
    return length;
}

bool selectionFitsBuffer(const QStringList& paths, int bufferSize, PathStyle style) {
    if (paths.isEmpty()) {
        return true;
    }
    const int terminators = paths.size() == 1 ? 1 : 2;
    return selectionResultLength(paths, style) + terminators <= bufferSize;
}

QString qtNameFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString& pattern : parts.at(i + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            QString anyCase;
            for (const QChar c : pattern) {
                if (c.isLetter() && c.toLower() != c.toUpper()) {
                    anyCase += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
                } else {
                    anyCase += c;
                }
            }
            patterns.append(anyCase);
        }
        entries.append(parts.at(i) + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')'));
    }
    return entries.join(QStringLiteral(";;"));
}
