#include "tests/support/RecordingOfficeBridge.h"

#include "builder/OfficeController.h"
#include "builder/OfficeCursor.h"
#include "builder/OfficeDesktop.h"
#include "builder/OfficeDocument.h"
#include "builder/OfficeFrame.h"
#include "builder/OfficeSession.h"
#include "core/AppError.h"

namespace {

const QString kStandard = QStringLiteral("Standard");

// The fake's objects are thin views on the bridge, which holds the simulated suite.
class RecordingFrame : public OfficeFrame {
public:
    explicit RecordingFrame(int id) : id(id) {}
    const int id;
};

class RecordingCursor : public OfficeCursor {
public:
    explicit RecordingCursor(RecordingOfficeBridge& office) : m_office(office) {}
    void setParagraphStyle(const QString& styleName) override {
        m_office.enter(QStringLiteral("controller.setParaStyleName"), styleName);
    }
    QString pageStyle() override {
        m_office.enter(QStringLiteral("controller.cursorPageStyle"));
        return m_office.cursorPageStyle;
    }
    void setPageStyle(const QString& styleName) override {
        m_office.enter(QStringLiteral("controller.setPageDescName"), styleName);
        m_office.cursorPageStyle = styleName;
    }
    void startParagraphAtEnd() override {
        m_office.enter(QStringLiteral("controller.startParagraphAtEnd"));
    }
    int pictureLineExtra() override {
        m_office.enter(QStringLiteral("controller.pictureLineExtra"));
        return m_office.pictureLineExtra;
    }
    QSize pageTextArea() override {
        m_office.enter(QStringLiteral("controller.pageTextArea"));
        return m_office.pageStyle(m_office.cursorPageStyle).textArea();
    }

private:
    RecordingOfficeBridge& m_office;
};

class RecordingStyles : public OfficeStyles {
public:
    explicit RecordingStyles(RecordingOfficeBridge& office) : m_office(office) {}
    bool hasPageStyle(const QString& name) override {
        m_office.enter(QStringLiteral("controller.hasPageStyle"), name);
        return name == kStandard || m_office.pageStyles.contains(name);
    }
    void makePageStyle(const QString& name) override {
        m_office.enter(QStringLiteral("controller.makePageStyle"), name);
        m_office.pageStyles.insert(name, m_office.pageStyle(kStandard));
    }
    void copyHeaderAndFooter(const QString& from, const QString& to) override {
        m_office.enter(QStringLiteral("controller.copyHeaderAndFooter"),
                       from + QLatin1Char(' ') + to);
        const PageFormat source = m_office.pageStyle(from);
        PageFormat& style = changed(to);
        style.header = source.header;
        style.footer = source.footer;
    }
    PageFormat pageFormat(const QString& name) override {
        m_office.enter(QStringLiteral("controller.pageFormat"), name);
        return m_office.pageStyle(name);
    }
    void setPaper(const QString& name, const QSize& paper, bool landscape) override {
        m_office.enter(QStringLiteral("controller.changePageStyle"),
                       QStringLiteral("%1 paper %2x%3%4")
                           .arg(name)
                           .arg(paper.width())
                           .arg(paper.height())
                           .arg(landscape ? QStringLiteral(" landscape") : QString()));
        changed(name).paper = paper;
    }
    void setMargins(const QString& name, int margin) override {
        m_office.enter(QStringLiteral("controller.changePageStyle"),
                       QStringLiteral("%1 margins %2").arg(name).arg(margin));
        changed(name).margins = QMargins(margin, margin, margin, margin);
    }
    void anchorPicturesAsCharacters() override {
        m_office.enter(QStringLiteral("controller.anchorPicturesAsCharacters"));
    }
    int captionLineHeight() override {
        m_office.enter(QStringLiteral("controller.captionLineHeight"));
        return m_office.captionHeight;
    }

private:
    PageFormat& changed(const QString& name) {
        if (!m_office.pageStyles.contains(name)) {
            m_office.pageStyles.insert(name, m_office.pageStyle(name));
        }
        return m_office.pageStyles[name];
    }

    RecordingOfficeBridge& m_office;
};

class RecordingController : public OfficeController {
public:
    explicit RecordingController(RecordingOfficeBridge& office) : m_office(office) {}
    std::unique_ptr<OfficeFrame> getFrame() override {
        m_office.enter(QStringLiteral("controller.getFrame"));
        return std::make_unique<RecordingFrame>(++m_office.framesCreated);
    }
    std::unique_ptr<OfficeCursor> cursor() override {
        return std::make_unique<RecordingCursor>(m_office);
    }
    bool selectionIsText() override {
        m_office.enter(QStringLiteral("controller.getSelection"));
        ++m_office.selectionReadings;
        if (m_office.controllerLocks > 0) {
            ++m_office.selectionReadingsUnderLock;
        }
        if (m_office.escapePending) {
            if (m_office.readingsUntilEscaped > 0) {
                --m_office.readingsUntilEscaped;
                return false;
            }
            m_office.escapePending = false;
            m_office.pictureSelected = false;
        }
        return !m_office.pictureSelected;
    }
    void selectEndOfPictureText() override {
        m_office.enter(QStringLiteral("controller.select"), QStringLiteral("end of text"));
        m_office.pictureSelected = false;
        m_office.escapePending = false;
    }
    void selectEndOfBodyText() override {
        m_office.enter(QStringLiteral("controller.select"), QStringLiteral("end of body"));
        ++m_office.bodyEndSelections;
        m_office.pictureSelected = false;
        m_office.escapePending = false;
    }
    quint64 bringWindowToFront() override {
        m_office.enter(QStringLiteral("controller.toFront"));
        return m_office.documentWindow;
    }
    QSize selectedPictureSize() override {
        m_office.enter(QStringLiteral("controller.getSelection.Size"));
        if (!m_office.pictureSelected) {
            throw AppError(QStringLiteral("No picture is selected"), OfficeError::Automation);
        }
        return m_office.insertedPictureSize;
    }
    void setSelectedPictureSize(const QSize& size) override {
        m_office.enter(QStringLiteral("controller.getSelection.setSize"),
                       QStringLiteral("%1x%2").arg(size.width()).arg(size.height()));
        if (!m_office.pictureSelected) {
            throw AppError(QStringLiteral("No picture is selected"), OfficeError::Automation);
        }
        m_office.pictureSizes.append(size);
    }

private:
    RecordingOfficeBridge& m_office;
};

class RecordingDocument : public OfficeDocument {
public:
    explicit RecordingDocument(RecordingOfficeBridge& office) : m_office(office) {}
    std::unique_ptr<OfficeController> getCurrentController() override {
        m_office.enter(QStringLiteral("document.getCurrentController"));
        return std::make_unique<RecordingController>(m_office);
    }
    std::unique_ptr<OfficeStyles> styles() override {
        return std::make_unique<RecordingStyles>(m_office);
    }
    void storeToFile(const QString& path, const QString& filterName,
                     const OfficeArguments& filterData, int timeLimitMs,
                     const QString& replacing) override {
        Q_UNUSED(replacing);
        m_office.storeTimeLimitsMs.append(timeLimitMs);
        QString argument = path + QLatin1Char(' ') + filterName;
        for (const OfficeArgument& setting : filterData) {
            argument += QStringLiteral(" [") + describeArgument(setting) + QLatin1Char(']');
        }
        m_office.enter(QStringLiteral("document.storeToFile"), argument);
        if (m_office.onStore) {
            m_office.onStore(path);
        }
    }
    void close() override { m_office.enter(QStringLiteral("document.close")); }
    void lockControllers() override {
        m_office.enter(QStringLiteral("document.lockControllers"));
        ++m_office.controllerLocks;
    }
    void unlockControllers(int /*timeLimitMs*/) override {
        m_office.enter(QStringLiteral("document.unlockControllers"));
        --m_office.controllerLocks;
    }

private:
    RecordingOfficeBridge& m_office;
};

class RecordingDesktop : public OfficeDesktop {
public:
    explicit RecordingDesktop(RecordingOfficeBridge& office) : m_office(office) {}
    std::unique_ptr<OfficeDocument> loadComponentFromURL(const QString& url,
                                                         const QString& targetFrame,
                                                         short searchFlags,
                                                         const OfficeArguments& args) override {
        m_office.enter(
            QStringLiteral("desktop.loadComponentFromURL"),
            QStringLiteral("%1 %2 %3 %4").arg(url, targetFrame).arg(searchFlags).arg(args.size()));
        return std::make_unique<RecordingDocument>(m_office);
    }
    void terminate() override { m_office.enter(QStringLiteral("desktop.terminate")); }

private:
    RecordingOfficeBridge& m_office;
};

class RecordingDispatcher : public OfficeDispatcher {
public:
    explicit RecordingDispatcher(RecordingOfficeBridge& office) : m_office(office) {}
    DispatchState executeDispatch(OfficeFrame& frame, const QString& command,
                                  const QString& targetFrame, short searchFlags,
                                  const OfficeArguments& args) override {
        RecordingOfficeBridge::Dispatch dispatch;
        dispatch.command = command;
        dispatch.targetFrame = targetFrame;
        dispatch.searchFlags = searchFlags;
        dispatch.args = args;
        dispatch.frame = static_cast<RecordingFrame&>(frame).id;
        dispatch.controllerLocks = m_office.controllerLocks;
        if (m_office.disconnectAtDispatch > 0 &&
            m_office.dispatches.size() + 1 >= m_office.disconnectAtDispatch) {
            m_office.gone = true;
        }
        m_office.enter(QStringLiteral("dispatcher.executeDispatch"), command);

        const bool isPicture = command == QLatin1String(".uno:InsertGraphic");
        const bool isBreak = command == QLatin1String(".uno:InsertBreak");
        if ((isPicture || isBreak) && m_office.pictureSelected) {
            dispatch.carriedOut = false;
        }
        m_office.dispatches.append(dispatch);
        if (m_office.onDispatch) {
            m_office.onDispatch(dispatch);
        }
        DispatchState state = DispatchState::Success;
        if (m_office.answer) {
            state = m_office.answer(dispatch);
        } else if (isBreak || command == QLatin1String(".uno:SetAnchorToChar")) {
            state = DispatchState::Failure;
        }
        if (isPicture && dispatch.carriedOut && state != DispatchState::Failure) {
            m_office.pictureSelected = true;
        }
        if (command == QLatin1String(".uno:Escape")) {
            // The suite carries out the escape later, after some readings of the selection.
            m_office.escapePending = m_office.pictureSelected && m_office.escapeDelayReadings > 0;
            m_office.readingsUntilEscaped = m_office.escapeDelayReadings;
            m_office.pictureSelected = m_office.escapePending;
        }
        return state;
    }

private:
    RecordingOfficeBridge& m_office;
};

class RecordingSession : public OfficeSession {
public:
    explicit RecordingSession(RecordingOfficeBridge& office) : m_office(office) {}
    std::unique_ptr<OfficeDesktop> createDesktop() override {
        m_office.enter(QStringLiteral("session.createInstance"),
                       QStringLiteral("com.sun.star.frame.Desktop"));
        return std::make_unique<RecordingDesktop>(m_office);
    }
    std::unique_ptr<OfficeDispatcher> createDispatchHelper() override {
        m_office.enter(QStringLiteral("session.createInstance"),
                       QStringLiteral("com.sun.star.frame.DispatchHelper"));
        return std::make_unique<RecordingDispatcher>(m_office);
    }

private:
    RecordingOfficeBridge& m_office;
};

} // namespace

std::unique_ptr<OfficeSession> RecordingOfficeBridge::createServiceManager() {
    // A new session reaches a suite that has been started again.
    gone = false;
    enter(QStringLiteral("bridge.createServiceManager"));
    ++sessionsCreated;
    return std::make_unique<RecordingSession>(*this);
}

QList<RecordingOfficeBridge::Dispatch>
RecordingOfficeBridge::dispatchesOf(const QString& command) const {
    QList<Dispatch> found;
    for (const Dispatch& dispatch : dispatches) {
        if (dispatch.command == command) {
            found.append(dispatch);
        }
    }
    return found;
}

PageFormat RecordingOfficeBridge::pageStyle(const QString& name) const {
    if (pageStyles.contains(name)) {
        return pageStyles.value(name);
    }
    if (name != kStandard) {
        throw AppError(QStringLiteral("No page style %1").arg(name), OfficeError::Automation);
    }
    // A Letter page whose margins leave the text area the test asked for.
    const QSize paper(21590, 27940);
    const QSize room = paper - textArea;
    PageFormat page;
    page.paper = paper;
    page.margins = QMargins(room.width() / 2, room.height() / 2, room.width() - room.width() / 2,
                            room.height() - room.height() / 2);
    return page;
}

void RecordingOfficeBridge::enter(const QString& member, const QString& argument) {
    calls.append(argument.isEmpty() ? member : member + QLatin1Char(' ') + argument);
    if (gone) {
        // A suite that went away took its documents, and their locks, along.
        controllerLocks = 0;
        throw AppError(QStringLiteral("Binary URP bridge disposed during call"),
                       OfficeError::Disconnected);
    }
    if (!failingMember.isEmpty() &&
        (member == failingMember || calls.constLast() == failingMember)) {
        throw AppError(QStringLiteral("%1 failed").arg(member), failingNumber);
    }
}
