#pragma once

#include "builder/OfficeCursor.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/frame/XController.hpp>

#include <memory>

class UnoLink;

// The view cursor of a document's view, asked for anew with each call.
class UnoCursor : public OfficeCursor {
public:
    UnoCursor(std::shared_ptr<UnoLink> link,
              const css::uno::Reference<css::frame::XController>& controller);

    void setParagraphStyle(const QString& styleName) override;
    QString pageStyle() override;
    void setPageStyle(const QString& styleName) override;
    void startParagraphAtEnd() override;
    int pictureLineExtra() override;
    QSize pageTextArea() override;

private:
    css::uno::Reference<css::beans::XPropertySet> viewCursor();

    std::shared_ptr<UnoLink> m_link;
    css::uno::Reference<css::frame::XController> m_controller;
};
