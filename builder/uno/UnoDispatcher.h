#pragma once

#include "builder/OfficeDispatcher.h"

#include <com/sun/star/frame/XDispatchHelper.hpp>

// The suite's DispatchHelper.
class UnoDispatcher : public OfficeDispatcher {
public:
    explicit UnoDispatcher(const css::uno::Reference<css::frame::XDispatchHelper>& helper);

    DispatchState executeDispatch(OfficeFrame& frame, const QString& command,
                                  const QString& targetFrame, short searchFlags,
                                  const OfficeArguments& args) override;

private:
    css::uno::Reference<css::frame::XDispatchHelper> m_helper;
};
