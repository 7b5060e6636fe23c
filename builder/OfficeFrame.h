#pragma once

// The frame that shows a document; the target of every dispatched command. Backends
// recognise their own frames; the interface carries no calls of its own.
class OfficeFrame {
public:
    virtual ~OfficeFrame() = default;
};
