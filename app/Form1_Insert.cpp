// Building the document: the insert run, the document options it is laid out by, and the
// start-up check for the office suite.
#include "app/Form1.h"

#include "app/CaptionProgressBar.h"
#include "builder/InsertHost.h"
#include "builder/InsertRun.h"
#include "builder/OfficeBridge.h"
#include "builder/OfficeSession.h"
#include "core/AlbumLayout.h"
#include "core/AppError.h"
#include "core/AppTitle.h"
#include "core/DocumentOptions.h"
#include "core/ErrorReport.h"
#include "core/HandlerTrap.h"
#include "core/PicturePolicy.h"
#include "core/UiServices.h"
#include "piclist/PictureListModel.h"
#include "prepare/CaptionFacts.h"
#include "prepare/PictureShape.h"
#include "prepare/PreparedPictures.h"

#include <QUrl>

namespace {

const QUrl kOfficeDownloadPage(QStringLiteral("https://www.libreoffice.org/download/"));
const QString kDocumentOptions =
    QStringLiteral("in Sheafwork2021/08/31.Form1.DocumentOptions_Click ");

QString officeMissingMessage() {
    return QStringLiteral("Error 214878392") + QStringLiteral("\r\n\r\n") +
           QStringLiteral("OpenOffice is required to run this software. It is not installed on "
                          "this computer.") +
           QStringLiteral("\r\r") + QStringLiteral("Woud you like to open this site now?") +
           QStringLiteral("\r\n\r\n") +
           QStringLiteral("(If you think this error is a mistake and you have OpenOffice "
                          "installed, please email a screenshot of this error message and a "
                          "screenshot of the OpenOffice 'About' window to ") +
           QLatin1String(kSupportEmail) + QStringLiteral(")");
}

} // namespace

// The main window as the host of an insert run: the run reaches the window through it only.
class Form1::InsertRunHost : public InsertList, public InsertDisplay, public InsertOutcome {
public:
    explicit InsertRunHost(Form1& form) : m_form(form) {}

    bool insertBusy() const override { return m_form.m_inserting; }
    void setInsertBusy(bool busy) override { m_form.m_inserting = busy; }
    int pictureCount() override { return m_form.pictureList().count(); }
    QString pictureText(int i) override { return m_form.pictureList().text(i); }
    QSize pictureShape(const QString& file) override { return shownPictureSize(file); }
    void setMousePointer(int value) override { m_form.setMousePointer(value); }
    void setProgressValue(int percent) override { m_form.ProgressBar1->setValue(percent); }
    void setProgressText(const QString& text) override { m_form.ProgressBar1->setCaption(text); }
    void showMessage(const QString& text) override {
        m_form.services().ui.messageBox(text, MsgStyle::OkOnly, applicationTitle());
    }
    ErrorReporter& errorReporter() override { return m_form.services().reporter; }
    void doEvents() override { Form1::doEvents(); }
    void documentOpened() override {
        // The office opens the new document in a window of its own, in front: the progress
        // is to stay in view while the pictures go in.
        m_form.keepInFrontOfTheDocument();
        // The document is the user's from now on, also when the run or the program is cut
        // short: the office that holds it stays.
        if (OfficeBridge* office = m_form.services().office) {
            office->keepStartedOffice();
        }
    }
    bool showsDocument() const override { return true; }
    void documentInFront(quint64 window) override { m_form.leaveTheFrontToTheDocument(window); }

private:
    Form1& m_form;
};

void Form1::PushButton2_Click() {
    InsertRunHost host(*this);
    InsertRun run(host, m_services.office, m_services.clock);
    // Read once, as the settings stand now: changing them during the run changes the next one.
    run.setLayout(albumLayoutFromSettings());
    run.setCaptionFacts(readCaptionFacts);
    PreparedPictures stage(picturePolicyFromSettings());
    stage.setLocationRemedy(
        QStringLiteral("\"Remove location and camera data\" in Document Options removes it."));
    run.setStage(&stage);
    m_activeRun = &run;
    m_activeStage = &stage;
    run.run();
    m_activeRun = nullptr;
    m_activeStage = nullptr;
}

void Form1::DocumentOptions_Click() {
    HandlerTrap trap(m_services.reporter, kDocumentOptions);
    DocumentOptions current;
    trap(100, [&] {
        current.layout = albumLayoutFromSettings();
        current.pictures = picturePolicyFromSettings();
    });
    // The list's first entry shows what a caption will read.
    QString firstPicture;
    trap(101,
         [&] { firstPicture = pictureList().count() > 0 ? pictureList().text(1) : QString(); });
    std::optional<DocumentOptions> chosen;
    trap(102, [&] { chosen = m_services.ui.documentOptions(current, firstPicture); });
    if (!chosen) {
        return;
    }
    // OK stores every setting the dialog stands for, also when nothing changed: a value written
    // by hand that the program could not read is replaced by the one the dialog showed.
    trap(104, [&] {
        saveAlbumLayout(chosen->layout);
        savePicturePolicy(chosen->pictures);
    });
}

void Form1::CheckOfficeSuite() {
    // Every failure in here is ignored: the check either finds the suite or ends the program.
    bool present = false;
    QString startFailure;
    try {
        if (m_services.office != nullptr) {
            // Created and let go again at once; an office it started stays running for the
            // runs to come and is ended with the window when it holds no document.
            present = m_services.office->createServiceManager() != nullptr;
        }
    } catch (const AppError& e) {
        if (e.number() == OfficeError::StartFailed) {
            startFailure = e.description();
        }
    } catch (...) {
    }
    if (present) {
        return;
    }
    if (!startFailure.isEmpty()) {
        // The office is there but would not start: saying it is not installed would send
        // the user to download what they have.
        try {
            m_services.ui.messageBox(
                QStringLiteral("LibreOffice is installed but could not be started, so this "
                               "software cannot work.\r\n\r\n") +
                    startFailure,
                MsgStyle::Exclamation, applicationTitle());
        } catch (...) {
        }
        endProgram(0);
        return;
    }
    MsgAnswer answer = MsgAnswer::No;
    try {
        answer =
            m_services.ui.messageBox(officeMissingMessage(), MsgStyle::YesNo, applicationTitle());
    } catch (...) {
    }
    if (answer == MsgAnswer::Yes) {
        try {
            m_services.ui.openUrl(kOfficeDownloadPage, {});
        } catch (...) {
        }
    }
    endProgram(0);
}
