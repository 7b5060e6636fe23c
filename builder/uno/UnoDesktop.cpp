#include "builder/uno/UnoDesktop.h"

#include "builder/OfficeBridge.h"
#include "builder/uno/UnoDocument.h"
#include "builder/uno/UnoLink.h"
#include "builder/uno/Writer1.h"
#include "core/AppError.h"

#include <com/sun/star/awt/XWindow.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/XComponent.hpp>

#include <algorithm>

UnoDesktop::UnoDesktop(std::shared_ptr<UnoLink> link,
                       const css::uno::Reference<css::frame::XDesktop2>& desktop)
    : m_link(std::move(link)), m_desktop(desktop) {}

std::unique_ptr<OfficeDocument> UnoDesktop::loadComponentFromURL(const QString& url,
                                                                 const QString& targetFrame,
                                                                 short searchFlags,
                                                                 const OfficeArguments& args) {
    // A window opened by this call would have its menus and their clipboard state set up on
    // the thread that serves the call, and with its GTK integration the office can then hang
    // for good waiting for the system clipboard. Opened hidden and then shown, the window
    // does that on the office's own thread. A document asked for hidden stays hidden.
    const bool show = std::none_of(args.begin(), args.end(), [](const OfficeArgument& arg) {
        return arg.name == QLatin1String("Hidden");
    });
    OfficeArguments hiddenArgs = args;
    if (show) {
        hiddenArgs.push_back({QStringLiteral("Hidden"), true});
    }
    return m_link->call([&]() -> std::unique_ptr<OfficeDocument> {
        const css::uno::Reference<css::lang::XComponent> component =
            m_desktop->loadComponentFromURL(toOUString(url), toOUString(targetFrame), searchFlags,
                                            toPropertyList(hiddenArgs));
        css::uno::Reference<css::frame::XModel> model(component, css::uno::UNO_QUERY);
        if (!model.is()) {
            throw AppError(QStringLiteral("The office suite opened no document for %1").arg(url),
                           OfficeError::Automation);
        }
        const css::uno::Reference<css::frame::XController> controller =
            show ? model->getCurrentController() : nullptr;
        if (controller.is() && controller->getFrame().is()) {
            controller->getFrame()->getContainerWindow()->setVisible(true);
        }
        return std::make_unique<UnoDocument>(m_link, model);
    });
}

void UnoDesktop::terminate() {
    m_link->call([&] { m_desktop->terminate(); });
}
