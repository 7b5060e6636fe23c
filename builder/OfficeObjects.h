#pragma once

#include <QString>

#include <memory>

class OfficeBridge;
class OfficeController;
class OfficeCursor;
class OfficeDesktop;
class OfficeDispatcher;
class OfficeDocument;
class OfficeFrame;
class OfficeSession;
class OfficeStyles;
class RunSteps;

// The office's objects that an insert run works with: a session with the office, its
// Desktop, the new document, the dispatcher, and the document's view with its cursor, styles
// and frame. Made one a numbered step, let go of in the reverse order.
struct OfficeObjects {
    OfficeObjects();
    ~OfficeObjects();
    OfficeObjects(const OfficeObjects&) = delete;
    OfficeObjects& operator=(const OfficeObjects&) = delete;

    // Makes the session and the Desktop: true when the office was reached.
    bool reach(RunSteps& steps, OfficeBridge* bridge);
    // Opens the document from `templatePath` (see openNewDocument) and makes the rest: true
    // when all of it was made.
    bool open(RunSteps& steps, const QString& templatePath);
    void release();

    std::unique_ptr<OfficeSession> session;
    std::unique_ptr<OfficeDesktop> desktop;
    std::unique_ptr<OfficeDocument> document;
    std::unique_ptr<OfficeDispatcher> dispatcher;
    std::unique_ptr<OfficeController> controller;
    std::unique_ptr<OfficeCursor> cursor;
    std::unique_ptr<OfficeStyles> styles;
    std::unique_ptr<OfficeFrame> frame;
};
