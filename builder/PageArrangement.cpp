#include "builder/PageArrangement.h"

#include "builder/OfficeCursor.h"
#include "builder/OfficeDispatcher.h"

PageArrangement::PageArrangement(int perPage, OfficeDispatcher& dispatcher, OfficeFrame& frame)
    : m_perPage(perPage), m_dispatcher(dispatcher), m_frame(frame) {}

void PageArrangement::dispatch(const QString& command, const OfficeArguments& args) {
    // The suite answers FAILURE for many commands it carried out: the answer says nothing.
    m_dispatcher.executeDispatch(m_frame, command, QString(), 0, args);
}

namespace {

class OnePerPage : public PageArrangement {
public:
    OnePerPage(OfficeDispatcher& dispatcher, OfficeFrame& frame)
        : PageArrangement(1, dispatcher, frame) {}
};

// Two pictures stacked, each in a paragraph of its own.
class TwoStacked : public PageArrangement {
public:
    TwoStacked(OfficeDispatcher& dispatcher, OfficeFrame& frame, OfficeCursor& cursor,
               bool captions)
        : PageArrangement(2, dispatcher, frame), m_cursor(cursor), m_captions(captions) {}

    void nextPlace(bool& leftTrailing) override {
        dispatch(QStringLiteral(".uno:InsertPara"));
        leftTrailing = true;
        if (m_captions) {
            // The new paragraph would take the style that follows a caption.
            m_cursor.setParagraphStyle(QStringLiteral("Standard"));
        }
    }

private:
    OfficeCursor& m_cursor;
    const bool m_captions;
};

// A picture in each cell of a table of `columns` by `rows`, made when the page's first
// picture is about to go in.
class TableOfCells : public PageArrangement {
public:
    TableOfCells(OfficeDispatcher& dispatcher, OfficeFrame& frame, short columns, short rows)
        : PageArrangement(columns * rows, dispatcher, frame), m_columns(columns), m_rows(rows) {}

    void beforePicture() override {
        m_madeForThisPicture = false;
        if (m_tableOpen) {
            return;
        }
        // No borders and no heading row: the table only places the pictures.
        dispatch(QStringLiteral(".uno:InsertTable"), {{QStringLiteral("Columns"), m_columns},
                                                      {QStringLiteral("Rows"), m_rows},
                                                      {QStringLiteral("Flags"), short(0)}});
        m_tableOpen = true;
        m_madeForThisPicture = true;
    }
    void pictureNotInserted() override {
        if (!m_madeForThisPicture) {
            return;
        }
        // It would stay empty, and on a page of its own if no picture follows.
        m_madeForThisPicture = false;
        m_tableOpen = false;
        dispatch(QStringLiteral(".uno:DeleteTable"));
    }
    void nextPlace(bool& leftTrailing) override {
        // From the end of one cell to the start of the next, row by row. The table now holds
        // a picture: a later one that does not go in takes back nothing.
        m_madeForThisPicture = false;
        leftTrailing = false;
        dispatch(QStringLiteral(".uno:GoRight"));
    }

    void leavePage() override {
        if (m_tableOpen) {
            m_tableOpen = false;
            dispatch(QStringLiteral(".uno:GoToEndOfDoc"));
        }
    }

private:
    const short m_columns;
    const short m_rows;
    bool m_tableOpen = false;
    bool m_madeForThisPicture = false;
};

} // namespace

std::unique_ptr<PageArrangement> makePageArrangement(const AlbumLayout& layout,
                                                     OfficeDispatcher& dispatcher,
                                                     OfficeFrame& frame, OfficeCursor& cursor) {
    const PageGrid grid = pageGrid(layout);
    if (grid.table) {
        return std::make_unique<TableOfCells>(dispatcher, frame, short(grid.columns),
                                              short(grid.rows));
    }
    if (grid.rows == 2) {
        return std::make_unique<TwoStacked>(dispatcher, frame, cursor,
                                            layout.caption != CaptionKind::None);
    }
    return std::make_unique<OnePerPage>(dispatcher, frame);
}
