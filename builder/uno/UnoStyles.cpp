#include "builder/uno/UnoStyles.h"

#include "builder/uno/UnoLink.h"
#include "builder/uno/Writer1.h"

#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNameContainer.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/text/TextContentAnchorType.hpp>
#include <com/sun/star/text/XText.hpp>

#include <cmath>

using namespace UnoStyleReading;

namespace {

css::uno::Reference<css::container::XNameContainer>
pageStyles(const css::uno::Reference<css::frame::XModel>& model) {
    const css::uno::Reference<css::style::XStyleFamiliesSupplier> families(
        model, css::uno::UNO_QUERY_THROW);
    return css::uno::Reference<css::container::XNameContainer>(
        families->getStyleFamilies()->getByName("PageStyles"), css::uno::UNO_QUERY_THROW);
}

} // namespace

css::uno::Reference<css::beans::XPropertySet>
UnoStyleReading::documentStyle(const css::uno::Reference<css::frame::XModel>& model,
                               const rtl::OUString& family, const rtl::OUString& name) {
    const css::uno::Reference<css::style::XStyleFamiliesSupplier> families(
        model, css::uno::UNO_QUERY_THROW);
    const css::uno::Reference<css::container::XNameAccess> styles(
        families->getStyleFamilies()->getByName(family), css::uno::UNO_QUERY_THROW);
    return css::uno::Reference<css::beans::XPropertySet>(styles->getByName(name),
                                                         css::uno::UNO_QUERY_THROW);
}

PageFormat
UnoStyleReading::pageFormatOf(const css::uno::Reference<css::beans::XPropertySet>& style) {
    const auto length = [&](const char* property) {
        sal_Int32 value = 0;
        style->getPropertyValue(rtl::OUString::createFromAscii(property)) >>= value;
        return int(value);
    };
    const auto isOn = [&](const char* property) {
        bool on = false;
        style->getPropertyValue(rtl::OUString::createFromAscii(property)) >>= on;
        return on;
    };
    PageFormat format;
    format.paper = QSize(length("Width"), length("Height"));
    format.margins = QMargins(length("LeftMargin"), length("TopMargin"), length("RightMargin"),
                              length("BottomMargin"));
    if (isOn("HeaderIsOn")) {
        format.header = length("HeaderHeight") + length("HeaderBodyDistance");
    }
    if (isOn("FooterIsOn")) {
        format.footer = length("FooterHeight") + length("FooterBodyDistance");
    }
    rtl::OUString follow;
    style->getPropertyValue("FollowStyle") >>= follow;
    format.follow = fromOUString(follow);
    return format;
}

ParagraphMetrics
UnoStyleReading::paragraphMetrics(const css::uno::Reference<css::beans::XPropertySet>& paragraph) {
    ParagraphMetrics metrics;
    float points = 12.0f;
    paragraph->getPropertyValue("CharHeight") >>= points;
    metrics.line = points * 2540.0 / 72.0 * 1.25;
    paragraph->getPropertyValue("ParaTopMargin") >>= metrics.above;
    paragraph->getPropertyValue("ParaBottomMargin") >>= metrics.below;
    paragraph->getPropertyValue("ParaLineSpacing") >>= metrics.spacing;
    return metrics;
}

UnoStyles::UnoStyles(std::shared_ptr<UnoLink> link,
                     const css::uno::Reference<css::frame::XModel>& model)
    : m_link(std::move(link)), m_model(model) {}

bool UnoStyles::hasPageStyle(const QString& name) {
    return m_link->call([&] { return pageStyles(m_model)->hasByName(toOUString(name)); });
}

void UnoStyles::makePageStyle(const QString& name) {
    m_link->call([&] {
        const css::uno::Reference<css::lang::XMultiServiceFactory> factory(
            m_model, css::uno::UNO_QUERY_THROW);
        pageStyles(m_model)->insertByName(toOUString(name), css::uno::Any(factory->createInstance(
                                                                "com.sun.star.style.PageStyle")));
    });
}

void UnoStyles::copyHeaderAndFooter(const QString& from, const QString& to) {
    m_link->call([&] {
        const auto source = documentStyle(m_model, "PageStyles", toOUString(from));
        const auto style = documentStyle(m_model, "PageStyles", toOUString(to));
        for (const char* part : {"Header", "Footer"}) {
            const rtl::OUString isOn = rtl::OUString::createFromAscii(part) + "IsOn";
            bool on = false;
            source->getPropertyValue(isOn) >>= on;
            style->setPropertyValue(isOn, css::uno::Any(on));
            if (on) {
                const rtl::OUString text = rtl::OUString::createFromAscii(part) + "Text";
                css::uno::Reference<css::text::XText> fromText;
                css::uno::Reference<css::text::XText> toText;
                source->getPropertyValue(text) >>= fromText;
                style->getPropertyValue(text) >>= toText;
                if (fromText.is() && toText.is()) {
                    toText->setString(fromText->getString());
                }
            }
        }
    });
}

PageFormat UnoStyles::pageFormat(const QString& name) {
    return m_link->call(
        [&] { return pageFormatOf(documentStyle(m_model, "PageStyles", toOUString(name))); });
}

void UnoStyles::setPaper(const QString& name, const QSize& paper, bool landscape) {
    m_link->call([&] {
        const auto style = documentStyle(m_model, "PageStyles", toOUString(name));
        style->setPropertyValue("IsLandscape", css::uno::Any(landscape));
        style->setPropertyValue("Width", css::uno::Any(sal_Int32(paper.width())));
        style->setPropertyValue("Height", css::uno::Any(sal_Int32(paper.height())));
    });
}

void UnoStyles::setMargins(const QString& name, int margin) {
    m_link->call([&] {
        const auto style = documentStyle(m_model, "PageStyles", toOUString(name));
        for (const char* side : {"LeftMargin", "RightMargin", "TopMargin", "BottomMargin"}) {
            style->setPropertyValue(rtl::OUString::createFromAscii(side),
                                    css::uno::Any(sal_Int32(margin)));
        }
    });
}

void UnoStyles::anchorPicturesAsCharacters() {
    m_link->call([&] {
        documentStyle(m_model, "FrameStyles", "Graphics")
            ->setPropertyValue("AnchorType",
                               css::uno::Any(css::text::TextContentAnchorType_AS_CHARACTER));
    });
}

int UnoStyles::captionLineHeight() {
    return m_link->call([&] {
        const ParagraphMetrics caption =
            paragraphMetrics(documentStyle(m_model, "ParagraphStyles", "Caption"));
        double lines = 1.0;
        if (caption.spacing.Mode == css::style::LineSpacingMode::PROP &&
            caption.spacing.Height > 100) {
            lines = caption.spacing.Height / 100.0;
        }
        return static_cast<int>(std::ceil(caption.line * lines)) + caption.above + caption.below;
    });
}
