#include "builder/PageSequence.h"

#include "builder/InsertRoutines.h"
#include "builder/OfficeCursor.h"
#include "builder/OfficeDispatcher.h"
#include "builder/OfficeStyles.h"
#include "builder/PageArrangement.h"
#include "builder/PictureStage.h"
#include "builder/RunSteps.h"

PageSequence::PageSequence(const AlbumLayout& layout, OfficeDispatcher& dispatcher,
                           OfficeFrame& frame, OfficeCursor& cursor, OfficeStyles& styles)
    : m_layout(layout), m_dispatcher(dispatcher), m_frame(frame), m_cursor(cursor),
      m_styles(styles), m_arrangement(makePageArrangement(layout, dispatcher, frame, cursor)) {}

PageSequence::~PageSequence() = default;

bool PageSequence::prepare(RunSteps& steps) {
    const PageSetup& page = m_layout.page;
    if (!page.templatePath.isEmpty() &&
        !steps.office(186, [&] { m_cursor.startParagraphAtEnd(); })) {
        return false;
    }
    if (!page.isDefault() && !steps.office(192, [&] { m_styles.anchorPicturesAsCharacters(); })) {
        return false;
    }
    if (!PageStyles::needed(page)) {
        return true;
    }
    m_pageStyles.emplace(page, m_cursor, m_styles);
    return steps.office(188, [&] {
        m_pageStyles->prepare();
        m_pageStyle = m_pageStyles->first();
    });
}

void PageSequence::measureRoom(PictureRoom& room) {
    // Measured afresh, not kept: the boxes of the pictures are measured when they go in.
    const int captionHeight =
        m_layout.caption == CaptionKind::None ? 0 : m_styles.captionLineHeight();
    const int lineExtra = m_cursor.pictureLineExtra();
    room.upright = ::pictureBox(m_cursor.pageTextArea(), m_layout, captionHeight, lineExtra);
    if (m_pageStyles && m_pageStyles->turnsPages()) {
        const QString turned = QString::fromLatin1(PageStyles::kLandscapeStyle);
        room.turned = ::pictureBox(m_styles.pageFormat(turned).textArea(), m_layout, captionHeight,
                                   lineExtra);
    }
}

bool PageSequence::startsStyledPage() const {
    return m_pageStyles && m_placed == 0;
}

void PageSequence::startPage(const std::function<QSize()>& pictureShape) {
    const bool turns = m_pageStyles->turnsPages();
    QSize shape;
    if (turns) {
        shape = pictureShape();
    }
    const bool wide = shape.isValid() && shape.width() > shape.height();
    const QString wanted = m_pageStyles->styleFor(wide, m_onFirstPage);
    // A page after a break takes the style that follows the last one's; each is set.
    if (turns && (!m_onFirstPage || wanted != m_pageStyle)) {
        m_cursor.setPageStyle(wanted);
    }
    m_pageStyle = wanted;
}

void PageSequence::placePicture() {
    m_arrangement->beforePicture();
}

QSize PageSequence::pictureBox() {
    if (!m_captionHeight) {
        m_captionHeight = m_layout.caption == CaptionKind::None ? 0 : m_styles.captionLineHeight();
    }
    if (!m_boxes.contains(m_pageStyle)) {
        const QSize textArea = m_pageStyle.isEmpty() ? m_cursor.pageTextArea()
                                                     : m_styles.pageFormat(m_pageStyle).textArea();
        m_boxes.insert(m_pageStyle, ::pictureBox(textArea, m_layout, *m_captionHeight,
                                                 m_cursor.pictureLineExtra()));
    }
    return m_boxes.value(m_pageStyle);
}

void PageSequence::pictureNotInserted() {
    m_arrangement->pictureNotInserted();
}

bool PageSequence::pictureInserted() {
    m_trailing = false;
    return ++m_placed >= m_arrangement->perPage();
}

void PageSequence::advance(bool pageFull, RunSteps& steps,
                           const std::function<void()>& beforeBreak) {
    if (!pageFull) {
        steps.office(178, [&] { m_arrangement->nextPlace(m_trailing); });
        return;
    }
    steps.office(180, [&] {
        m_placed = 0;
        m_arrangement->leavePage();
    });
    steps(148, [&] { m_breakArgs[0] = {QStringLiteral("Kind"), short(3)}; });
    steps(150, [&] { m_breakArgs[1] = {QStringLiteral("TemplateName"), QString()}; });
    steps(152, [&] { m_breakArgs[2] = {QStringLiteral("PageNumber"), short(0)}; });
    steps.office(154, [&] {
        beforeBreak();
        // The answer says nothing: the suite answers FAILURE for breaks it made.
        m_dispatcher.executeDispatch(m_frame, QStringLiteral(".uno:InsertBreak"), QString(), 0,
                                     m_breakArgs);
        m_trailing = true;
        m_onFirstPage = false;
    });
    if (m_layout.caption != CaptionKind::None) {
        // The new page's paragraph would take the style that follows a caption.
        steps.office(182, [&] { m_cursor.setParagraphStyle(QStringLiteral("Standard")); });
    }
}
