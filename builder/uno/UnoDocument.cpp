#include "builder/uno/UnoDocument.h"

#include "builder/OfficeBridge.h"
#include "builder/uno/UnoController.h"
#include "builder/uno/UnoFileStream.h"
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

void UnoDocument::storeToFile(const QString& path, const QString& filterName,
                              const OfficeArguments& filterData, int timeLimitMs) {
    const rtl::Reference<FileOutputStream> stream = FileOutputStream::create(path);
    m_link->callWithin(timeLimitMs > 0 ? timeLimitMs : m_link->timeoutMs(), [&] {
        css::uno::Reference<css::frame::XStorable> storable(m_model, css::uno::UNO_QUERY_THROW);
        PropertyList args(filterData.isEmpty() ? 2 : 3);
        args.getArray()[0] = NewPropertyValue(QStringLiteral("FilterName"), filterName);
        args.getArray()[1].Name = "OutputStream";
        args.getArray()[1].Value <<= css::uno::Reference<css::io::XOutputStream>(stream.get());
        if (!filterData.isEmpty()) {
            args.getArray()[2].Name = "FilterData";
            args.getArray()[2].Value <<= toPropertyList(filterData);
        }
        try {
            storable->storeToURL("private:stream", args);
        } catch (const css::uno::Exception&) {
            stream->throwWriteFailure(); // a full disk says so in its own words
            throw;
        }
    });
    stream->finish();
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
