#pragma once

#include "builder/OfficeArguments.h"

#include <QString>

class OfficeFrame;

// What the suite says it did with a dispatched command.
enum class DispatchState {
    // The suite sent no result at all.
    Unknown,
    Success,
    Failure,
    DontKnow,
};

// The suite's DispatchHelper: runs ".uno:" commands on a frame.
class OfficeDispatcher {
public:
    virtual ~OfficeDispatcher() = default;
    virtual DispatchState executeDispatch(OfficeFrame& frame, const QString& command,
                                          const QString& targetFrame, short searchFlags,
                                          const OfficeArguments& args) = 0;
};
