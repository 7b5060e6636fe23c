#include "builder/uno/UnoDocument.h"

#include "builder/OfficeBridge.h"
#include "builder/uno/DocumentFile.h"
#include "builder/uno/UnoController.h"
#include "builder/uno/UnoLink.h"
#include "builder/uno/UnoStyles.h"
#include "builder/uno/Writer1.h"
#include "core/AppError.h"

#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/io/Pipe.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <algorithm>

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

std::unique_ptr<OfficeStyles> UnoDocument::styles() {
    return std::make_unique<UnoStyles>(m_link, m_model);
}

void UnoDocument::storeToFile(const QString& path, const QString& filterName,
                              const OfficeArguments& filterData, int timeLimitMs,
                              const QString& replacing) {
    DocumentFile file(path, replacing);
    // The office stores into a pipe in its own process, not into a stream of ours: an office
    // that resumes after the connection was cut must not find its output gone in the middle
    // of an export, which some exports do not survive.
    const css::uno::Reference<css::io::XPipe> pipe =
        m_link->call([&] { return css::io::Pipe::create(m_link->context()); });
    m_link->callWithin(timeLimitMs > 0 ? timeLimitMs : m_link->timeoutMs(), [&] {
        css::uno::Reference<css::frame::XStorable> storable(m_model, css::uno::UNO_QUERY_THROW);
        PropertyList args(filterData.isEmpty() ? 2 : 3);
        args.getArray()[0] = NewPropertyValue(QStringLiteral("FilterName"), filterName);
        args.getArray()[1].Name = "OutputStream";
        args.getArray()[1].Value <<= css::uno::Reference<css::io::XOutputStream>(pipe.get());
        if (!filterData.isEmpty()) {
            args.getArray()[2].Name = "FilterData";
            args.getArray()[2].Value <<= toPropertyList(filterData);
        }
        storable->storeToURL("private:stream", args);
    });
    // The whole document is in the pipe now; it comes over in pieces, each under the limit.
    constexpr sal_Int32 kPieceBytes = 4 << 20;
    css::uno::Sequence<sal_Int8> piece;
    while (m_link->call([&] {
        const sal_Int32 waiting = pipe->available();
        return waiting > 0 ? pipe->readBytes(piece, std::min(waiting, kPieceBytes)) : 0;
    }) > 0) {
        file.write(piece.getConstArray(), static_cast<std::size_t>(piece.getLength()));
    }
    file.finish();
}

void UnoDocument::close() {
    // A connection already cut cannot close anything: no reason to wait for it.
    if (const auto socket = m_link->socket(); socket && !socket->isShutDown()) {
        waitForViewToSettle();
    }
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
