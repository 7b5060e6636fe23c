#include "Writer1.h"

css::beans::PropertyValue NewPropertyValue(const QString& name, const css::uno::Any& value) {
    css::beans::PropertyValue property;
    property.Name = toOUString(name);
    property.Value = value;
    return property;
}

rtl::OUString toOUString(const QString& text) {
    static_assert(sizeof(QChar) == sizeof(sal_Unicode));
    return rtl::OUString(reinterpret_cast<const sal_Unicode*>(text.utf16()),
                         static_cast<sal_Int32>(text.size()));
}

QString fromOUString(const rtl::OUString& text) {
    return QString(reinterpret_cast<const QChar*>(text.getStr()), text.getLength());
}

css::uno::Any textValue(const QString& text) {
    return css::uno::Any(toOUString(text));
}

css::uno::Any booleanValue(bool value) {
    return css::uno::Any(value);
}

css::uno::Any shortValue(short value) {
    return css::uno::Any(static_cast<sal_Int16>(value));
}
