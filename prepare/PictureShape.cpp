#include "prepare/PictureShape.h"

#include <QImageReader>

QSize shownPictureSize(const QString& path) {
    QImageReader reader(path);
    QSize size = reader.size();
    if (size.isValid() &&
        reader.transformation().testFlag(QImageIOHandler::TransformationRotate90)) {
        size.transpose();
    }
    return size;
}
