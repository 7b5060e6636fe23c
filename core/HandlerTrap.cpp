#include "core/HandlerTrap.h"

#include "core/AppError.h"
#include "core/ErrorReport.h"

#include <exception>
#include <new>

HandlerTrap::HandlerTrap(ErrorReporter& reporter, QString location)
    : m_reporter(reporter), m_location(std::move(location)) {}

bool HandlerTrap::step(int line, const std::function<void()>& body) {
    QString description;
    try {
        body();
        return true;
    } catch (...) {
        description = describeCurrentException();
    }
    report(line, description);
    return false;
}

bool HandlerTrap::test(int line, const std::function<bool()>& condition, bool valueIfFailed) {
    bool value = valueIfFailed;
    step(line, [&] { value = condition(); });
    return value;
}

void HandlerTrap::report(int line, const QString& description) {
    ++m_failures;
    m_lastFailure = description;
    m_reporter.ShowErrorReport(m_location, line, description);
}

QString describeCurrentException() {
    try {
        throw;
    } catch (const AppError& e) {
        return e.description();
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Out of memory");
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}
