#include "builder/uno/UnoController.h"

#include "builder/OfficeBridge.h"
#include "builder/uno/UnoFrame.h"
#include "builder/uno/UnoLink.h"
#include "builder/uno/Writer1.h"
#include "core/AppError.h"

#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/awt/XWindow.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/style/LineSpacing.hpp>
#include <com/sun/star/style/LineSpacingMode.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextContent.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/text/XTextViewCursorSupplier.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>

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
        const css::uno::Reference<css::text::XTextViewCursorSupplier> cursorSupplier(
            m_controller, css::uno::UNO_QUERY_THROW);
        const css::uno::Reference<css::beans::XPropertySet> cursor(cursorSupplier->getViewCursor(),
                                                                   css::uno::UNO_QUERY_THROW);
        cursor->setPropertyValue("ParaStyleName", css::uno::Any(toOUString(styleName)));
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

int UnoController::captionLineHeight() {
    return m_link->call([&] {
        const css::uno::Reference<css::beans::XPropertySet> style =
            documentStyle("ParagraphStyles", "Caption");
        float points = 12.0f;
        style->getPropertyValue("CharHeight") >>= points;
        sal_Int32 above = 0;
        sal_Int32 below = 0;
        style->getPropertyValue("ParaTopMargin") >>= above;
        style->getPropertyValue("ParaBottomMargin") >>= below;
        css::style::LineSpacing spacing;
        double lines = 1.0;
        if ((style->getPropertyValue("ParaLineSpacing") >>= spacing) &&
            spacing.Mode == css::style::LineSpacingMode::PROP && spacing.Height > 100) {
            lines = spacing.Height / 100.0;
        }
        // A line of text is taken as 1.25 times its font size, a little more than the
        // suite's own fonts need.
        const double line = points * 2540.0 / 72.0 * 1.25 * lines;
        return static_cast<int>(std::ceil(line)) + above + below;
    });
}

QSize UnoController::pageTextArea() {
    return m_link->call([&] {
        const css::uno::Reference<css::text::XTextViewCursorSupplier> cursorSupplier(
            m_controller, css::uno::UNO_QUERY_THROW);
        const css::uno::Reference<css::beans::XPropertySet> cursor(cursorSupplier->getViewCursor(),
                                                                   css::uno::UNO_QUERY_THROW);
        rtl::OUString styleName;
        cursor->getPropertyValue("PageStyleName") >>= styleName;
        const css::uno::Reference<css::beans::XPropertySet> style =
            documentStyle("PageStyles", styleName);
        const auto length = [&](const char* name) {
            sal_Int32 value = 0;
            style->getPropertyValue(rtl::OUString::createFromAscii(name)) >>= value;
            return value;
        };
        const auto isOn = [&](const char* name) {
            bool on = false;
            style->getPropertyValue(rtl::OUString::createFromAscii(name)) >>= on;
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

void UnoController::bringWindowToFront() {
    m_link->call([&] {
        const css::uno::Reference<css::frame::XFrame> frame = m_controller->getFrame();
        if (!frame.is()) {
            return;
        }
        const css::uno::Reference<css::awt::XWindow> window = frame->getContainerWindow();
        const css::uno::Reference<css::awt::XTopWindow> top(window, css::uno::UNO_QUERY);
        if (top.is()) {
            top->toFront();
        }
        if (window.is()) {
            window->setFocus();
        }
    });
}
