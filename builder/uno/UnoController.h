#pragma once

#include "builder/OfficeController.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>

#include <memory>

class UnoLink;

// A document view's controller: its frame and window, and its selection.
class UnoController : public OfficeController {
public:
    UnoController(std::shared_ptr<UnoLink> link,
                  const css::uno::Reference<css::frame::XController>& controller);

    std::unique_ptr<OfficeFrame> getFrame() override;
    std::unique_ptr<OfficeCursor> cursor() override;
    bool selectionIsText() override;
    void selectEndOfPictureText() override;
    void selectEndOfBodyText() override;
    QSize selectedPictureSize() override;
    void setSelectedPictureSize(const QSize& size) override;
    quint64 bringWindowToFront() override;

private:
    css::uno::Reference<css::beans::XPropertySet> selectedPicture();

    std::shared_ptr<UnoLink> m_link;
    css::uno::Reference<css::frame::XController> m_controller;
    // The document's body text and the view's selection, asked for once.
    css::uno::Reference<css::text::XText> m_bodyText;
    css::uno::Reference<css::view::XSelectionSupplier> m_selection;
};
