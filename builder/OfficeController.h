#pragma once

#include <memory>

class OfficeFrame;

// The controller of a document's view: its frame, and what the view has selected.
class OfficeController {
public:
    virtual ~OfficeController() = default;
    virtual std::unique_ptr<OfficeFrame> getFrame() = 0;
    // True when the view's selection is text (the service "com.sun.star.text.TextRanges"),
    // that is, no picture or other object is selected any more.
    virtual bool selectionIsText() = 0;
};
