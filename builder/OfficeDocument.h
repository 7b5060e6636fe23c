#pragma once

#include <memory>

class OfficeController;

// An open document; it stays open in the suite after the run lets go of it.
class OfficeDocument {
public:
    virtual ~OfficeDocument() = default;
    virtual std::unique_ptr<OfficeController> getCurrentController() = 0;
};
