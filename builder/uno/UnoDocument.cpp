#include "builder/uno/UnoDocument.h"

#include "builder/OfficeBridge.h"
#include "builder/uno/UnoController.h"
#include "builder/uno/UnoErrors.h"
#include "builder/uno/Writer1.h"
#include "core/AppError.h"

#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/util/XCloseable.hpp>

UnoDocument::UnoDocument(const css::uno::Reference<css::frame::XModel>& model) : m_model(model) {}

std::unique_ptr<OfficeController> UnoDocument::getCurrentController() {
    return callOffice([&] {
        const css::uno::Reference<css::frame::XController> controller =
            m_model->getCurrentController();
        if (!controller.is()) {
            throw AppError(QStringLiteral("The document has no view"), OfficeError::Automation);
        }
        return std::make_unique<UnoController>(controller);
    });
}

void UnoDocument::storeToUrl(const QString& url, const QString& filterName) {
    callOffice([&] {
        css::uno::Reference<css::frame::XStorable> storable(m_model, css::uno::UNO_QUERY_THROW);
        PropertyList args(1);
        args.getArray()[0] = NewPropertyValue(QStringLiteral("FilterName"), filterName);
        storable->storeToURL(toOUString(url), args);
    });
}

void UnoDocument::close() {
    callOffice([&] {
        css::uno::Reference<css::util::XCloseable> closeable(m_model, css::uno::UNO_QUERY_THROW);
        closeable->close(true);
    });
}

void UnoDocument::lockControllers() {
    callOffice([&] { m_model->lockControllers(); });
}

void UnoDocument::unlockControllers() {
    callOffice([&] { m_model->unlockControllers(); });
}
