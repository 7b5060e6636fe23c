#include "builder/uno/UnoDispatcher.h"

#include "builder/OfficeBridge.h"
#include "builder/uno/UnoFrame.h"
#include "builder/uno/UnoLink.h"
#include "builder/uno/Writer1.h"
#include "core/AppError.h"

#include <com/sun/star/frame/DispatchResultEvent.hpp>
#include <com/sun/star/frame/DispatchResultState.hpp>

UnoDispatcher::UnoDispatcher(std::shared_ptr<UnoLink> link,
                             const css::uno::Reference<css::frame::XDispatchHelper>& helper)
    : m_link(std::move(link)), m_helper(helper) {}

DispatchState UnoDispatcher::executeDispatch(OfficeFrame& frame, const QString& command,
                                             const QString& targetFrame, short searchFlags,
                                             const OfficeArguments& args) {
    auto* target = dynamic_cast<UnoFrame*>(&frame);
    if (target == nullptr) {
        throw AppError(QStringLiteral("The frame does not belong to this office suite"),
                       OfficeError::Automation);
    }
    return m_link->call([&] {
        const css::uno::Any result =
            m_helper->executeDispatch(target->dispatchProvider(), toOUString(command),
                                      toOUString(targetFrame), searchFlags, toPropertyList(args));
        css::frame::DispatchResultEvent event;
        if (!(result >>= event)) {
            return DispatchState::Unknown;
        }
        switch (event.State) {
        case css::frame::DispatchResultState::SUCCESS:
            return DispatchState::Success;
        case css::frame::DispatchResultState::FAILURE:
            return DispatchState::Failure;
        default:
            return DispatchState::DontKnow;
        }
    });
}
