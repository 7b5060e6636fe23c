#include "builder/InsertRun.h"

#include "builder/InsertHost.h"
#include "builder/InsertRoutines.h"
#include "builder/OfficeController.h"
#include "builder/PageSequence.h"
#include "builder/PictureCommands.h"
#include "builder/RunSteps.h"
#include "core/AppError.h"
#include "core/FileNames.h"
#include "core/MousePointer.h"
#include "core/Settings.h"

#include <algorithm>

namespace {

// How long the run waits after each picture, in seconds; users and tests may shorten it.
double insertPauseSeconds() {
    return std::max(0.0, GetSecondsSetting(Setting::InsertPause));
}

} // namespace

InsertRun::InsertRun(InsertHost host, OfficeBridge* bridge, Clock& clock, QString location)
    : m_host(host), m_bridge(bridge), m_clock(clock), m_location(std::move(location)) {}

InsertRun::~InsertRun() = default;

void InsertRun::run() {
    RunSteps steps(m_host.outcome.errorReporter(), m_location);

    bool busy = false;
    steps(100, [&] { busy = m_host.outcome.insertBusy(); });
    if (busy) {
        return;
    }
    steps(102, [&] { m_host.outcome.setInsertBusy(true); });

    bool empty = false;
    steps(104, [&] { empty = m_host.list.pictureCount() == 0; });
    if (empty) {
        steps(166, [&] { m_host.display.showMessage(QStringLiteral("No files added.")); });
        steps(168, [&] { m_host.outcome.setInsertBusy(false); });
        return;
    }

    steps(106, [&] { m_host.display.setMousePointer(MousePointer::Hourglass); });

    // Without a document there is nothing to insert into, and with the office gone every
    // later call would fail the same way: either ends the run after its one report.
    bool completed = false;
    if (openDocument(steps)) {
        insertPictures(steps);
        completed = !steps.officeGone() && !m_stopped && !m_files.broken();
    }

    steps(158, [&] { m_host.display.setMousePointer(MousePointer::Default); });
    steps(160, [&] { m_host.display.setProgressValue(0); });
    steps(162, [&] { m_host.display.setProgressText(QStringLiteral("Progress Bar")); });
    if (completed) {
        steps(164, [&] {
            const QString note = m_files.doneNote();
            m_host.display.showMessage(note.isEmpty() ? QStringLiteral("Done.")
                                                      : QStringLiteral("Done.\r\n\r\n") + note);
        });
    }
    if (completed && m_host.display.showsDocument()) {
        // The document is ready to be seen; a window that cannot be raised is no failure of
        // the document, so this step reports nothing.
        quint64 window = 0;
        try {
            steps.call([&] { window = m_office.controller->bringWindowToFront(); });
        } catch (...) {
        }
        m_host.display.documentInFront(window);
    }
    steps(168, [&] { m_host.outcome.setInsertBusy(false); });
    m_completed = completed;
    if (!m_keepDocument) {
        releaseOffice();
    }
}

bool InsertRun::openDocument(RunSteps& steps) {
    const bool reached = m_office.reach(steps, m_bridge);
    const bool opened = reached && m_office.open(steps, m_layout.page.templatePath);
    if (opened) {
        m_commands = std::make_unique<PictureCommands>(*m_office.dispatcher, *m_office.frame,
                                                       *m_office.controller);
        m_pages = std::make_unique<PageSequence>(m_layout, *m_office.dispatcher, *m_office.frame,
                                                 *m_office.cursor, *m_office.styles);
    }
    if (!opened || !m_pages->prepare(steps)) {
        m_host.outcome.documentNotOpened(steps.lastFailure(), !reached || steps.officeGone());
        return false;
    }
    m_host.display.documentOpened();
    return true;
}

void InsertRun::insertPictures(RunSteps& steps) {
    // The run works on the entries the list holds now, in this order: the list stays
    // editable while the run yields (a drop appends, a drag swaps, a folder add re-enables
    // the editing buttons), and none of that may put a picture in twice, leave one out or
    // leave an empty last page.
    m_pictures.clear();
    steps(120, [&] {
        const int count = m_host.list.pictureCount();
        m_pictures.reserve(count);
        for (int i = 1; i <= count; ++i) {
            m_pictures.append(m_host.list.pictureText(i));
        }
    });
    // The same boxes the pictures are fitted into; a page that cannot be measured leaves the
    // pictures as they are.
    m_files.start(m_pictures, m_layout.fitToPage, [&](PictureRoom& room) {
        steps.office(194, [&] { m_pages->measureRoom(room); });
    });
    // The album layouts read the selected picture (its size, the text that holds it), and
    // the suite can abort when the selection is read while the controllers are locked: only
    // the default layout runs locked.
    m_lock.emplace(*m_office.document, m_layout.isDefault(), steps.officeGone());
    m_steps = &steps;
    for (int i = 1;
         i <= m_pictures.size() && !steps.officeGone() && !m_stopped && !m_files.broken(); ++i) {
        if (m_host.outcome.stopRequested()) {
            m_stopped = true;
            break;
        }
        m_files.nextEntry();
        // An entry may give several pictures (the pages of a multi-page file); the stage says
        // how many while the first goes in.
        for (int part = 0; part < m_files.parts(); ++part) {
            insertPicture(steps, i, part);
            if (steps.officeGone() || m_stopped || m_files.broken()) {
                break;
            }
        }
    }
    // The take-back below runs with the document laid out, as it did without the lock. An
    // office that does not answer the release is reported here, once.
    steps(156, [&] { releaseControllerLock(); });
    // A page break (or a new paragraph) after the last picture that went in, with nothing
    // after it, would leave an empty last page (or paragraph): take it back.
    if (m_pages->trailing() && !steps.officeGone()) {
        steps.office(156, [&] { m_commands->dispatch(QStringLiteral(".uno:SwBackspace")); });
    }
    m_lock.reset();
    m_steps = nullptr;
}

void InsertRun::insertPicture(RunSteps& steps, int i, int part) {
    steps.startPicture();
    const QString path = pictureArguments(steps, i, part);
    if (m_stopped) {
        return;
    }
    const bool reachedOffice = !steps.pictureFailed() && placeAndInsert(steps, path);
    if (reachedOffice && !steps.pictureFailed() && !m_layout.isDefault()) {
        sizePicture(steps);
    }
    if (reachedOffice) {
        steps.pictureOffice(142,
                            [&] { m_commands->leave(m_lock->wasHeld(), m_layout.isDefault()); });
    }
    const bool inserted = !steps.pictureFailed();
    if (inserted && m_layout.caption != CaptionKind::None && !steps.officeGone()) {
        steps.office(174, [&] {
            // The facts come from the file in the list, not from a copy without its metadata.
            const PictureFacts facts = m_layout.caption == CaptionKind::Pattern && m_captionFacts
                                           ? m_captionFacts(path, m_layout.captionPattern)
                                           : PictureFacts();
            m_commands->writeCaption(path, captionPieces(m_layout, path, facts));
        });
    }
    if (!inserted && !steps.officeGone()) {
        steps.office(176, [&] { m_pages->pictureNotInserted(); });
    }
    bool pageFull = false;
    if (inserted) {
        pageFull = m_pages->pictureInserted();
        m_host.outcome.pictureInserted(i, path);
    } else {
        m_host.outcome.pictureFailed(i, path, steps.pictureFailure());
    }
    if (steps.officeGone() || m_files.broken()) {
        return;
    }
    steps(144, [&] { pauseAfterPicture(steps); });
    if (steps.officeGone()) {
        return; // the release before the pause found the office gone, and said so
    }
    // A picture that did not go in gets no page of its own: the break that follows the
    // last picture that did go in serves the next one.
    bool more = false;
    steps(146, [&] { more = i < m_pictures.size() || part + 1 < m_files.parts(); });
    if (more && inserted && !m_stopped) {
        m_pages->advance(pageFull, steps, [&] { m_lock->take(); });
    }
}

QString InsertRun::pictureArguments(RunSteps& steps, int i, int part) {
    QString path;
    m_file.clear();
    const bool known = steps.picture(122, [&] { path = m_pictures.at(i - 1); });
    // What the window shows fails no picture: those steps are reported and the run goes on.
    steps(124, [&] { m_host.display.setProgressValue(progressPercent(i, m_pictures.size())); });
    steps(126, [&] {
        m_host.display.setProgressText(QStringLiteral("Processing: ") +
                                       displayFileName(FileNameFromPath(path)));
    });
    steps(128, [&] { m_host.display.doEvents(); });
    steps(130, [&] { m_host.display.setMousePointer(MousePointer::Hourglass); });
    // Waited for here, with the picture named in the progress; a stop request ends the wait
    // and the run, with nothing reported.
    if (known && part == 0 &&
        !m_files.take(i - 1, [this] { return m_host.outcome.stopRequested(); })) {
        m_stopped = true;
        return path;
    }
    if (known) {
        steps.picture(132, [&] {
            // The office would wait for ever on a fifo or a device: only regular files (or
            // names that do not exist, which the office reports itself) are handed over.
            checkNotSpecialFile(path);
            m_file = m_files.file(part, path);
            m_pictureArgs[0] = {QStringLiteral("FileName"), PictureFileUrl(m_file)};
        });
    }
    steps.picture(134, [&] {
        m_pictureArgs[1] = {QStringLiteral("FilterName"), QStringLiteral("<All formats>")};
    });
    steps.picture(136, [&] { m_pictureArgs[2] = {QStringLiteral("AsLink"), false}; });
    steps.picture(138, [&] {
        m_pictureArgs[3] = {QStringLiteral("Style"), QStringLiteral("Graphics")};
    });
    return path;
}

bool InsertRun::placeAndInsert(RunSteps& steps, const QString& path) {
    if (m_pages->startsStyledPage() && !steps.pictureOffice(190, [&] {
            m_pages->startPage([&] { return m_host.list.pictureShape(m_file); });
        })) {
        return false;
    }
    if (!steps.pictureOffice(170, [&] { m_pages->placePicture(); })) {
        return false;
    }
    // The lock is taken again after a pause spent unlocked; an office that does not answer
    // it has the picture fail here.
    return steps.pictureOffice(140, [&] {
        m_lock->take();
        m_commands->insert(path, m_pictureArgs);
    }) || !steps.officeGone();
}

void InsertRun::sizePicture(RunSteps& steps) {
    // The office may answer a picture it could not read without a failure; then no picture
    // is selected, and the picture did not go in.
    QSize size;
    QSize wanted;
    const bool measured = steps.pictureOffice(172, [&] {
        const QSize box = m_pages->pictureBox();
        size = m_office.controller->selectedPictureSize();
        wanted = fittedPictureSize(size, box, m_layout.fitToPage);
    });
    if (measured && wanted != size) {
        // A picture that keeps a size that does not fit its place is still in the document:
        // reported, but no failed picture.
        steps.office(184, [&] { m_office.controller->setSelectedPictureSize(wanted); });
    }
}

void InsertRun::releaseControllerLock(int timeLimitMs) {
    if (m_lock) {
        m_steps->call([&] { m_lock->releaseForGood(timeLimitMs); });
    }
}

void InsertRun::pauseAfterPicture(RunSteps& steps) {
    const double seconds = m_pauseOverride ? *m_pauseOverride : insertPauseSeconds();
    // A pause long enough to watch the document is spent unlocked: the suite lays out and
    // paints what went in so far. Shorter ones keep the lock: the catching up after a release
    // grows with the document (some 30 ms a picture at 1,000 pictures), which a short pause
    // would mostly be spent on.
    // The lock is taken again with the next command that changes the document.
    if (seconds >= kUnlockedPauseSeconds) {
        steps.call([&] { m_lock->release(); });
    }
    PauseSeconds(seconds, m_clock, [this] { return m_host.outcome.stopRequested(); });
}

void InsertRun::releaseOffice() {
    m_pages.reset();
    m_commands.reset();
    m_office.release();
}
