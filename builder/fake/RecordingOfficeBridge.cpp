#include "builder/fake/RecordingOfficeBridge.h"

#include "builder/OfficeController.h"
#include "builder/OfficeDesktop.h"
#include "builder/OfficeDocument.h"
#include "builder/OfficeFrame.h"
#include "builder/OfficeSession.h"
#include "core/AppError.h"

namespace {

// The fake's objects are thin views on the bridge, which holds the simulated suite.
class RecordingFrame : public OfficeFrame {
public:
    explicit RecordingFrame(int id) : id(id) {}
    const int id;
};

class RecordingController : public OfficeController {
public:
    explicit RecordingController(RecordingOfficeBridge& office) : m_office(office) {}
    std::unique_ptr<OfficeFrame> getFrame() override {
        m_office.enter(QStringLiteral("controller.getFrame"));
        return std::make_unique<RecordingFrame>(++m_office.framesCreated);
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
    void setCursorParagraphStyle(const QString& styleName) override {
        m_office.enter(QStringLiteral("controller.setParaStyleName"), styleName);
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
    int captionLineHeight() override {
        m_office.enter(QStringLiteral("controller.captionLineHeight"));
        return m_office.captionHeight;
    }
    int pictureLineExtra() override {
        m_office.enter(QStringLiteral("controller.pictureLineExtra"));
        return m_office.pictureLineExtra;
    }
    QSize pageTextArea(const QString& styleName) override {
        m_office.enter(QStringLiteral("controller.pageTextArea"), styleName);
        if (styleName.isEmpty() || !m_office.pageStyles.contains(styleName)) {
            return m_office.textArea;
        }
        return m_office.pageStyles.value(styleName);
    }
    QString cursorPageStyle() override {
        m_office.enter(QStringLiteral("controller.cursorPageStyle"));
        return QStringLiteral("Standard");
    }
    QString nextPageStyle(const QString& styleName) override {
        m_office.enter(QStringLiteral("controller.nextPageStyle"), styleName);
        return styleName;
    }
    void changePageStyle(const PageStyleChange& change) override {
        m_office.enter(QStringLiteral("controller.changePageStyle"), change.name);
        // A Letter page with 2 cm margins, unless told otherwise.
        const QSize paper =
            orientedPaper(change.paper.value_or(QSize(21590, 27940)), change.orientation);
        const int margin = change.margin.value_or(2000);
        m_office.pageStyles.insert(change.name, paper - QSize(2 * margin, 2 * margin));
    }
    void setCursorPageStyle(const QString& styleName) override {
        m_office.enter(QStringLiteral("controller.setPageDescName"), styleName);
    }
    void anchorPicturesAsCharacters() override {
        m_office.enter(QStringLiteral("controller.anchorPicturesAsCharacters"));
    }
    void startParagraphAtEnd() override {
        m_office.enter(QStringLiteral("controller.startParagraphAtEnd"));
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
