#include "builder/PageStyles.h"

#include "builder/OfficeCursor.h"
#include "builder/OfficeStyles.h"

void PageStyles::prepare() {
    // A template's last page may be a first page of its own (a letterhead) whose next pages
    // take another style: both get the setup.
    m_first = m_cursor.pageStyle();
    const QString follow = m_styles.pageFormat(m_first).follow;
    m_base = follow.isEmpty() ? m_first : follow;
    const PageOrientation upright = turnsPages() ? PageOrientation::Portrait : m_setup.orientation;
    change(m_first, QString(), upright);
    if (m_base != m_first) {
        change(m_base, QString(), upright);
    }
    if (turnsPages()) {
        change(QString::fromLatin1(kLandscapeStyle), m_base, PageOrientation::Landscape);
    }
}

QString PageStyles::styleFor(bool wide, bool firstPage) const {
    if (turnsPages() && wide) {
        return QString::fromLatin1(kLandscapeStyle);
    }
    return firstPage ? m_first : m_base;
}

void PageStyles::change(const QString& name, const QString& model, PageOrientation orientation) {
    if (!m_styles.hasPageStyle(name)) {
        m_styles.makePageStyle(name);
    }
    const QString source = model.isEmpty() ? name : model;
    // A style that turns the pages of another keeps its header and footer: what the user's
    // template puts on every page is on the turned pages too (as plain text).
    if (source != name) {
        m_styles.copyHeaderAndFooter(source, name);
    }
    const QSize paper = orientedPaper(
        m_setup.paper ? *m_setup.paper : m_styles.pageFormat(source).paper, orientation);
    m_styles.setPaper(name, paper, paper.width() > paper.height());
    if (m_setup.margin) {
        m_styles.setMargins(name, *m_setup.margin);
    }
}
