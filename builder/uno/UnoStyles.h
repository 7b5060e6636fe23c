#pragma once

#include "builder/OfficeStyles.h"

#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/style/LineSpacing.hpp>
#include <com/sun/star/style/LineSpacingMode.hpp>

#include <memory>

class UnoLink;

// A document's styles through its model.
class UnoStyles : public OfficeStyles {
public:
    UnoStyles(std::shared_ptr<UnoLink> link, const css::uno::Reference<css::frame::XModel>& model);

    bool hasPageStyle(const QString& name) override;
    void makePageStyle(const QString& name) override;
    void copyHeaderAndFooter(const QString& from, const QString& to) override;
    PageFormat pageFormat(const QString& name) override;
    void setPaper(const QString& name, const QSize& paper, bool landscape) override;
    void setMargins(const QString& name, int margin) override;
    void anchorPicturesAsCharacters() override;
    int captionLineHeight() override;

private:
    std::shared_ptr<UnoLink> m_link;
    css::uno::Reference<css::frame::XModel> m_model;
};

// What the office is asked inside a link's call, for the styles and the view's cursor alike.
namespace UnoStyleReading {

// A style of the document `model`: `family` "PageStyles", "ParagraphStyles", ...
css::uno::Reference<css::beans::XPropertySet>
documentStyle(const css::uno::Reference<css::frame::XModel>& model, const rtl::OUString& family,
              const rtl::OUString& name);

// What a page style's properties say.
PageFormat pageFormatOf(const css::uno::Reference<css::beans::XPropertySet>& style);

// What a paragraph's properties say of its height, in hundredths of a millimetre.
struct ParagraphMetrics {
    // A line of its text, taken as 1.25 times the font size, a little more than the suite's
    // own fonts need.
    double line = 0.0;
    sal_Int32 above = 0;
    sal_Int32 below = 0;
    css::style::LineSpacing spacing{css::style::LineSpacingMode::PROP, 100};
};
ParagraphMetrics paragraphMetrics(const css::uno::Reference<css::beans::XPropertySet>& paragraph);

} // namespace UnoStyleReading
