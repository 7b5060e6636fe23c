#include "builder/uno/UnoController.h"

#include "builder/OfficeBridge.h"
#include "builder/uno/UnoFrame.h"
#include "builder/uno/UnoLink.h"
#include "builder/uno/Writer1.h"
#include "core/AppError.h"

#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/awt/SystemDependentXWindow.hpp>
#include <com/sun/star/awt/XSystemDependentWindowPeer.hpp>
#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/awt/XWindow.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/SystemDependent.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/style/LineSpacing.hpp>
#include <com/sun/star/style/LineSpacingMode.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/text/ControlCharacter.hpp>
#include <com/sun/star/text/TextContentAnchorType.hpp>
#include <com/sun/star/text/XParagraphCursor.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextContent.hpp>
#include <com/sun/star/text/XTextCursor.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextViewCursorSupplier.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>
#include <rtl/process.h>

#include <algorithm>
#include <cmath>

UnoController::UnoController(std::shared_ptr<UnoLink> link,
                             const css::uno::Reference<css::frame::XController>& controller)
    : m_link(std::move(link)), m_controller(controller) {}

std::unique_ptr<OfficeFrame> UnoController::getFrame() {
    return m_link->call([&] {
        const css::uno::Reference<css::frame::XFrame> frame = m_controller->getFrame();
        if (!frame.is()) {
            throw AppError(QStringLiteral("The document's view has no frame"),
                           OfficeError::Automation);
        }
        return std::make_unique<UnoFrame>(frame, css::uno::Reference<css::frame::XDispatchProvider>(
                                                     frame, css::uno::UNO_QUERY_THROW));
    });
}

bool UnoController::selectionIsText() {
    return m_link->call([&] {
        const css::uno::Reference<css::view::XSelectionSupplier> supplier(
            m_controller, css::uno::UNO_QUERY_THROW);
        const css::uno::Reference<css::lang::XServiceInfo> selection(supplier->getSelection(),
                                                                     css::uno::UNO_QUERY);
        return selection.is() && selection->supportsService("com.sun.star.text.TextRanges");
    });
}

css::uno::Reference<css::beans::XPropertySet> UnoController::selectedPicture() {
    const css::uno::Reference<css::view::XSelectionSupplier> supplier(m_controller,
                                                                      css::uno::UNO_QUERY_THROW);
    const css::uno::Reference<css::lang::XServiceInfo> selection(supplier->getSelection(),
                                                                 css::uno::UNO_QUERY);
    if (!selection.is() || !selection->supportsService("com.sun.star.text.TextGraphicObject")) {
        throw AppError(QStringLiteral("No picture is selected in the document"),
                       OfficeError::Automation);
    }
    return css::uno::Reference<css::beans::XPropertySet>(selection, css::uno::UNO_QUERY_THROW);
}

void UnoController::selectEndOfPictureText() {
    m_link->call([&] {
        const css::uno::Reference<css::view::XSelectionSupplier> supplier(
            m_controller, css::uno::UNO_QUERY_THROW);
        const css::uno::Reference<css::text::XTextContent> picture(supplier->getSelection(),
                                                                   css::uno::UNO_QUERY);
        const css::uno::Reference<css::lang::XServiceInfo> info(picture, css::uno::UNO_QUERY);
        if (!info.is() || !info->supportsService("com.sun.star.text.TextGraphicObject")) {
            return; // no picture selected: nothing to leave
        }
        supplier->select(css::uno::Any(picture->getAnchor()->getText()->getEnd()));
    });
}

void UnoController::selectEndOfBodyText() {
    m_link->call([&] {
        if (!m_bodyText.is()) {
            const css::uno::Reference<css::text::XTextDocument> document(m_controller->getModel(),
                                                                         css::uno::UNO_QUERY_THROW);
            m_bodyText = document->getText();
            m_selection.set(m_controller, css::uno::UNO_QUERY_THROW);
        }
        if (!m_selection->select(css::uno::Any(m_bodyText->getEnd()))) {
            throw AppError(QStringLiteral("The office suite did not put the cursor after the "
                                          "picture"),
                           OfficeError::Automation);
        }
    });
}

void UnoController::setCursorParagraphStyle(const QString& styleName) {
    m_link->call([&] {
        viewCursor()->setPropertyValue("ParaStyleName", css::uno::Any(toOUString(styleName)));
    });
}

QSize UnoController::selectedPictureSize() {
    return m_link->call([&] {
        css::awt::Size size;
        selectedPicture()->getPropertyValue("Size") >>= size;
        return QSize(size.Width, size.Height);
    });
}

void UnoController::setSelectedPictureSize(const QSize& size) {
    m_link->call([&] {
        selectedPicture()->setPropertyValue(
            "Size", css::uno::Any(css::awt::Size(size.width(), size.height())));
    });
}

css::uno::Reference<css::beans::XPropertySet>
UnoController::documentStyle(const rtl::OUString& family, const rtl::OUString& name) {
    const css::uno::Reference<css::style::XStyleFamiliesSupplier> families(
        m_controller->getModel(), css::uno::UNO_QUERY_THROW);
    const css::uno::Reference<css::container::XNameAccess> styles(
        families->getStyleFamilies()->getByName(family), css::uno::UNO_QUERY_THROW);
    return css::uno::Reference<css::beans::XPropertySet>(styles->getByName(name),
                                                         css::uno::UNO_QUERY_THROW);
}

namespace {

// What a paragraph's properties say of its height, in hundredths of a millimetre.
struct ParagraphMetrics {
    // A line of its text, taken as 1.25 times the font size, a little more than the suite's
    // own fonts need.
    double line = 0.0;
    sal_Int32 above = 0;
    sal_Int32 below = 0;
    css::style::LineSpacing spacing{css::style::LineSpacingMode::PROP, 100};
};

ParagraphMetrics paragraphMetrics(const css::uno::Reference<css::beans::XPropertySet>& paragraph) {
    ParagraphMetrics metrics;
    float points = 12.0f;
    paragraph->getPropertyValue("CharHeight") >>= points;
    metrics.line = points * 2540.0 / 72.0 * 1.25;
    paragraph->getPropertyValue("ParaTopMargin") >>= metrics.above;
    paragraph->getPropertyValue("ParaBottomMargin") >>= metrics.below;
    paragraph->getPropertyValue("ParaLineSpacing") >>= metrics.spacing;
    return metrics;
}

} // namespace

int UnoController::captionLineHeight() {
    return m_link->call([&] {
        const ParagraphMetrics caption =
            paragraphMetrics(documentStyle("ParagraphStyles", "Caption"));
        double lines = 1.0;
        if (caption.spacing.Mode == css::style::LineSpacingMode::PROP &&
            caption.spacing.Height > 100) {
            lines = caption.spacing.Height / 100.0;
        }
        return static_cast<int>(std::ceil(caption.line * lines)) + caption.above + caption.below;
    });
}

int UnoController::pictureLineExtra() {
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

css::uno::Reference<css::beans::XPropertySet> UnoController::viewCursor() {
    const css::uno::Reference<css::text::XTextViewCursorSupplier> cursorSupplier(
        m_controller, css::uno::UNO_QUERY_THROW);
    return css::uno::Reference<css::beans::XPropertySet>(cursorSupplier->getViewCursor(),
                                                         css::uno::UNO_QUERY_THROW);
}

QSize UnoController::pageTextArea(const QString& styleName) {
    return m_link->call([&] {
        rtl::OUString name = toOUString(styleName);
        if (styleName.isEmpty()) {
            viewCursor()->getPropertyValue("PageStyleName") >>= name;
        }
        const css::uno::Reference<css::beans::XPropertySet> style =
            documentStyle("PageStyles", name);
        const auto length = [&](const char* property) {
            sal_Int32 value = 0;
            style->getPropertyValue(rtl::OUString::createFromAscii(property)) >>= value;
            return value;
        };
        const auto isOn = [&](const char* property) {
            bool on = false;
            style->getPropertyValue(rtl::OUString::createFromAscii(property)) >>= on;
            return on;
        };
        sal_Int32 width = length("Width") - length("LeftMargin") - length("RightMargin");
        sal_Int32 height = length("Height") - length("TopMargin") - length("BottomMargin");
        if (isOn("HeaderIsOn")) {
            height -= length("HeaderHeight") + length("HeaderBodyDistance");
        }
        if (isOn("FooterIsOn")) {
            height -= length("FooterHeight") + length("FooterBodyDistance");
        }
        return QSize(width, height);
    });
}

QString UnoController::cursorPageStyle() {
    return m_link->call([&] {
        rtl::OUString name;
        viewCursor()->getPropertyValue("PageStyleName") >>= name;
        return fromOUString(name);
    });
}

QString UnoController::nextPageStyle(const QString& styleName) {
    return m_link->call([&] {
        rtl::OUString next;
        documentStyle("PageStyles", toOUString(styleName))->getPropertyValue("FollowStyle") >>=
            next;
        return next.isEmpty() ? styleName : fromOUString(next);
    });
}

void UnoController::changePageStyle(const PageStyleChange& change) {
    m_link->call([&] {
        const css::uno::Reference<css::frame::XModel> model = m_controller->getModel();
        const css::uno::Reference<css::style::XStyleFamiliesSupplier> families(
            model, css::uno::UNO_QUERY_THROW);
        const css::uno::Reference<css::container::XNameContainer> styles(
            families->getStyleFamilies()->getByName("PageStyles"), css::uno::UNO_QUERY_THROW);
        const rtl::OUString name = toOUString(change.name);
        const bool made = !styles->hasByName(name);
        if (made) {
            const css::uno::Reference<css::lang::XMultiServiceFactory> factory(
                model, css::uno::UNO_QUERY_THROW);
            styles->insertByName(
                name, css::uno::Any(factory->createInstance("com.sun.star.style.PageStyle")));
        }
        const css::uno::Reference<css::beans::XPropertySet> style(styles->getByName(name),
                                                                  css::uno::UNO_QUERY_THROW);
        const css::uno::Reference<css::beans::XPropertySet> source =
            change.model.isEmpty() ? style : documentStyle("PageStyles", toOUString(change.model));
        // A style that turns the pages of another keeps its header and footer: what the
        // user's template puts on every page is on the turned pages too (as plain text).
        if (source != style) {
            for (const char* part : {"Header", "Footer"}) {
                const rtl::OUString isOn = rtl::OUString::createFromAscii(part) + "IsOn";
                bool on = false;
                source->getPropertyValue(isOn) >>= on;
                style->setPropertyValue(isOn, css::uno::Any(on));
                if (on) {
                    const rtl::OUString text = rtl::OUString::createFromAscii(part) + "Text";
                    css::uno::Reference<css::text::XText> from;
                    css::uno::Reference<css::text::XText> to;
                    source->getPropertyValue(text) >>= from;
                    style->getPropertyValue(text) >>= to;
                    if (from.is() && to.is()) {
                        to->setString(from->getString());
                    }
                }
            }
        }
        QSize paper;
        if (change.paper) {
            paper = *change.paper;
        } else {
            sal_Int32 width = 0;
            sal_Int32 height = 0;
            source->getPropertyValue("Width") >>= width;
            source->getPropertyValue("Height") >>= height;
            paper = QSize(width, height);
        }
        paper = orientedPaper(paper, change.orientation);
        style->setPropertyValue("IsLandscape", css::uno::Any(paper.width() > paper.height()));
        style->setPropertyValue("Width", css::uno::Any(sal_Int32(paper.width())));
        style->setPropertyValue("Height", css::uno::Any(sal_Int32(paper.height())));
        if (change.margin) {
            for (const char* side : {"LeftMargin", "RightMargin", "TopMargin", "BottomMargin"}) {
                style->setPropertyValue(rtl::OUString::createFromAscii(side),
                                        css::uno::Any(sal_Int32(*change.margin)));
            }
        }
    });
}

void UnoController::setCursorPageStyle(const QString& styleName) {
    m_link->call([&] {
        viewCursor()->setPropertyValue("PageDescName", css::uno::Any(toOUString(styleName)));
    });
}

void UnoController::anchorPicturesAsCharacters() {
    m_link->call([&] {
        documentStyle("FrameStyles", "Graphics")
            ->setPropertyValue("AnchorType",
                               css::uno::Any(css::text::TextContentAnchorType_AS_CHARACTER));
    });
}

void UnoController::startParagraphAtEnd() {
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

quint64 UnoController::bringWindowToFront() {
    return m_link->call([&]() -> quint64 {
        const css::uno::Reference<css::frame::XFrame> frame = m_controller->getFrame();
        if (!frame.is()) {
            return 0;
        }
        const css::uno::Reference<css::awt::XWindow> window = frame->getContainerWindow();
        const css::uno::Reference<css::awt::XTopWindow> top(window, css::uno::UNO_QUERY);
        if (top.is()) {
            top->toFront();
        }
        if (window.is()) {
            window->setFocus();
        }
        // The office (7.4) gives the window's X11 id to any process, although the process id it
        // is asked with is ours and not its own; an office that gives nothing names no window.
        const css::uno::Reference<css::awt::XSystemDependentWindowPeer> peer(window,
                                                                             css::uno::UNO_QUERY);
        if (!peer.is()) {
            return 0;
        }
        css::awt::SystemDependentXWindow x11;
        css::uno::Sequence<sal_Int8> process(16);
        rtl_getGlobalProcessId(reinterpret_cast<sal_uInt8*>(process.getArray()));
        if (!(peer->getWindowHandle(process, css::lang::SystemDependent::SYSTEM_XWINDOW) >>= x11)) {
            return 0;
        }
        return static_cast<quint64>(x11.WindowHandle);
    });
}
