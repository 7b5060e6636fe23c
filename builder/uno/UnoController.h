#pragma once

#include "builder/OfficeController.h"

#include <com/sun/star/frame/XController.hpp>

// A document view's controller.
class UnoController : public OfficeController {
public:
    explicit UnoController(const css::uno::Reference<css::frame::XController>& controller);

    std::unique_ptr<OfficeFrame> getFrame() override;
    bool selectionIsText() override;

private:
    css::uno::Reference<css::frame::XController> m_controller;
};
