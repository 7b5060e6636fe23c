#pragma once

#include "builder/OfficeFrame.h"

#include <com/sun/star/frame/XDispatchProvider.hpp>
#include <com/sun/star/frame/XFrame.hpp>

// The frame of a document's view, the provider that commands are dispatched to.
class UnoFrame : public OfficeFrame {
public:
    explicit UnoFrame(const css::uno::Reference<css::frame::XFrame>& frame);

    const css::uno::Reference<css::frame::XDispatchProvider>& dispatchProvider() const {
        return m_provider;
    }

private:
    css::uno::Reference<css::frame::XFrame> m_frame;
    css::uno::Reference<css::frame::XDispatchProvider> m_provider;
};
