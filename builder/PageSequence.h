#pragma once

#include "builder/OfficeArguments.h"
#include "builder/PageStyles.h"
#include "core/AlbumLayout.h"

#include <QHash>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class OfficeCursor;
class OfficeDispatcher;
class OfficeFrame;
class OfficeStyles;
class PageArrangement;
class RunSteps;
struct PictureRoom;

// The pages of an insert run and the one its pictures go on now: how the pictures of the page
// stand (the arrangement), which page style the page is in (the page styles), and the box a
// picture is fitted into there, measured once for each style. It is prepared once, asked for
// the picture's place and box before each picture, and told whether the picture went in. Each
// of its calls to the office runs as one of the insert run's numbered steps, whether the run
// or the sequence itself makes the step; one that throws fails that step only.
class PageSequence {
public:
    PageSequence(const AlbumLayout& layout, OfficeDispatcher& dispatcher, OfficeFrame& frame,
                 OfficeCursor& cursor, OfficeStyles& styles);
    ~PageSequence();
    PageSequence(const PageSequence&) = delete;
    PageSequence& operator=(const PageSequence&) = delete;

    // Sets up the pages, a step for each part: the cursor after what a template holds, the
    // pictures' anchor, the page styles. False when a part failed: no picture goes in then.
    bool prepare(RunSteps& steps);
    // The room of the pictures for a stage that prepares them ahead: the box on the page the
    // cursor is on and, where pages turn to their pictures, on a turned page.
    void measureRoom(PictureRoom& room);

    // True when the page the next picture goes on is yet to take its page style: before its
    // first picture, in a run that changes the page styles.
    bool startsStyledPage() const;
    // The page takes the style its first picture needs. `pictureShape` gives the picture's
    // pixels as the office shows it, and is asked only when pages turn to their pictures.
    void startPage(const std::function<QSize()>& pictureShape);
    // Before a picture goes in: makes its place, if the page needs one made first.
    void placePicture();
    // The box the picture is fitted into on the current page, in hundredths of a millimetre.
    QSize pictureBox();
    // The picture did not go in: a place made for it alone is taken back.
    void pictureNotInserted();
    // A picture went in; true when it filled its page.
    bool pictureInserted();
    // From a picture that went in to the next one's place: on the same page, or on a new
    // page after a page break, a step for each part. `beforeBreak` runs right before the break
    // goes in.
    void advance(bool pageFull, RunSteps& steps, const std::function<void()>& beforeBreak);
    // True when a page break or a new paragraph stands after the last picture that went in,
    // and no picture after it: with nothing to follow, it would leave an empty page (or
    // paragraph) at the end.
    bool trailing() const { return m_trailing; }

private:
    const AlbumLayout m_layout;
    OfficeDispatcher& m_dispatcher;
    OfficeFrame& m_frame;
    OfficeCursor& m_cursor;
    OfficeStyles& m_styles;
    const std::unique_ptr<PageArrangement> m_arrangement;
    // The page styles of a setup that changes the pages.
    std::optional<PageStyles> m_pageStyles;

    // The current page: its style ("" when the run leaves the styles as they are), the
    // pictures on it, whether it is the page the document started with, and what stands
    // after its last picture.
    QString m_pageStyle;
    int m_placed = 0;
    bool m_onFirstPage = true;
    bool m_trailing = false;
    // The box of every picture by the page style whose text area it comes from ("" for the
    // page the cursor is on), and the height of a caption, each measured when first needed.
    QHash<QString, QSize> m_boxes;
    std::optional<int> m_captionHeight;
    // The page break's arguments, filled anew for each break.
    OfficeArguments m_breakArgs = OfficeArguments(3);
};
