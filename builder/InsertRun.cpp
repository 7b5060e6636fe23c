#include "InsertRun.h"

#include "AppError.h"
#include "EventLoopWait.h"
#include "HandlerTrap.h"
#include "InsertHost.h"
#include "InsertRoutines.h"
#include "OfficeBridge.h"
#include "OfficeController.h"
#include "OfficeDesktop.h"
#include "OfficeDispatcher.h"
#include "OfficeDocument.h"
#include "OfficeFrame.h"
#include "OfficeSession.h"
#include "Settings.h"

#include <QDeadlineTimer>

#include <cmath>

namespace {

// How long the run waits after each picture, in seconds; users and tests may shorten it.
const QString kInsertPauseKey = QStringLiteral("InsertPause");
const QString kInsertPauseDefault = QStringLiteral("2");

double insertPauseSeconds() {
    QString text = GetSetting(kInsertPauseKey, kInsertPauseDefault).trimmed();
    bool ok = false;
    double seconds = text.toDouble(&ok);
    if (!ok) {
        seconds = text.replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    }
    if (!ok || !std::isfinite(seconds)) {
        return kInsertPauseDefault.toDouble();
    }
    return seconds < 0 ? 0 : seconds;
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

    trap(106, [&] { m_host.setMousePointer(kHourglassPointer); });

    // Without a document there is nothing to insert into, and with the office gone every
    // later call would fail the same way: either ends the run after its one report.
    m_officeGone = false;
    bool completed = false;
    if (openDocument(trap)) {
        insertPictures(trap);
        completed = !m_officeGone;
    }

    trap(158, [&] { m_host.setMousePointer(kDefaultPointer); });
    trap(160, [&] { m_host.setProgressValue(0); });
    trap(162, [&] { m_host.setProgressText(QStringLiteral("Progress Bar")); });
    if (completed) {
        trap(164, [&] { m_host.showMessage(QStringLiteral("Done.")); });
    }
    trap(168, [&] { m_host.setInsertBusy(false); });
    m_completed = completed;
    if (!m_keepDocument) {
        releaseOffice();
    }
}

bool InsertRun::openDocument(HandlerTrap& trap) {
    return trap(108,
                [&] {
                    if (m_bridge == nullptr) {
                        throw AppError(QStringLiteral("The office suite cannot be reached"),
                                       OfficeError::Automation);
                    }
                    m_serviceManager = m_bridge->createServiceManager();
                }) &&
           trap(110, [&] { m_desktop = m_serviceManager->createDesktop(); }) &&
           trap(112,
                [&] {
                    m_document =
                        m_desktop->loadComponentFromURL(QStringLiteral("private:factory/swriter"),
                                                        QStringLiteral("_blank"), 0, m_noArgs);
                }) &&
           trap(114, [&] { m_dispatcher = m_serviceManager->createDispatchHelper(); }) &&
           trap(116, [&] { m_controller = m_document->getCurrentController(); }) &&
           trap(118, [&] { m_frame = m_document->getCurrentController()->getFrame(); });
}

void InsertRun::insertPictures(HandlerTrap& trap) {
    // Entries appended while the run yields are counted below but not inserted.
    int last = 0;
    trap(120, [&] { last = m_host.pictureCount(); });
    for (int i = 1; i <= last && !m_officeGone; ++i) {
        insertPicture(trap, i);
    }
}

void InsertRun::insertPicture(HandlerTrap& trap, int i) {
    QString path;
    trap(122, [&] { path = m_host.pictureText(i); });
    trap(124, [&] {
        const int count = m_host.pictureCount();
        if (count == 0) {
            throw AppError(QStringLiteral("Division by zero"), 11);
        }
        const double percent = std::floor(static_cast<double>(i) / count * 100.0);
        if (percent > 100.0) {
            throw AppError(QStringLiteral("Invalid property value"), 380);
        }
        m_host.setProgressValue(static_cast<int>(percent));
    });
    trap(126,
         [&] { m_host.setProgressText(QStringLiteral("Processing: ") + FileNameFromPath(path)); });
    trap(128, [&] { m_host.doEvents(); });
    trap(130, [&] { m_host.setMousePointer(kHourglassPointer); });

    auto* picture = m_pictureArgs.getArray();
    trap(132, [&] {
        picture[0] = NewPropertyValue(QStringLiteral("FileName"), textValue(PictureFileUrl(path)));
    });
    trap(134, [&] {
        picture[1] = NewPropertyValue(QStringLiteral("FilterName"),
                                      textValue(QStringLiteral("<All formats>")));
    });
    trap(136,
         [&] { picture[2] = NewPropertyValue(QStringLiteral("AsLink"), booleanValue(false)); });
    trap(138, [&] {
        picture[3] =
            NewPropertyValue(QStringLiteral("Style"), textValue(QStringLiteral("Graphics")));
    });
    if (!officeStep(trap, 140, [&] { insertGraphic(path); })) {
        return;
    }
    if (!officeStep(trap, 142, [&] { leavePictureSelection(); })) {
        return;
    }
    trap(144, [&] { pauseAfterPicture(); });

    bool more = false;
    trap(146, [&] { more = i < m_host.pictureCount(); });
    if (!more) {
        return;
    }
    auto* pageBreak = m_breakArgs.getArray();
    trap(148, [&] { pageBreak[0] = NewPropertyValue(QStringLiteral("Kind"), shortValue(3)); });
    trap(150, [&] {
        pageBreak[1] = NewPropertyValue(QStringLiteral("TemplateName"), textValue(QString()));
    });
    trap(152,
         [&] { pageBreak[2] = NewPropertyValue(QStringLiteral("PageNumber"), shortValue(0)); });
    // The suite answers FAILURE for a break even when it inserted one: the answer says nothing.
    officeStep(trap, 154, [&] {
        m_dispatcher->executeDispatch(*m_frame, QStringLiteral(".uno:InsertBreak"), QString(), 0,
                                      m_breakArgs);
    });
}

bool InsertRun::officeStep(HandlerTrap& trap, int line, const std::function<void()>& body) {
    return trap(line,
                [&] {
                    try {
                        body();
                    } catch (const AppError& e) {
                        if (e.number() == OfficeError::Disconnected) {
                            m_officeGone = true;
                        }
                        throw;
                    }
                }) ||
           !m_officeGone;
}

void InsertRun::insertGraphic(const QString& path) {
    const DispatchState state = m_dispatcher->executeDispatch(
        *m_frame, QStringLiteral(".uno:InsertGraphic"), QString(), 0, m_pictureArgs);
    if (state == DispatchState::Failure) {
        throw AppError(QStringLiteral("The office suite did not insert the picture %1").arg(path),
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

void InsertRun::leavePictureSelection() {
    m_dispatcher->executeDispatch(*m_frame, QStringLiteral(".uno:Escape"), QString(), 0, m_noArgs);
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
    PauseSeconds(m_pauseOverride ? *m_pauseOverride : insertPauseSeconds(), m_clock);
}

void InsertRun::releaseOffice() {
    m_frame.reset();
    m_controller.reset();
    m_dispatcher.reset();
    m_document.reset();
    m_desktop.reset();
    m_serviceManager.reset();
}
