#include "builder/InsertRun.h"

#include "builder/InsertHost.h"
#include "builder/InsertRoutines.h"
#include "builder/OfficeBridge.h"
#include "builder/OfficeController.h"
#include "builder/OfficeDesktop.h"
#include "builder/OfficeDispatcher.h"
#include "builder/OfficeDocument.h"
#include "builder/OfficeFrame.h"
#include "builder/OfficeSession.h"
#include "builder/PageArrangement.h"
#include "builder/PictureStage.h"
#include "core/AppError.h"
#include "core/EventLoopWait.h"
#include "core/FileNames.h"
#include "core/HandlerTrap.h"
#include "core/MousePointer.h"
#include "core/Settings.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace {

// How long the run waits after each picture, in seconds; users and tests may shorten it.
double insertPauseSeconds() {
    return std::max(0.0, GetSecondsSetting(Setting::InsertPause));
}

constexpr int kSelectionPollMs = 2;

} // namespace

InsertRun::InsertRun(InsertHost& host, OfficeBridge* bridge, Clock& clock, QString location)
    : m_host(host), m_bridge(bridge), m_clock(clock), m_location(std::move(location)) {}

InsertRun::~InsertRun() = default;

void InsertRun::run() {
    HandlerTrap trap(m_host.errorReporter(), m_location);

    bool busy = false;
    trap(100, [&] { busy = m_host.insertBusy(); });
    if (busy) {
        return;
    }
    trap(102, [&] { m_host.setInsertBusy(true); });

    bool empty = false;
    trap(104, [&] { empty = m_host.pictureCount() == 0; });
    if (empty) {
        trap(166, [&] { m_host.showMessage(QStringLiteral("No files added.")); });
        trap(168, [&] { m_host.setInsertBusy(false); });
        return;
    }

    trap(106, [&] { m_host.setMousePointer(MousePointer::Hourglass); });

    // Without a document there is nothing to insert into, and with the office gone every
    // later call would fail the same way: either ends the run after its one report.
    m_officeGone = false;
    bool completed = false;
    if (openDocument(trap)) {
        insertPictures(trap);
        completed = !m_officeGone && !m_stopped && !m_stageBroken;
    }

    trap(158, [&] { m_host.setMousePointer(MousePointer::Default); });
    trap(160, [&] { m_host.setProgressValue(0); });
    trap(162, [&] { m_host.setProgressText(QStringLiteral("Progress Bar")); });
    if (completed) {
        trap(164, [&] {
            const QString note = m_stage != nullptr ? m_stage->doneNote() : QString();
            m_host.showMessage(note.isEmpty() ? QStringLiteral("Done.")
                                              : QStringLiteral("Done.\r\n\r\n") + note);
        });
    }
    if (completed && m_host.showsDocument()) {
        // The document is ready to be seen; a window that cannot be raised is no failure of
        // the document, so this step reports nothing.
        quint64 window = 0;
        try {
            officeCall([&] { window = m_controller->bringWindowToFront(); });
        } catch (...) {
        }
        m_host.documentInFront(window);
    }
    trap(168, [&] { m_host.setInsertBusy(false); });
    m_completed = completed;
    if (!m_keepDocument) {
        releaseOffice();
    }
}

bool InsertRun::openDocument(HandlerTrap& trap) {
    const bool reached =
        trap(108,
             [&] {
                 if (m_bridge == nullptr) {
                     throw AppError(QStringLiteral("The office suite cannot be reached"),
                                    OfficeError::Automation);
                 }
                 m_serviceManager = m_bridge->createServiceManager();
             }) &&
        trap(110, [&] { m_desktop = m_serviceManager->createDesktop(); });
    const bool opened =
        reached && trap(112, [&] { officeCall([&] { m_document = newDocument(); }); }) &&
        trap(114,
             [&] {
                 officeCall([&] { m_dispatcher = m_serviceManager->createDispatchHelper(); });
             }) &&
        trap(116,
             [&] { officeCall([&] { m_controller = m_document->getCurrentController(); }); }) &&
        trap(118,
             [&] {
                 officeCall([&] { m_frame = m_document->getCurrentController()->getFrame(); });
             }) &&
        preparePages(trap);
    if (!opened) {
        m_host.documentNotOpened(trap.lastFailure(), !reached || m_officeGone);
        return false;
    }
    m_host.documentOpened();
    return true;
}

std::unique_ptr<OfficeDocument> InsertRun::newDocument() {
    const QString& templatePath = m_layout.page.templatePath;
    if (templatePath.isEmpty()) {
        return m_desktop->loadComponentFromURL(QStringLiteral("private:factory/swriter"),
                                               QStringLiteral("_blank"), 0, m_noArgs);
    }
    // Opened as a template the document is untitled, and storing it never writes over the
    // template. The filter is named, so that a file that is no such document fails to open
    // instead of being taken in as plain text.
    const bool isTemplate = templatePath.endsWith(QLatin1String(".ott"), Qt::CaseInsensitive);
    const OfficeArguments args{
        {QStringLiteral("AsTemplate"), true},
        {QStringLiteral("FilterName"),
         isTemplate ? QStringLiteral("writer8_template") : QStringLiteral("writer8")}};
    // A name that is not UTF-8 reaches the office as "%FF", which its template filter (7.4)
    // finds no file under, though it reads the very URL without a named filter. Such a
    // template is given to it under a plain name instead: a link in a folder of our own that no
    // one else may enter, gone once the document is open.
    std::optional<QTemporaryDir> plainName;
    QString location = templatePath;
    try {
        checkNotSpecialFile(templatePath);
        // The office opens an empty file as a new document, and the template would be lost
        // without a word.
        if (struct stat info{};
            ::stat(encodeFileName(templatePath).constData(), &info) == 0 && info.st_size == 0) {
            throw AppError(QStringLiteral("the file is empty"), ErrorNumber::PathFileAccessError);
        }
        if (encodeFileName(templatePath) != templatePath.toUtf8()) {
            plainName.emplace(QDir::tempPath() + QStringLiteral("/lumigrove-template-XXXXXX"));
            location = plainName->filePath(isTemplate ? QStringLiteral("template.ott")
                                                      : QStringLiteral("template.odt"));
            if (!plainName->isValid() ||
                ::symlink(encodeFileName(QFileInfo(templatePath).absoluteFilePath()).constData(),
                          encodeFileName(location).constData()) != 0) {
                throw AppError(
                    QStringLiteral("no link to it can be made in %1").arg(QDir::tempPath()),
                    ErrorNumber::PathFileAccessError);
            }
        }
        return m_desktop->loadComponentFromURL(PictureFileUrl(location), QStringLiteral("_blank"),
                                               0, args);
    } catch (const AppError& e) {
        if (OfficeError::endsSession(e.number())) {
            throw;
        }
        // The office names the file it was given; the user knows it under its own name.
        QString why = e.description();
        why.replace(PictureFileUrl(location), PictureFileUrl(templatePath));
        throw AppError(QStringLiteral("The template %1 cannot be opened: %2")
                           .arg(displayFileName(templatePath), why),
                       e.number());
    }
}

bool InsertRun::preparePages(HandlerTrap& trap) {
    m_pageStyles.reset();
    m_pageStyle.clear();
    m_onFirstPage = true;
    if (!m_layout.page.templatePath.isEmpty() &&
        !trap(186, [&] { officeCall([&] { m_controller->startParagraphAtEnd(); }); })) {
        return false;
    }
    if (!m_layout.page.isDefault() &&
        !trap(192, [&] { officeCall([&] { m_controller->anchorPicturesAsCharacters(); }); })) {
        return false;
    }
    if (!PageStyles::needed(m_layout.page)) {
        return true;
    }
    m_pageStyles.emplace(m_layout.page, *m_controller);
    return trap(188, [&] { officeCall([&] { m_pageStyles->prepare(); }); });
}

void InsertRun::insertPictures(HandlerTrap& trap) {
    // The run works on the entries the list holds now, in this order: the list stays
    // editable while the run yields (a drop appends, a drag swaps, a folder add re-enables
    // the editing buttons), and none of that may put a picture in twice, leave one out or
    // leave an empty last page.
    m_pictures.clear();
    trap(120, [&] {
        const int count = m_host.pictureCount();
        m_pictures.reserve(count);
        for (int i = 1; i <= count; ++i) {
            m_pictures.append(m_host.pictureText(i));
        }
    });
    m_breakPending = false;
    m_pictureBoxes.clear();
    m_captionHeight.reset();
    m_arrangement = makePageArrangement(m_layout, *m_dispatcher, *m_frame, *m_controller);
    // The album layouts read the selected picture (its size, the text that holds it), and
    // the suite can abort when the selection is read while the controllers are locked: only
    // the default layout runs locked.
    startStage(trap);
    m_lock.emplace(*m_document, m_layout.isDefault(), m_officeGone);
    for (int i = 1; i <= m_pictures.size() && !m_officeGone && !m_stopped && !m_stageBroken; ++i) {
        if (m_host.stopRequested()) {
            m_stopped = true;
            break;
        }
        m_stagedFiles.clear();
        m_stageFailure.clear();
        // An entry may give several pictures (the pages of a multi-page file); the stage says
        // how many while the first goes in.
        for (int part = 0; part == 0 || part < m_stagedFiles.size(); ++part) {
            insertPicture(trap, i, part);
            if (m_officeGone || m_stopped || m_stageBroken) {
                break;
            }
        }
    }
    // The take-back below runs with the document laid out, as it did without the lock. An
    // office that does not answer the release is reported here, once.
    trap(156, [&] { releaseControllerLock(); });
    // A page break (or a new paragraph) after the last picture that went in, with nothing
    // after it, would leave an empty last page (or paragraph): take it back.
    if (m_breakPending && !m_officeGone) {
        trap(156, [&] { officeCall([&] { dispatch(QStringLiteral(".uno:SwBackspace")); }); });
    }
    m_lock.reset();
    m_arrangement.reset();
}

void InsertRun::startStage(HandlerTrap& trap) {
    if (m_stage == nullptr || m_pictures.isEmpty()) {
        return;
    }
    PictureRoom room;
    room.grow = m_layout.fitToPage;
    if (m_stage->needsRoom()) {
        // The same boxes the pictures are fitted into; a page that cannot be measured leaves
        // the pictures as they are.
        trap(194, [&] {
            officeCall([&] {
                const int captionHeight =
                    m_layout.caption == CaptionKind::None ? 0 : m_controller->captionLineHeight();
                const int lineExtra = m_controller->pictureLineExtra();
                room.upright = pictureBox(m_controller->pageTextArea(QString()), m_layout,
                                          captionHeight, lineExtra);
                if (m_pageStyles && m_layout.page.orientation == PageOrientation::Auto) {
                    room.turned = pictureBox(m_controller->pageTextArea(
                                                 QString::fromLatin1(PageStyles::kLandscapeStyle)),
                                             m_layout, captionHeight, lineExtra);
                }
            });
        });
    }
    m_stage->start(m_pictures, room);
}

QString InsertRun::stagedFile(int part, const QString& path) {
    if (m_stage == nullptr) {
        return path;
    }
    if (!m_stageFailure.isEmpty()) {
        throw AppError(m_stageFailure, ErrorNumber::PathFileAccessError);
    }
    return m_stagedFiles.value(part, path);
}

void InsertRun::insertPicture(HandlerTrap& trap, int i, int part) {
    m_pictureFailed = false;
    m_pictureFailure.clear();
    const QString path = pictureArguments(trap, i, part);
    if (m_stopped) {
        return;
    }
    const bool reachedOffice = !m_pictureFailed && placeAndInsert(trap, path);
    if (reachedOffice && !m_pictureFailed && !m_layout.isDefault()) {
        sizePicture(trap);
    }
    if (reachedOffice) {
        pictureStep(trap, 142, [&] { officeCall([&] { leavePictureSelection(); }); });
    }
    const bool inserted = !m_pictureFailed;
    if (inserted && m_layout.caption != CaptionKind::None && !m_officeGone) {
        trap(174, [&] { officeCall([&] { writeCaption(path); }); });
    }
    if (!inserted && !m_officeGone) {
        trap(176, [&] { officeCall([&] { m_arrangement->pictureNotInserted(); }); });
    }
    bool pageFull = false;
    if (inserted) {
        m_breakPending = false;
        pageFull = m_arrangement->pictureInserted();
        m_host.pictureInserted(i, path);
    } else {
        m_host.pictureFailed(i, path, m_pictureFailure);
    }
    if (m_officeGone || m_stageBroken) {
        return;
    }
    trap(144, [&] { pauseAfterPicture(); });
    if (m_officeGone) {
        return; // the release before the pause found the office gone, and said so
    }
    // A picture that did not go in gets no page of its own: the break that follows the
    // last picture that did go in serves the next one.
    bool more = false;
    trap(146, [&] { more = i < m_pictures.size() || part + 1 < m_stagedFiles.size(); });
    if (more && inserted && !m_stopped) {
        advance(trap, pageFull);
    }
}

QString InsertRun::pictureArguments(HandlerTrap& trap, int i, int part) {
    QString path;
    m_file.clear();
    const bool known = pictureStep(trap, 122, [&] { path = m_pictures.at(i - 1); });
    // What the window shows fails no picture: those steps are reported and the run goes on.
    trap(124, [&] { m_host.setProgressValue(progressPercent(i, m_pictures.size())); });
    trap(126, [&] {
        m_host.setProgressText(QStringLiteral("Processing: ") +
                               displayFileName(FileNameFromPath(path)));
    });
    trap(128, [&] { m_host.doEvents(); });
    trap(130, [&] { m_host.setMousePointer(MousePointer::Hourglass); });
    if (known && m_stage != nullptr && part == 0) {
        // Waited for here, with the picture named in the progress; a stop request ends the
        // wait and the run, with nothing reported.
        const StagedPicture staged =
            m_stage->take(i - 1, [this] { return m_host.stopRequested(); });
        if (staged.stopped) {
            m_stopped = true;
            return path;
        }
        m_stagedFiles = staged.files;
        m_stageFailure = staged.failure;
        m_stageBroken = staged.fatal;
    }
    if (known) {
        pictureStep(trap, 132, [&] {
            // The office would wait for ever on a fifo or a device: only regular files (or
            // names that do not exist, which the office reports itself) are handed over.
            checkNotSpecialFile(path);
            m_file = stagedFile(part, path);
            m_pictureArgs[0] = {QStringLiteral("FileName"), PictureFileUrl(m_file)};
        });
    }
    pictureStep(trap, 134, [&] {
        m_pictureArgs[1] = {QStringLiteral("FilterName"), QStringLiteral("<All formats>")};
    });
    pictureStep(trap, 136, [&] { m_pictureArgs[2] = {QStringLiteral("AsLink"), false}; });
    pictureStep(trap, 138, [&] {
        m_pictureArgs[3] = {QStringLiteral("Style"), QStringLiteral("Graphics")};
    });
    return path;
}

bool InsertRun::placeAndInsert(HandlerTrap& trap, const QString& path) {
    if (m_pageStyles && m_arrangement->pageEmpty() && !pictureStep(trap, 190, [&] {
            officeCall([&] { m_pageStyle = m_pageStyles->startPage(m_file, m_onFirstPage); });
        })) {
        return false;
    }
    if (!pictureStep(trap, 170, [&] { officeCall([&] { m_arrangement->beforePicture(); }); })) {
        return false;
    }
    // The lock is taken again after a pause spent unlocked; an office that does not answer
    // it has the picture fail here.
    return pictureStep(trap, 140,
                       [&] {
                           officeCall([&] {
                               m_lock->take();
                               insertGraphic(path);
                           });
                       }) ||
           !m_officeGone;
}

void InsertRun::sizePicture(HandlerTrap& trap) {
    // The office may answer a picture it could not read without a failure; then no picture
    // is selected, and the picture did not go in.
    QSize size;
    QSize wanted;
    const bool measured = pictureStep(trap, 172, [&] {
        officeCall([&] {
            if (!m_captionHeight) {
                m_captionHeight =
                    m_layout.caption == CaptionKind::None ? 0 : m_controller->captionLineHeight();
            }
            if (!m_pictureBoxes.contains(m_pageStyle)) {
                m_pictureBoxes.insert(
                    m_pageStyle, pictureBox(m_controller->pageTextArea(m_pageStyle), m_layout,
                                            *m_captionHeight, m_controller->pictureLineExtra()));
            }
            size = m_controller->selectedPictureSize();
            wanted = fittedPictureSize(size, m_pictureBoxes.value(m_pageStyle), m_layout.fitToPage);
        });
    });
    if (measured && wanted != size) {
        // A picture that keeps a size that does not fit its place is still in the document:
        // reported, but no failed picture.
        trap(184, [&] { officeCall([&] { m_controller->setSelectedPictureSize(wanted); }); });
    }
}

void InsertRun::advance(HandlerTrap& trap, bool pageFull) {
    if (!pageFull) {
        trap(178, [&] { officeCall([&] { m_arrangement->nextPlace(m_breakPending); }); });
        return;
    }
    trap(180, [&] { officeCall([&] { m_arrangement->endPage(); }); });
    trap(148, [&] { m_breakArgs[0] = {QStringLiteral("Kind"), short(3)}; });
    trap(150, [&] { m_breakArgs[1] = {QStringLiteral("TemplateName"), QString()}; });
    trap(152, [&] { m_breakArgs[2] = {QStringLiteral("PageNumber"), short(0)}; });
    trap(154, [&] {
        officeCall([&] {
            m_lock->take();
            dispatch(QStringLiteral(".uno:InsertBreak"), m_breakArgs);
        });
        m_breakPending = true;
        m_onFirstPage = false;
    });
    if (m_layout.caption != CaptionKind::None) {
        // The new page's paragraph would take the style that follows a caption.
        trap(182, [&] {
            officeCall([&] { m_controller->setCursorParagraphStyle(QStringLiteral("Standard")); });
        });
    }
}

void InsertRun::dispatch(const QString& command, const OfficeArguments& args) {
    m_dispatcher->executeDispatch(*m_frame, command, QString(), 0, args);
}

void InsertRun::writeCaption(const QString& path) {
    // A paragraph of its own in the document's "Caption" style, so that restyling the style
    // restyles every caption.
    dispatch(QStringLiteral(".uno:InsertPara"));
    dispatch(QStringLiteral(".uno:StyleApply"),
             {{QStringLiteral("Style"), QStringLiteral("Caption")},
              {QStringLiteral("FamilyName"), QStringLiteral("ParagraphStyles")}});
    dispatch(QStringLiteral(".uno:InsertText"),
             {{QStringLiteral("Text"), displayFileName(captionFor(path, m_layout.caption))}});
}

bool InsertRun::pictureStep(HandlerTrap& trap, int line, const std::function<void()>& body) {
    if (trap(line, body)) {
        return true;
    }
    if (!m_pictureFailed) {
        m_pictureFailed = true;
        m_pictureFailure = trap.lastFailure();
    }
    return false;
}

void InsertRun::officeCall(const std::function<void()>& call) {
    try {
        call();
    } catch (const AppError& e) {
        if (OfficeError::endsSession(e.number())) {
            m_officeGone = true;
        }
        throw;
    }
}

void InsertRun::insertGraphic(const QString& path) {
    const DispatchState state = m_dispatcher->executeDispatch(
        *m_frame, QStringLiteral(".uno:InsertGraphic"), QString(), 0, m_pictureArgs);
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
    m_dispatcher->executeDispatch(*m_frame, QStringLiteral(".uno:SetAnchorToChar"), QString(), 0,
                                  m_noArgs);
}

void InsertRun::releaseControllerLock(int timeLimitMs) {
    if (m_lock) {
        officeCall([&] { m_lock->releaseForGood(timeLimitMs); });
    }
}

void InsertRun::leavePictureSelection() {
    if (m_lock->wasHeld()) {
        // Under the lock the suite defers switching its view between the picture and the
        // text (also until a while after the lock is let go of), so that ".uno:Escape" can be
        // handled as if no picture were selected and leave it selected, and reading the
        // selection can make the suite abort. Putting the cursor at the end of the body text,
        // right after the picture, leaves the picture at once and reads nothing.
        m_controller->selectEndOfBodyText();
        return;
    }
    if (m_layout.isDefault()) {
        m_dispatcher->executeDispatch(*m_frame, QStringLiteral(".uno:Escape"), QString(), 0,
                                      m_noArgs);
    } else {
        // In a table cell the suite keeps the picture selected after ".uno:Escape"; the
        // cursor is put after the picture, at the end of its text, instead.
        m_controller->selectEndOfPictureText();
    }
    // The suite may carry out the escape later; while the picture is still selected, the
    // next break or picture would silently do nothing.
    const QDeadlineTimer deadline(kSelectionWaitMs);
    while (!m_controller->selectionIsText()) {
        if (deadline.hasExpired()) {
            throw AppError(QStringLiteral("The office suite did not leave the picture selection"),
                           OfficeError::Automation);
        }
        sleepInEventLoop(kSelectionPollMs);
    }
}

void InsertRun::pauseAfterPicture() {
    const double seconds = m_pauseOverride ? *m_pauseOverride : insertPauseSeconds();
    // A pause long enough to watch the document is spent unlocked: the suite lays out and
    // paints what went in so far. Shorter ones keep the lock: the catching up after a release
    // grows with the document (some 30 ms a picture at 1,000 pictures), which a short pause
    // would mostly be spent on.
    // The lock is taken again with the next command that changes the document.
    if (seconds >= kUnlockedPauseSeconds) {
        officeCall([&] { m_lock->release(); });
    }
    PauseSeconds(seconds, m_clock, [this] { return m_host.stopRequested(); });
}

void InsertRun::releaseOffice() {
    m_frame.reset();
    m_controller.reset();
    m_dispatcher.reset();
    m_document.reset();
    m_desktop.reset();
    m_serviceManager.reset();
}
