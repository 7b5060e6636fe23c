#pragma once

#include "builder/OfficeDispatcher.h"

#include <com/sun/star/frame/XDispatchHelper.hpp>

#include <memory>

class UnoLink;

// The office's DispatchHelper.
class UnoDispatcher : public OfficeDispatcher {
public:
    UnoDispatcher(std::shared_ptr<UnoLink> link,
                  const css::uno::Reference<css::frame::XDispatchHelper>& helper);

    DispatchState executeDispatch(OfficeFrame& frame, const QString& command,
                                  const QString& targetFrame, short searchFlags,
                                  const OfficeArguments& args) override;

private:
    std::shared_ptr<UnoLink> m_link;
    css::uno::Reference<css::frame::XDispatchHelper> m_helper;
};
