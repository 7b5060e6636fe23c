#pragma once

#include "builder/OfficeArguments.h"
#include "core/AlbumLayout.h"

#include <QString>

#include <memory>

class OfficeCursor;
class OfficeDispatcher;
class OfficeFrame;

// How the pictures of one page stand: one to a page, two stacked, or a table of cells filled
// row by row (two rows of two, or a grid). It makes and leaves the pictures' places; the page
// sequence counts the pictures of the page and calls the hooks, each inside one of the insert
// run's calls to the office; a hook that throws fails that step only.
class PageArrangement {
public:
    virtual ~PageArrangement() = default;
    PageArrangement(const PageArrangement&) = delete;
    PageArrangement& operator=(const PageArrangement&) = delete;

    // The pictures that fill a page.
    int perPage() const { return m_perPage; }
    // Before a picture goes in: makes its place, if the page needs one made first.
    virtual void beforePicture() {}
    // The picture did not go in: takes back a place made for it alone.
    virtual void pictureNotInserted() {}
    // From a picture that went in to the next one's place on the same page. Sets
    // `leftTrailing` when it left something that must be taken back if no picture follows.
    virtual void nextPlace(bool& leftTrailing) { leftTrailing = false; }
    // Before the page break after a full page: the cursor goes where the break belongs.
    virtual void leavePage() {}

protected:
    PageArrangement(int perPage, OfficeDispatcher& dispatcher, OfficeFrame& frame);
    void dispatch(const QString& command, const OfficeArguments& args = {});

private:
    const int m_perPage;
    OfficeDispatcher& m_dispatcher;
    OfficeFrame& m_frame;
};

// The arrangement of `layout`, dispatching through `dispatcher` on `frame`; the cursor's
// paragraph takes the default style again where a new paragraph follows a caption.
std::unique_ptr<PageArrangement> makePageArrangement(const AlbumLayout& layout,
                                                     OfficeDispatcher& dispatcher,
                                                     OfficeFrame& frame, OfficeCursor& cursor);
