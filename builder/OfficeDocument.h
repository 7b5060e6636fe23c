#pragma once

#include "builder/OfficeArguments.h"

#include <QString>

#include <memory>

class OfficeController;
class OfficeStyles;

// An open document; it stays open in the suite after the run lets go of it.
class OfficeDocument {
public:
    virtual ~OfficeDocument() = default;
    virtual std::unique_ptr<OfficeController> getCurrentController() = 0;
    // The document's styles; making them asks the office nothing.
    virtual std::unique_ptr<OfficeStyles> styles() = 0;
    // Writes the document into a new file at `path` (which must not exist) with the suite's
    // filter for the format ("writer8", "MS Word 2007 XML", "writer_pdf_Export") and the
    // filter's own settings, if any; the document stays open. Storing takes longer the longer
    // the document is: `timeLimitMs` bounds this call instead of the usual limit of a call,
    // when above 0. The new file is made to replace `replacing` (when that exists): it has
    // that file's mode, owner and group (see DocumentFile). Throws AppError when the file
    // cannot be written; the caller removes what was written then.
    virtual void storeToFile(const QString& path, const QString& filterName,
                             const OfficeArguments& filterData, int timeLimitMs,
                             const QString& replacing) = 0;
    // Closes the document without saving it.
    virtual void close() = 0;
    // While the document's controllers are locked the suite neither lays the document out
    // again nor repaints its views after each change; it catches up when the last lock is
    // released. Locks count: every lock must be released exactly once, or the document's
    // view stays frozen in the suite. `timeLimitMs` bounds the release instead of the usual
    // limit of a call, when above 0.
    virtual void lockControllers() = 0;
    virtual void unlockControllers(int timeLimitMs) = 0;
};
