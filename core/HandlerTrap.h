#pragma once

#include <QString>

#include <functional>
#include <utility>

class ErrorReporter;

// The error trap of a handler: runs the handler's numbered steps one by one; a step that
// throws is reported with its line number and the handler goes on with its next step.
//
//     HandlerTrap trap(reporter, "in ...Form1.PushButton5_Click ");
//     trap(104, [&] { p = current(); });
//     trap(106, [&] { ... });
class HandlerTrap {
public:
    HandlerTrap(ErrorReporter& reporter, QString location);

    // Runs one step; returns true when it completed, false when it failed and was reported.
    bool step(int line, const std::function<void()>& body);
    bool operator()(int line, const std::function<void()>& body) { return step(line, body); }

    // Runs a step that tests a condition and returns its value; when the step fails it is
    // reported and the handler goes on as if the condition had the value `valueIfFailed`.
    bool test(int line, const std::function<bool()>& condition, bool valueIfFailed);

    // Reports a failure that a step detected without throwing.
    void report(int line, const QString& description);

    const QString& location() const { return m_location; }
    int failures() const { return m_failures; }
    // The description of the last failure reported, empty before the first.
    const QString& lastFailure() const { return m_lastFailure; }

private:
    ErrorReporter& m_reporter;
    QString m_location;
    int m_failures = 0;
    QString m_lastFailure;
};

// Descriptions of a caught exception, for traps that look at the error first.
QString describeCurrentException();
