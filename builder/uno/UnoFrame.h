#pragma once

#include "builder/OfficeFrame.h"

#include <com/sun/star/frame/XDispatchProvider.hpp>
#include <com/sun/star/frame/XFrame.hpp>

// The frame of a document's view, the provider that commands are dispatched to. It makes no
// call itself: the controller asks the office for both under its link's limit.
class UnoFrame : public OfficeFrame {
public:
    UnoFrame(const css::uno::Reference<css::frame::XFrame>& frame,
             const css::uno::Reference<css::frame::XDispatchProvider>& provider);

    const css::uno::Reference<css::frame::XDispatchProvider>& dispatchProvider() const {
        return m_provider;
    }

private:
    css::uno::Reference<css::frame::XFrame> m_frame;
    css::uno::Reference<css::frame::XDispatchProvider> m_provider;
};
