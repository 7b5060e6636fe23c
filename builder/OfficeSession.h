#pragma once

#include <memory>

class OfficeDesktop;
class OfficeDispatcher;

// The service manager of one connection to the office suite; it lives for one run.
class OfficeSession {
public:
    virtual ~OfficeSession() = default;
    // "com.sun.star.frame.Desktop"
    virtual std::unique_ptr<OfficeDesktop> createDesktop() = 0;
    // "com.sun.star.frame.DispatchHelper"
    virtual std::unique_ptr<OfficeDispatcher> createDispatchHelper() = 0;
};
