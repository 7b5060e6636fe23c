#include "builder/uno/UnoFrame.h"

UnoFrame::UnoFrame(const css::uno::Reference<css::frame::XFrame>& frame,
                   const css::uno::Reference<css::frame::XDispatchProvider>& provider)
    : m_frame(frame), m_provider(provider) {}
