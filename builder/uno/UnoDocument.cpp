#include "builder/uno/UnoDocument.h"

#include "builder/OfficeBridge.h"
#include "builder/uno/UnoController.h"
#include "builder/uno/UnoLink.h"
#include "builder/uno/Writer1.h"
#include "core/AppError.h"

#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/util/XCloseable.hpp>

UnoDocument::UnoDocument(std::shared_ptr<UnoLink> link,
                         const css::uno::Reference<css::frame::XModel>& model)
    : m_link(std::move(link)), m_model(model) {}

std::unique_ptr<OfficeController> UnoDocument::getCurrentController() {
    return m_link->call([&] {
        const css::uno::Reference<css::frame::XController> controller =
            m_model->getCurrentController();
        if (!controller.is()) {
            throw AppError(QStringLiteral("The document has no view"), OfficeError::Automation);
        }
        return std::make_unique<UnoController>(m_link, controller);
    });
}

void UnoDocument::storeToUrl(const QString& url, const QString& filterName,
                             const OfficeArguments& filterData, int timeLimitMs) {
    m_link->callWithin(timeLimitMs > 0 ? timeLimitMs : m_link->timeoutMs(), [&] {
        css::uno::Reference<css::frame::XStorable> storable(m_model, css::uno::UNO_QUERY_THROW);
        PropertyList args(filterData.isEmpty() ? 1 : 2);
        args.getArray()[0] = NewPropertyValue(QStringLiteral("FilterName"), filterName);
        if (!filterData.isEmpty()) {
            css::beans::PropertyValue data;
            data.Name = "FilterData";
            data.Value <<= toPropertyList(filterData);
            args.getArray()[1] = data;
        }
        storable->storeToURL(toOUString(url), args);
    });
}

void UnoDocument::close() {
    m_link->call([&] {
        css::uno::Reference<css::util::XCloseable> closeable(m_model, css::uno::UNO_QUERY_THROW);
        closeable->close(true);
    });
}

void UnoDocument::lockControllers() {
    m_link->call([&] { m_model->lockControllers(); });
}

void UnoDocument::unlockControllers(int timeLimitMs) {
    m_link->callWithin(timeLimitMs > 0 ? timeLimitMs : m_link->timeoutMs(),
                       [&] { m_model->unlockControllers(); });
}
