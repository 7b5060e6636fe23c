#include "builder/PictureCommands.h"

#include "builder/OfficeBridge.h"
#include "builder/OfficeController.h"
#include "builder/OfficeDispatcher.h"
#include "core/AppError.h"
#include "core/EventLoopWait.h"
#include "core/FileNames.h"

#include <QDeadlineTimer>

namespace {

constexpr int kSelectionPollMs = 2;

} // namespace

void PictureCommands::dispatch(const QString& command, const OfficeArguments& args) {
    m_dispatcher.executeDispatch(m_frame, command, QString(), 0, args);
}

void PictureCommands::insert(const QString& path, const OfficeArguments& args) {
    const DispatchState state = m_dispatcher.executeDispatch(
        m_frame, QStringLiteral(".uno:InsertGraphic"), QString(), 0, args);
    if (state == DispatchState::Failure) {
        throw AppError(QStringLiteral("The office suite did not insert the picture %1")
                           .arg(displayFileName(path)),
                       OfficeError::Automation);
    }
    // The suite anchors a new picture "to character" by default, at the cursor's place in
    // its empty paragraph; a page break at the cursor then carries the picture along to the
    // next page, and every picture would end up on the last one. Anchored as a character,
    // the picture stays in front of the cursor and the break goes after it. The suite
    // answers FAILURE here even when it re-anchored the picture.
    dispatch(QStringLiteral(".uno:SetAnchorToChar"));
}

void PictureCommands::leave(bool lockWasHeld, bool escape) {
    if (lockWasHeld) {
        // Under the lock the suite defers switching its view between the picture and the
        // text (also until a while after the lock is let go of), so that ".uno:Escape" can be
        // handled as if no picture were selected and leave it selected, and reading the
        // selection can make the suite abort. Putting the cursor at the end of the body text,
        // right after the picture, leaves the picture at once and reads nothing.
        m_controller.selectEndOfBodyText();
        return;
    }
    if (escape) {
        dispatch(QStringLiteral(".uno:Escape"));
    } else {
        // In a table cell the suite keeps the picture selected after ".uno:Escape"; the
        // cursor is put after the picture, at the end of its text, instead.
        m_controller.selectEndOfPictureText();
    }
    // The suite may carry out the escape later; while the picture is still selected, the
    // next break or picture would silently do nothing.
    const QDeadlineTimer deadline(kSelectionWaitMs);
    while (!m_controller.selectionIsText()) {
        if (deadline.hasExpired()) {
            throw AppError(QStringLiteral("The office suite did not leave the picture selection"),
                           OfficeError::Automation);
        }
        sleepInEventLoop(kSelectionPollMs);
    }
}

void PictureCommands::writeCaption(const QString& path, const QList<CaptionPiece>& pieces) {
    // A paragraph of its own in the document's "Caption" style, so that restyling the style
    // restyles every caption.
    dispatch(QStringLiteral(".uno:InsertPara"));
    dispatch(QStringLiteral(".uno:StyleApply"),
             {{QStringLiteral("Style"), QStringLiteral("Caption")},
              {QStringLiteral("FamilyName"), QStringLiteral("ParagraphStyles")}});
    // The number is the one the suite's own captions carry: a field of the number range
    // "Figure" (field type 23) counting up by one, in Arabic numerals (format 4), without a
    // chapter number before it (level 127). The suite's table of figures lists such pictures,
    // and their numbers follow when pages move.
    static const OfficeArguments figureNumber{
        {QStringLiteral("Type"), short(23)},
        {QStringLiteral("SubType"), short(127)},
        {QStringLiteral("Name"), QStringLiteral("Figure")},
        {QStringLiteral("Content"), QStringLiteral("Figure+1")},
        {QStringLiteral("Format"), short(4)}};
    for (const CaptionPiece& piece : pieces) {
        if (!piece.number) {
            dispatch(QStringLiteral(".uno:InsertText"), {{QStringLiteral("Text"), piece.text}});
        } else if (m_dispatcher.executeDispatch(m_frame, QStringLiteral(".uno:InsertField"),
                                                QString(), 0,
                                                figureNumber) == DispatchState::Failure) {
            throw AppError(
                QStringLiteral("The office suite did not insert the number of the picture %1")
                    .arg(displayFileName(path)),
                OfficeError::Automation);
        }
    }
}
