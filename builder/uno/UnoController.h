#pragma once

#include "builder/OfficeController.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/frame/XController.hpp>

#include <memory>

class UnoLink;

// A document view's controller.
class UnoController : public OfficeController {
public:
    UnoController(std::shared_ptr<UnoLink> link,
                  const css::uno::Reference<css::frame::XController>& controller);

    std::unique_ptr<OfficeFrame> getFrame() override;
    bool selectionIsText() override;
    void selectEndOfPictureText() override;
    void setCursorParagraphStyle(const QString& styleName) override;
    QSize selectedPictureSize() override;
    void setSelectedPictureSize(const QSize& size) override;
    QSize pageTextArea() override;
    int captionLineHeight() override;

private:
    css::uno::Reference<css::beans::XPropertySet> selectedPicture();

    std::shared_ptr<UnoLink> m_link;
    css::uno::Reference<css::frame::XController> m_controller;
};
