#include "builder/uno/UnoCursor.h"

#include "builder/uno/UnoLink.h"
#include "builder/uno/UnoStyles.h"
#include "builder/uno/Writer1.h"

#include <com/sun/star/text/ControlCharacter.hpp>
#include <com/sun/star/text/XParagraphCursor.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextViewCursorSupplier.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>

#include <algorithm>
#include <cmath>

using namespace UnoStyleReading;

UnoCursor::UnoCursor(std::shared_ptr<UnoLink> link,
                     const css::uno::Reference<css::frame::XController>& controller)
    : m_link(std::move(link)), m_controller(controller) {}

css::uno::Reference<css::beans::XPropertySet> UnoCursor::viewCursor() {
    const css::uno::Reference<css::text::XTextViewCursorSupplier> cursorSupplier(
        m_controller, css::uno::UNO_QUERY_THROW);
    return css::uno::Reference<css::beans::XPropertySet>(cursorSupplier->getViewCursor(),
                                                         css::uno::UNO_QUERY_THROW);
}

void UnoCursor::setParagraphStyle(const QString& styleName) {
    m_link->call([&] {
        viewCursor()->setPropertyValue("ParaStyleName", css::uno::Any(toOUString(styleName)));
    });
}

QString UnoCursor::pageStyle() {
    return m_link->call([&] {
        rtl::OUString name;
        viewCursor()->getPropertyValue("PageStyleName") >>= name;
        return fromOUString(name);
    });
}

void UnoCursor::setPageStyle(const QString& styleName) {
    m_link->call([&] {
        viewCursor()->setPropertyValue("PageDescName", css::uno::Any(toOUString(styleName)));
    });
}

void UnoCursor::startParagraphAtEnd() {
    m_link->call([&] {
        const css::uno::Reference<css::text::XTextDocument> document(m_controller->getModel(),
                                                                     css::uno::UNO_QUERY_THROW);
        const css::uno::Reference<css::text::XText> body = document->getText();
        const css::uno::Reference<css::text::XTextCursor> cursor =
            body->createTextCursorByRange(body->getEnd());
        const css::uno::Reference<css::text::XParagraphCursor> paragraph(cursor,
                                                                         css::uno::UNO_QUERY_THROW);
        paragraph->gotoStartOfParagraph(true);
        const bool empty = cursor->getString().isEmpty();
        cursor->collapseToEnd();
        if (!empty) {
            body->insertControlCharacter(css::uno::Reference<css::text::XTextRange>(cursor.get()),
                                         css::text::ControlCharacter::PARAGRAPH_BREAK, false);
        }
        const css::uno::Reference<css::view::XSelectionSupplier> selection(
            m_controller, css::uno::UNO_QUERY_THROW);
        selection->select(css::uno::Any(body->getEnd()));
    });
}

int UnoCursor::pictureLineExtra() {
    return m_link->call([&] {
        const ParagraphMetrics paragraph = paragraphMetrics(viewCursor());
        // Single spacing adds nothing to a line that a picture fills; proportional spacing
        // adds its share above 100 % of a line of the paragraph's font, leading spacing its
        // own height.
        double extra = 0.0;
        const css::style::LineSpacing& spacing = paragraph.spacing;
        if (spacing.Mode == css::style::LineSpacingMode::PROP && spacing.Height > 100) {
            extra = paragraph.line * (spacing.Height - 100) / 100.0;
        } else if (spacing.Mode == css::style::LineSpacingMode::LEADING) {
            extra = std::max<double>(0, spacing.Height);
        }
        return static_cast<int>(std::ceil(extra)) + paragraph.above + paragraph.below;
    });
}

QSize UnoCursor::pageTextArea() {
    return m_link->call([&] {
        rtl::OUString name;
        viewCursor()->getPropertyValue("PageStyleName") >>= name;
        return pageFormatOf(documentStyle(m_controller->getModel(), "PageStyles", name)).textArea();
    });
}
