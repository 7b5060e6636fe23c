#include "builder/PageStyles.h"

#include "builder/OfficeController.h"

#include <QImageReader>

void PageStyles::prepare() {
    m_base = m_controller.cursorPageStyle();
    m_current = m_base;
    const bool turning = m_setup.orientation == PageOrientation::Auto;
    m_controller.changePageStyle({m_base, QString(), m_setup.paper,
                                  turning ? PageOrientation::Portrait : m_setup.orientation,
                                  m_setup.margin});
    if (turning) {
        m_controller.changePageStyle({QString::fromLatin1(kLandscapeStyle), m_base, m_setup.paper,
                                      PageOrientation::Landscape, m_setup.margin});
    }
}

QString PageStyles::startPage(const QString& picturePath, bool firstPage) {
    if (m_setup.orientation != PageOrientation::Auto) {
        return m_base;
    }
    const QString wanted =
        pictureIsWide(picturePath) ? QString::fromLatin1(kLandscapeStyle) : m_base;
    // A page after a break takes the style that follows the last one's; each is set.
    if (!firstPage || wanted != m_current) {
        m_controller.setCursorPageStyle(wanted);
    }
    m_current = wanted;
    return wanted;
}

bool pictureIsWide(const QString& path) {
    QImageReader reader(path);
    QSize size = reader.size();
    if (!size.isValid()) {
        return false;
    }
    // The office turns a JPEG as its EXIF orientation says; a quarter turn swaps the sides.
    if (reader.transformation().testFlag(QImageIOHandler::TransformationRotate90)) {
        size.transpose();
    }
    return size.width() > size.height();
}
