#include "builder/uno/Writer1.h"

#include "core/EventLoopWait.h"

namespace {

// The office updates the clipboard state a few tenths of a second after a change or a store
// (seen at 0.06 to 0.4 s); a second leaves room for a busy machine.
constexpr int kViewSettleMs = 1000;

css::uno::Any anyOf(const OfficeValue& value) {
    struct ToAny {
        css::uno::Any operator()(const QString& text) const {
            return css::uno::Any(toOUString(text));
        }
        css::uno::Any operator()(bool flag) const { return css::uno::Any(flag); }
        css::uno::Any operator()(short number) const {
            return css::uno::Any(static_cast<sal_Int16>(number));
        }
    };
    return std::visit(ToAny{}, value);
}

} // namespace

css::beans::PropertyValue NewPropertyValue(const QString& name, const OfficeValue& value) {
    css::beans::PropertyValue property;
    property.Name = toOUString(name);
    property.Value = anyOf(value);
    return property;
}

PropertyList toPropertyList(const OfficeArguments& arguments) {
    PropertyList list(static_cast<sal_Int32>(arguments.size()));
    auto* out = list.getArray();
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        out[i] = NewPropertyValue(arguments.at(i).name, arguments.at(i).value);
    }
    return list;
}

rtl::OUString toOUString(const QString& text) {
    static_assert(sizeof(QChar) == sizeof(sal_Unicode));
    return rtl::OUString(reinterpret_cast<const sal_Unicode*>(text.utf16()),
                         static_cast<sal_Int32>(text.size()));
}

QString fromOUString(const rtl::OUString& text) {
    return QString(reinterpret_cast<const QChar*>(text.getStr()), text.getLength());
}

void waitForViewToSettle() {
    sleepInEventLoop(kViewSettleMs);
}
