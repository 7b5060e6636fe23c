#include "builder/OfficeObjects.h"

#include "builder/NewDocument.h"
#include "builder/OfficeBridge.h"
#include "builder/OfficeController.h"
#include "builder/OfficeCursor.h"
#include "builder/OfficeDesktop.h"
#include "builder/OfficeDispatcher.h"
#include "builder/OfficeDocument.h"
#include "builder/OfficeFrame.h"
#include "builder/OfficeSession.h"
#include "builder/OfficeStyles.h"
#include "builder/RunSteps.h"
#include "core/AppError.h"

OfficeObjects::OfficeObjects() = default;

OfficeObjects::~OfficeObjects() {
    release();
}

bool OfficeObjects::reach(RunSteps& steps, OfficeBridge* bridge) {
    return steps(108,
                 [&] {
                     if (bridge == nullptr) {
                         throw AppError(QStringLiteral("The office suite cannot be reached"),
                                        OfficeError::Automation);
                     }
                     session = bridge->createServiceManager();
                 }) &&
           steps(110, [&] { desktop = session->createDesktop(); });
}

bool OfficeObjects::open(RunSteps& steps, const QString& templatePath) {
    return steps.office(112, [&] { document = openNewDocument(*desktop, templatePath); }) &&
           steps.office(114, [&] { dispatcher = session->createDispatchHelper(); }) &&
           steps.office(116,
                        [&] {
                            controller = document->getCurrentController();
                            cursor = controller->cursor();
                            styles = document->styles();
                        }) &&
           steps.office(118, [&] { frame = document->getCurrentController()->getFrame(); });
}

void OfficeObjects::release() {
    frame.reset();
    styles.reset();
    cursor.reset();
    controller.reset();
    dispatcher.reset();
    document.reset();
    desktop.reset();
    session.reset();
}
