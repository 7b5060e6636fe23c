#pragma once

#include "builder/OfficeController.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/frame/XController.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/view/XSelectionSupplier.hpp>

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
    void selectEndOfBodyText() override;
    void setCursorParagraphStyle(const QString& styleName) override;
    QSize selectedPictureSize() override;
    void setSelectedPictureSize(const QSize& size) override;
    QSize pageTextArea(const QString& styleName) override;
    QString cursorPageStyle() override;
    QString nextPageStyle(const QString& styleName) override;
    void changePageStyle(const PageStyleChange& change) override;
    void setCursorPageStyle(const QString& styleName) override;
    void startParagraphAtEnd() override;
    void anchorPicturesAsCharacters() override;
    int captionLineHeight() override;
    int pictureLineExtra() override;
    quint64 bringWindowToFront() override;

private:
    css::uno::Reference<css::beans::XPropertySet> selectedPicture();
    css::uno::Reference<css::beans::XPropertySet> viewCursor();
    // A style of the document: `family` "PageStyles", "ParagraphStyles", ...
    css::uno::Reference<css::beans::XPropertySet> documentStyle(const rtl::OUString& family,
                                                                const rtl::OUString& name);

    std::shared_ptr<UnoLink> m_link;
    css::uno::Reference<css::frame::XController> m_controller;
    // The document's body text and the view's selection, asked for once.
    css::uno::Reference<css::text::XText> m_bodyText;
    css::uno::Reference<css::view::XSelectionSupplier> m_selection;
};
