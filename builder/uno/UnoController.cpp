#include "builder/uno/UnoController.h"

#include "builder/OfficeBridge.h"
#include "builder/uno/UnoCursor.h"
#include "builder/uno/UnoFrame.h"
#include "builder/uno/UnoLink.h"
#include "builder/uno/Writer1.h"
#include "core/AppError.h"

#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/awt/SystemDependentXWindow.hpp>
#include <com/sun/star/awt/XSystemDependentWindowPeer.hpp>
#include <com/sun/star/awt/XTopWindow.hpp>
#include <com/sun/star/awt/XWindow.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/lang/SystemDependent.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextContent.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>
#include <rtl/process.h>

UnoController::UnoController(std::shared_ptr<UnoLink> link,
                             const css::uno::Reference<css::frame::XController>& controller)
    : m_link(std::move(link)), m_controller(controller) {}

std::unique_ptr<OfficeCursor> UnoController::cursor() {
    return std::make_unique<UnoCursor>(m_link, m_controller);
}

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
