#include "builder/OfficeArguments.h"

QString describeArgument(const OfficeArgument& argument) {
    struct Describe {
        QString operator()(const QString& text) const { return QStringLiteral("string ") + text; }
        QString operator()(bool flag) const {
            return flag ? QStringLiteral("boolean true") : QStringLiteral("boolean false");
        }
        QString operator()(short number) const {
            return QStringLiteral("short ") + QString::number(number);
        }
    };
    return argument.name + QLatin1Char(' ') + std::visit(Describe{}, argument.value);
}
