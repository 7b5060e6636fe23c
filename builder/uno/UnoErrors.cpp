#include "builder/uno/UnoErrors.h"

#include "builder/OfficeBridge.h"
#include "builder/uno/Writer1.h"
#include "core/AppError.h"

#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/uno/RuntimeException.hpp>
#include <cppuhelper/exc_hlp.hxx>

void throwCaughtOfficeError() {
    const css::uno::Any caught = cppu::getCaughtException();
    const auto* exception = static_cast<const css::uno::Exception*>(caught.getValue());
    QString description = exception ? fromOUString(exception->Message) : QString();
    const QString typeName = fromOUString(caught.getValueTypeName());
    if (description.isEmpty()) {
        description = typeName;
    }
    // The remote bridge reports a dead connection as a plain RuntimeException or as a
    // DisposedException; their subtypes (illegal arguments and the like) are ordinary failures.
    const bool disconnected =
        caught.getValueType() == cppu::UnoType<css::uno::RuntimeException>::get() ||
        caught.isExtractableTo(cppu::UnoType<css::lang::DisposedException>::get());
    throw AppError(description, disconnected ? OfficeError::Disconnected : OfficeError::Automation);
}
