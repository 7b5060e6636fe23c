#include "app/QtUiServices.h"

#include "app/DocumentOptionsDialog.h"
#include "intake/OpenFileSelection.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLayout>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QScreen>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <unistd.h>
#include <xcb/xcb.h>

namespace {

// A reply of the X server, freed with it; an error in its place is freed at once (a window
// that is gone is no failure here).
template <typename Reply>
std::unique_ptr<Reply, void (*)(void*)> owned(Reply* reply, xcb_generic_error_t** error) {
    std::free(*error);
    return {reply, &std::free};
}

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    xcb_generic_error_t* error = nullptr;
    const auto reply = owned(
        xcb_intern_atom_reply(
            connection,
            xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name), &error),
        &error);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

} // namespace

namespace {

// A box is never narrower than this, whatever its title: room for a title of a few words.
constexpr int kNarrowestBox = 300;
// Beside its title a window manager draws the window's icon and its buttons (minimise,
// maximise, close), each about a title bar high, with some padding.
constexpr int kTitleBarButtonsRoom = 160;

// How wide a box must be for the window manager to show its whole title: the title as the
// title bar draws it, bold in about the program's own font, and the icon and buttons beside.
int titleBarWidth(const QWidget& box) {
    QFont titleFont = box.font();
    titleFont.setBold(true);
    const int wanted =
        std::max(kNarrowestBox, QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) +
                                    kTitleBarButtonsRoom);
    const QScreen* screen = box.screen();
    return screen ? std::min(wanted, screen->availableGeometry().width()) : wanted;
}

// Message boxes and input boxes size themselves from their layouts when shown, and only to
// their text and buttons: a short message gets a box that cuts its title to "...". A spacer
// of no height in the layout's first row widens the box to what its title bar needs. Called
// once the box has its title, text and buttons; a message box lays itself out again as
// those change.
void makeRoomForTitle(QDialog& box) {
    QLayout* layout = box.layout();
    if (layout == nullptr) {
        return;
    }
    const QMargins margins = layout->contentsMargins();
    auto* room = new QSpacerItem(titleBarWidth(box) - margins.left() - margins.right(), 0,
                                 QSizePolicy::Fixed, QSizePolicy::Fixed);
    if (auto* grid = qobject_cast<QGridLayout*>(layout)) {
        grid->addItem(room, 0, 0, 1, grid->columnCount());
    } else {
        layout->addItem(room);
    }
}

} // namespace

QString shownText(const QString& text) {
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines;
}

MsgAnswer QtUiServices::messageBox(const QString& text, int style, const QString& title) {
    QMessageBox box(owner());
    box.setWindowTitle(title);
    box.setText(shownText(text));
    if (style == MsgStyle::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    box.setIcon(style == MsgStyle::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon);
    // A screen reader names a box by its title and reads its description as what it says.
    box.setAccessibleDescription(box.text());
    makeRoomForTitle(box);
    const int answer = box.exec();
    if (answer == QMessageBox::Yes) {
        return MsgAnswer::Yes;
    }
    return answer == QMessageBox::No ? MsgAnswer::No : MsgAnswer::Ok;
}

QString QtUiServices::inputBox(const QString& prompt, const QString& title,
                               const QString& defaultText) {
    QInputDialog box(owner());
    box.setWindowTitle(title);
    box.setLabelText(shownText(prompt));
    box.setTextValue(defaultText);
    box.setAccessibleDescription(box.labelText());
    // The dialog builds its layout when first asked for its size.
    box.sizeHint();
    makeRoomForTitle(box);
    return box.exec() == QDialog::Accepted ? box.textValue() : QString();
}

OpenFileResult QtUiServices::getOpenFileNames(const QString& title, const QString& filter,
                                              int budget) {
    // No start folder: the dialog opens where the platform chooses. The label keeps its
    // pattern list in view; the patterns Qt matches by follow in the last parentheses.
    OpenFileResult result;
    result.paths = QFileDialog::getOpenFileNames(owner(), title, QString(), qtNameFilter(filter),
                                                 nullptr, QFileDialog::HideNameFilterDetails);
    // The selection must fit the result buffer in the folder-plus-names form; a selection
    // that does not is refused as a whole.
    if (!selectionFitsBuffer(result.paths, budget)) {
        result.paths.clear();
        result.tooMany = true;
    }
    return result;
}

QString QtUiServices::browseForFolder(const QString& prompt, const QString& startFolder) {
    QString folder =
        QFileDialog::getExistingDirectory(owner(), prompt, startFolder, QFileDialog::ShowDirsOnly);
    // The root comes back as "/", every other folder without a trailing separator.
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/'))) {
        folder.chop(1);
    }
    return folder;
}

int QtUiServices::contextMenu(const QList<MenuCommand>& commands, const QPoint& screenPos) {
    QMenu menu(owner());
    QList<QAction*> actions;
    for (const MenuCommand& command : commands) {
        if (command.separatorBefore && !menu.isEmpty()) {
            menu.addSeparator();
        }
        QAction* action = menu.addAction(command.text);
        action->setEnabled(command.enabled);
        actions.append(action);
    }
    QAction* chosen = menu.exec(screenPos);
    return chosen ? static_cast<int>(actions.indexOf(chosen)) : -1;
}

std::optional<DocumentOptions> QtUiServices::documentOptions(const DocumentOptions& current,
                                                             const QString& firstPicture) {
    DocumentOptionsDialog dialog(current, owner());
    dialog.setPreviewPicture(firstPicture);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.documentOptions();
}

void QtUiServices::openUrl(const QUrl& url,
                           const std::function<void(const QString& reason)>& failed) {
    if (!failed || !url.isLocalFile()) {
        QDesktopServices::openUrl(url);
        return;
    }
    // The desktop's opener is run and watched so that a folder nothing can open is told to the
    // user. It may stay running as long as the file manager it started (generic desktops run
    // it in the foreground), so it belongs to no window: closing the program must not end the
    // user's file manager. It deletes itself when it ends.
    auto* opener = new QProcess;
    opener->setProgram(QStringLiteral("xdg-open"));
    opener->setArguments({url.toLocalFile()});
    opener->setStandardInputFile(QProcess::nullDevice());
    opener->setStandardOutputFile(QProcess::nullDevice());
    // Either the opener cannot start, or it ends saying it found nothing to open with.
    // The reasons are said in the user's terms: what is missing, and what it is called.
    QObject::connect(opener, &QProcess::errorOccurred, opener, [opener, failed](auto error) {
        if (error == QProcess::FailedToStart) {
            failed(QStringLiteral("No program to open folders is installed (xdg-open)."));
            opener->deleteLater();
        }
    });
    QObject::connect(opener, &QProcess::finished, opener, [opener, failed](int exitCode, auto) {
        const QString said = QString::fromLocal8Bit(opener->readAllStandardError()).trimmed();
        if (opener->exitStatus() != QProcess::NormalExit || exitCode != 0) {
            // xdg-open ends with 3 when the desktop has no program set for folders.
            QString reason =
                exitCode == 3 && opener->exitStatus() == QProcess::NormalExit
                    ? QStringLiteral("No program to open folders is set up on this desktop "
                                     "(xdg-open found none).")
                    : QStringLiteral("The program that opens folders (xdg-open) failed.");
            if (!said.isEmpty()) {
                reason += QStringLiteral(" It said: ") + said;
            }
            failed(reason);
        }
        opener->deleteLater();
    });
    opener->start();
}

void QtUiServices::activateOfficeWindow(quint64 window, qint64 officeProcess) {
    const auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || window == 0 || window > UINT32_MAX) {
        return;
    }
    xcb_connection_t* connection = x11->connection();
    const auto id = static_cast<xcb_window_t>(window);
    // Only a window whose process (as the window says) is in the office's session: an id that
    // has gone to another program's window meanwhile is left alone.
    xcb_generic_error_t* error = nullptr;
    const auto pid = owned(
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, 0, id, atom(connection, "_NET_WM_PID"),
                                                XCB_ATOM_CARDINAL, 0, 1),
                               &error),
        &error);
    if (!pid || xcb_get_property_value_length(pid.get()) != 4 ||
        ::getsid(static_cast<pid_t>(
            *static_cast<const uint32_t*>(xcb_get_property_value(pid.get())))) != officeProcess) {
        return;
    }
    const auto geometry =
        owned(xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), &error), &error);
    if (!geometry) {
        return;
    }
    // Source 2 says the request comes from the user (through a task bar or pager): a window
    // manager's focus stealing prevention refuses the office's own requests, not those.
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = id;
    event.type = atom(connection, "_NET_ACTIVE_WINDOW");
    event.data.data32[0] = 2;
    event.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(connection, 0, geometry->root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
    xcb_flush(connection);
}

void QtUiServices::endProgram(int exitCode) {
    // Ends at once, from any state: no handler that is waiting in a nested event loop
    // gets to run another step, and nothing is saved at exit.
    std::fflush(nullptr);
    std::_Exit(exitCode);
}
