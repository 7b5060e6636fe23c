#include "builder/uno/UnoDesktop.h"

#include "builder/OfficeBridge.h"
#include "builder/uno/UnoDocument.h"
#include "builder/uno/UnoLink.h"
#include "builder/uno/Writer1.h"
#include "core/AppError.h"

#include <com/sun/star/awt/AsyncCallback.hpp>
#include <com/sun/star/awt/XCallback.hpp>
#include <com/sun/star/frame/XModel.hpp>
#include <com/sun/star/lang/XComponent.hpp>

#include <cppuhelper/implbase1.hxx>
#include <rtl/ref.hxx>

#include <atomic>
#include <exception>

namespace {

// A document opened by the office's own main thread, as when a person opens one. Opened from
// the thread that serves a remote call, a window sets up its menus there, and the office's GTK
// integration can then wait for good for the system clipboard. The office calls notify() from
// its main thread; a call made back to the office from inside it is served by that same
// thread, which waits for it.
class MainThreadLoad : public cppu::WeakImplHelper1<css::awt::XCallback> {
public:
    using Load = std::function<css::uno::Reference<css::lang::XComponent>()>;
    MainThreadLoad(std::function<void()> answer, Load load)
        : m_answer(std::move(answer)), m_load(std::move(load)) {}

    void SAL_CALL notify(const css::uno::Any&) override {
        try {
            m_component = m_load();
        } catch (...) {
            m_failure = std::current_exception();
        }
        m_done = true;
        m_answer();
    }
    bool done() const { return m_done; }
    // The document opened, or the office's exception thrown again.
    css::uno::Reference<css::lang::XComponent> component() const {
        if (m_failure) {
            std::rethrow_exception(m_failure);
        }
        return m_component;
    }

private:
    const std::function<void()> m_answer;
    const Load m_load;
    css::uno::Reference<css::lang::XComponent> m_component;
    std::exception_ptr m_failure;
    std::atomic<bool> m_done = false;
};

} // namespace

UnoDesktop::UnoDesktop(std::shared_ptr<UnoLink> link,
                       const css::uno::Reference<css::frame::XDesktop2>& desktop)
    : m_link(std::move(link)), m_desktop(desktop) {}

std::unique_ptr<OfficeDocument> UnoDesktop::loadComponentFromURL(const QString& url,
                                                                 const QString& targetFrame,
                                                                 short searchFlags,
                                                                 const OfficeArguments& args) {
    return m_link->call([&]() -> std::unique_ptr<OfficeDocument> {
        const rtl::Reference<MainThreadLoad> load(
            new MainThreadLoad(m_link->answerer(), [desktop = m_desktop, url = toOUString(url),
                                                    target = toOUString(targetFrame), searchFlags,
                                                    args = toPropertyList(args)] {
                return desktop->loadComponentFromURL(url, target, searchFlags, args);
            }));
        css::awt::AsyncCallback::create(m_link->context())
            ->addCallback(load.get(), css::uno::Any());
        m_link->awaitAnswer([&] { return load->done(); });
        const css::uno::Reference<css::lang::XComponent> component = load->component();
        css::uno::Reference<css::frame::XModel> model(component, css::uno::UNO_QUERY);
        if (!model.is()) {
            throw AppError(QStringLiteral("The office suite opened no document for %1").arg(url),
                           OfficeError::Automation);
        }
        return std::make_unique<UnoDocument>(m_link, model);
    });
}

void UnoDesktop::terminate() {
    m_link->call([&] { m_desktop->terminate(); });
}
