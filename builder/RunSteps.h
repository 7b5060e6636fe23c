#pragma once

#include "core/HandlerTrap.h"

#include <QString>

#include <functional>

class ErrorReporter;

// The numbered steps of an insert run, through its error trap: a step that fails is reported
// with its line number, and the run goes on with the next. A call to the office that finds it
// gone, or not answering, notes so: every later call would fail the same way. A step of a
// picture that fails notes the picture's first failure.
class RunSteps {
public:
    RunSteps(ErrorReporter& reporter, const QString& location) : m_trap(reporter, location) {}

    // Each returns true when the step completed.
    bool operator()(int line, const std::function<void()>& body) { return m_trap(line, body); }
    bool office(int line, const std::function<void()>& call);
    // A step of the current picture: its failure fails the picture.
    bool picture(int line, const std::function<void()>& body);
    bool pictureOffice(int line, const std::function<void()>& call);
    // Calls the office outside a step; notes when the office is gone, and lets the failure
    // through.
    void call(const std::function<void()>& call);

    // The office went away or does not answer.
    const bool& officeGone() const { return m_officeGone; }
    // The next picture starts without a failure.
    void startPicture();
    bool pictureFailed() const { return m_pictureFailed; }
    const QString& pictureFailure() const { return m_pictureFailure; }
    const QString& lastFailure() const { return m_trap.lastFailure(); }

private:
    HandlerTrap m_trap;
    bool m_officeGone = false;
    bool m_pictureFailed = false;
    QString m_pictureFailure;
};
