#include "builder/PageStyles.h"

#include "builder/OfficeController.h"

#include <QImageReader>

void PageStyles::prepare() {
    // A template's last page may be a first page of its own (a letterhead) whose next pages
    // take another style: both get the setup.
    m_first = m_controller.cursorPageStyle();
    m_base = m_controller.nextPageStyle(m_first);
    m_current = m_first;
    const bool turning = m_setup.orientation == PageOrientation::Auto;
    const PageOrientation upright = turning ? PageOrientation::Portrait : m_setup.orientation;
    m_controller.changePageStyle({m_first, QString(), m_setup.paper, upright, m_setup.margin});
    if (m_base != m_first) {
        m_controller.changePageStyle({m_base, QString(), m_setup.paper, upright, m_setup.margin});
    }
    if (turning) {
        m_controller.changePageStyle({QString::fromLatin1(kLandscapeStyle), m_base, m_setup.paper,
                                      PageOrientation::Landscape, m_setup.margin});
    }
}

QString PageStyles::startPage(const QString& picturePath, bool firstPage) {
    const QString upright = firstPage ? m_first : m_base;
    if (m_setup.orientation != PageOrientation::Auto) {
        return upright;
    }
    const QString wanted =
        pictureIsWide(picturePath) ? QString::fromLatin1(kLandscapeStyle) : upright;
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
