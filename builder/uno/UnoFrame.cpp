#include "builder/uno/UnoFrame.h"

#include "builder/uno/UnoErrors.h"

UnoFrame::UnoFrame(const css::uno::Reference<css::frame::XFrame>& frame) : m_frame(frame) {
    m_provider = callOffice([&] {
        return css::uno::Reference<css::frame::XDispatchProvider>(m_frame,
                                                                  css::uno::UNO_QUERY_THROW);
    });
}
