// The ways pictures enter the list: the open-file dialog, a whole folder tree, drops,
// and the bundled samples.
#include "app/Form1.h"

#include "core/AppError.h"
#include "core/AppTitle.h"
#include "core/FileNames.h"
#include "core/HandlerTrap.h"
#include "core/Settings.h"
#include "core/UiServices.h"
#include "intake/AddFolder.h"
#include "intake/DroppedPaths.h"
#include "intake/FileSystem.h"
#include "intake/OpenFileSelection.h"
#include "intake/ThrottledYield.h"
#include "piclist/PictureListModel.h"

#include <QMimeData>
#include <QPointer>
#include <QUrl>

namespace {

const QString kAddFiles = QStringLiteral("in Sheafwork2021/08/31.Form1.PushButton1_Click ");
const QString kAddFolder = QStringLiteral("in Sheafwork2021/08/31.Form1.PushButton4_Click ");
const QString kSamples = QStringLiteral("in Sheafwork2021/08/31.Form1.PushButton11_Click ");

// The path of a local-file URL, byte-exact: the URL's percent-encoded path is decoded to
// the bytes of the name, so that a byte that is not UTF-8 ("%FF") stays that byte instead
// of turning into U+FFFD, as QUrl::toLocalFile() would make it. A host other than the local
// one is kept in front, as QUrl::toLocalFile() keeps it.
QString localPathOf(const QUrl& url) {
    const QString path =
        decodeFileName(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toUtf8()));
    if (path.isEmpty()) {
        return {};
    }
    const QString host = url.host();
    return host.isEmpty() ? path : QStringLiteral("//") + host + path;
}

// The local files a drag carries, in the order the drag source gave them; empty when it
// carries anything else as well.
QStringList droppedPaths(const QMimeData* data) {
    QStringList paths;
    if (data == nullptr || !data->hasUrls()) {
        return paths;
    }
    for (const QUrl& url : data->urls()) {
        const QString path = url.isLocalFile() ? localPathOf(url) : QString();
        if (path.isEmpty()) {
            return {};
        }
        paths.append(path);
    }
    return paths;
}

} // namespace

void Form1::PushButton1_Click() {
    HandlerTrap trap(m_services.reporter, kAddFiles);
    OpenFileResult chosen;
    bool tooMany = false;
    trap(112, [&] {
        try {
            chosen = m_services.ui.getOpenFileNames(QString::fromLatin1(kOpenFileTitle),
                                                    openFileFilter(), kFileNameBufferSize);
            if (chosen.tooMany) {
                throw AppError(QStringLiteral("The file name buffer is too small"),
                               ErrorNumber::FileNameBufferTooSmall);
            }
        } catch (const AppError& error) {
            if (error.number() != ErrorNumber::FileNameBufferTooSmall) {
                throw;
            }
            tooMany = true;
        }
    });
    if (tooMany) {
        trap(148, [&] {
            m_services.ui.messageBox(
                QStringLiteral("You've selected too many files to add.\r\r"
                               "Please try adding via the \"Add All\" button."),
                MsgStyle::OkOnly, applicationTitle());
        });
        return;
    }
    const QStringList& paths = chosen.paths;
    if (paths.isEmpty()) {
        return;
    }
    // One file is taken exactly as the dialog gave it; several are tidied, since a folder
    // that ends in a separator would double it.
    if (paths.size() == 1) {
        trap(122, [&] { m_pictureList->append(paths.first()); });
        return;
    }
    for (const QString& path : paths) {
        QString tidy;
        trap(138, [&] { tidy = NormalizePath(path); });
        trap(140, [&] { m_pictureList->append(tidy); });
    }
}

void Form1::PushButton4_Click() {
    HandlerTrap trap(m_services.reporter, kAddFolder);
    QString extension;
    trap(100, [&] {
        extension = m_services.ui.inputBox(
            QStringLiteral("Enter file extension to load:\r\r"
                           "(* for all files, txt for all txt files, doc for all doc files, "
                           "etc.)"),
            applicationTitle(), GetSetting(Setting::Extension));
        if (!extension.isEmpty()) {
            SaveSetting(Setting::Extension, extension);
        }
    });
    if (extension.isEmpty()) {
        return;
    }
    QString result;
    trap(104, [&] {
        result = m_services.ui.browseForFolder(QStringLiteral("Please select folder:"),
                                               GetSetting(Setting::LastFolder));
    });
    if (result.isEmpty()) {
        return;
    }
    QString chosenFolder;
    trap(333, [&] { chosenFolder = result; });
    trap(334, [&] { SaveSetting(Setting::LastFolder, chosenFolder); });

    trap(112, [&] { setMousePointer(MousePointer::Hourglass); });
    FolderList folders;
    trap(114, [&] { folders.append(chosenFolder + QLatin1Char(separatorOf(kNativePathStyle))); });
    trap(116, [&] {
        GetSubDirectories2016(
            folders, true,
            ScanContext{disk(), m_services.reporter, ThrottledYield(&Form1::doEvents)});
    });
    // The file add does not yield: it runs the folder's listing and appends as one step.
    trap(118, [&] {
        AddScannedFiles(folders, QStringLiteral("*.") + extension, *m_pictureList,
                        ScanContext{disk(), m_services.reporter, {}},
                        [&](int line, const std::function<void()>& step) { trap(line, step); });
    });
    trap(136, [&] { setMousePointer(MousePointer::Default); });
}

FileSystem& Form1::disk() const {
    if (m_services.fileSystem == nullptr) {
        throw AppError(QStringLiteral("Object variable not set"),
                       ErrorNumber::ObjectVariableNotSet);
    }
    return *m_services.fileSystem;
}

void Form1::PushButton11_Click() {
    HandlerTrap trap(m_services.reporter, kSamples);
    trap(100, [&] {
        const QString samples = programFolder() + QStringLiteral("/Samples");
        for (const QString& name : ListFiles(disk(), samples, QStringLiteral("*.*"))) {
            const QString path = samples + QLatin1Char('/') + name;
            // The only intake path that refuses an entry already listed, under the very same
            // text.
            if (PathExists(disk(), path) && !m_pictureList->contains(path)) {
                m_pictureList->append(path);
            }
        }
        const MsgAnswer answer = m_services.ui.messageBox(
            QStringLiteral("Would you like this software to open the folder where these sample "
                           "files are stored (so that you can view them before working with "
                           "them)?"),
            MsgStyle::YesNo, applicationTitle());
        if (answer == MsgAnswer::Yes) {
            // Without a file manager the desktop opens nothing and says nothing: say it here.
            const QPointer<Form1> form(this);
            m_services.ui.openUrl(QUrl::fromLocalFile(samples + QLatin1Char('/')),
                                  [form, samples](const QString& reason) {
                                      if (form) {
                                          form->m_services.ui.messageBox(
                                              reason +
                                                  QStringLiteral("\r\rThe samples are in:\r\r") +
                                                  displayFileName(samples),
                                              MsgStyle::Exclamation, applicationTitle());
                                      }
                                  });
        }
    });
}

bool Form1::ListView1_OLEDragOver(const QMimeData* data) const {
    return !droppedPaths(data).isEmpty();
}

void Form1::ListView1_OLEDragDrop(const QMimeData* data) {
    // The drop has no error report: a path that cannot be examined or listed brings what
    // could be read of it, and the next dropped path follows.
    try {
        AddDroppedPaths(droppedPaths(data), QStringLiteral("*.*"), *m_pictureList,
                        ScanContext{disk(), m_services.reporter, ThrottledYield(&Form1::doEvents)});
    } catch (...) {
    }
}
