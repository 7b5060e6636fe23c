#pragma once

#include "builder/OfficeArguments.h"

#include <QString>

#include <memory>

class OfficeDocument;

// The suite's Desktop, which opens documents in frames of their own.
class OfficeDesktop {
public:
    virtual ~OfficeDesktop() = default;
    virtual std::unique_ptr<OfficeDocument> loadComponentFromURL(const QString& url,
                                                                 const QString& targetFrame,
                                                                 short searchFlags,
                                                                 const OfficeArguments& args) = 0;
    // Ends the suite itself, with every document it holds.
    virtual void terminate() = 0;
};
