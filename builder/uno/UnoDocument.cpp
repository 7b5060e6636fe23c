#include "UnoDocument.h"

#include "AppError.h"
#include "OfficeBridge.h"
#include "UnoController.h"
#include "UnoErrors.h"

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
