#include "builder/uno/UnoController.h"

#include "builder/OfficeBridge.h"
#include "builder/uno/UnoFrame.h"
#include "builder/uno/UnoLink.h"
#include "core/AppError.h"

#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>

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
        return std::make_unique<UnoFrame>(frame);
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
