#pragma once

#include "builder/OfficeArguments.h"
#include "core/AlbumLayout.h"

#include <QString>

#include <memory>

class OfficeController;
class OfficeDispatcher;
class OfficeFrame;

// How the pictures of one page stand: one to a page, two stacked, or in a table of columns by
// rows (four in two rows of two). The insert run calls the hooks at its steps, each inside its
// own call to the office; a hook that throws fails that step only.
class PageArrangement {
public:
    virtual ~PageArrangement() = default;
    PageArrangement(const PageArrangement&) = delete;
    PageArrangement& operator=(const PageArrangement&) = delete;

    // Before a picture goes in: makes its place, if the page needs one made first.
    virtual void beforePicture() {}
    // The picture did not go in: takes back a place made for it alone.
    virtual void pictureNotInserted() {}
    // True before the first picture of a page went in.
    bool pageEmpty() const { return m_placed == 0; }
    // A picture went in; true when it filled its page.
    bool pictureInserted() { return ++m_placed >= m_perPage; }
    // From a picture that went in to the next one's place on the same page. Sets
    // `leftTrailing` when it left something that must be taken back if no picture follows.
    virtual void nextPlace(bool& leftTrailing) { leftTrailing = false; }
    // Before the page break after a full page: the cursor goes where the break belongs.
    void endPage() {
        m_placed = 0;
        leavePage();
    }

protected:
    PageArrangement(int perPage, OfficeDispatcher& dispatcher, OfficeFrame& frame);
    void dispatch(const QString& command, const OfficeArguments& args = {});
    virtual void leavePage() {}

private:
    const int m_perPage;
    int m_placed = 0;
    OfficeDispatcher& m_dispatcher;
    OfficeFrame& m_frame;
};

// The arrangement of `layout`, dispatching through `dispatcher` on `frame`; the controller
// sets paragraph styles.
std::unique_ptr<PageArrangement> makePageArrangement(const AlbumLayout& layout,
                                                     OfficeDispatcher& dispatcher,
                                                     OfficeFrame& frame,
                                                     OfficeController& controller);
