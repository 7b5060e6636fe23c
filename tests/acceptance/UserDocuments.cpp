#include "tests/acceptance/UserDocuments.h"

#include "builder/uno/UnoLink.h"
#include "builder/uno/UnoOfficeBridge.h"
#include "builder/uno/Writer1.h"
#include "core/AppError.h"

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/container/XEnumeration.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/XServiceInfo.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/text/XTextDocument.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>

namespace {

UserDocument describe(const css::uno::Reference<css::uno::XInterface>& component) {
    UserDocument document;
    css::uno::Reference<css::lang::XServiceInfo> info(component, css::uno::UNO_QUERY);
    document.isText = info.is() && info->supportsService("com.sun.star.text.TextDocument");
    // A document still being built may refuse to tell; it is seen all the same.
    try {
        if (const css::uno::Reference<css::frame::XModel> model(component, css::uno::UNO_QUERY);
            model.is()) {
            document.url = fromOUString(model->getURL());
        }
        if (const css::uno::Reference<css::util::XModifiable> modifiable(component,
                                                                         css::uno::UNO_QUERY);
            modifiable.is()) {
            document.modified = modifiable->isModified();
        }
        if (const css::uno::Reference<css::text::XTextDocument> text(component,
                                                                     css::uno::UNO_QUERY);
            text.is()) {
            document.text = fromOUString(text->getText()->getString());
        }
    } catch (const css::uno::RuntimeException& e) {
        document.text = QStringLiteral("(unreadable: %1)").arg(fromOUString(e.Message));
    }
    return document;
}

template <typename Body>
bool withDesktop(const QString& connection, int timeoutMs, QString* error, Body&& body) {
    try {
        const auto link = UnoOfficeBridge::connectToOffice(connection, timeoutMs);
        link->call([&] { body(css::frame::Desktop::create(link->context())); });
        return true;
    } catch (const AppError& e) {
        *error = e.description();
    } catch (const css::uno::Exception& e) {
        *error = fromOUString(e.Message);
    }
    return false;
}

} // namespace

bool listUserDocuments(const QString& connection, QList<UserDocument>* documents, QString* error,
                       int timeoutMs) {
    documents->clear();
    return withDesktop(connection, timeoutMs, error,
                       [&](const css::uno::Reference<css::frame::XDesktop2>& desktop) {
                           const auto all = desktop->getComponents()->createEnumeration();
                           while (all->hasMoreElements()) {
                               css::uno::Reference<css::uno::XInterface> component(
                                   all->nextElement(), css::uno::UNO_QUERY);
                               documents->append(describe(component));
                           }
                       });
}

bool openUnsavedUserDocument(const QString& connection, const QString& text, QString* error,
                             bool hidden) {
    return withDesktop(
        connection, 60000, error, [&](const css::uno::Reference<css::frame::XDesktop2>& desktop) {
            css::uno::Sequence<css::beans::PropertyValue> arguments(1);
            arguments.getArray()[0] = NewPropertyValue(QStringLiteral("Hidden"), hidden);
            const auto component =
                desktop->loadComponentFromURL("private:factory/swriter", "_blank", 0, arguments);
            css::uno::Reference<css::text::XTextDocument> document(component,
                                                                   css::uno::UNO_QUERY_THROW);
            const auto body = document->getText();
            body->insertString(body->getEnd(), toOUString(text), false);
        });
}

int closeOtherDocuments(const QString& connection, const QString& keepText, QString* error) {
    int closed = 0;
    const bool ok = withDesktop(
        connection, 20000, error, [&](const css::uno::Reference<css::frame::XDesktop2>& desktop) {
            const auto all = desktop->getComponents()->createEnumeration();
            while (all->hasMoreElements()) {
                css::uno::Reference<css::uno::XInterface> component(all->nextElement(),
                                                                    css::uno::UNO_QUERY);
                if (describe(component).text == keepText) {
                    continue;
                }
                css::uno::Reference<css::util::XCloseable>(component, css::uno::UNO_QUERY_THROW)
                    ->close(true);
                ++closed;
            }
        });
    return ok ? closed : -1;
}
