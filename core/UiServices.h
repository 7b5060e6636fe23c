#pragma once

#include "core/DocumentOptions.h"

#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

class QWidget;

// Message-box styles by value, as the handlers name them.
namespace MsgStyle {
inline constexpr int OkOnly = 0;
inline constexpr int YesNo = 4;
inline constexpr int Exclamation = 48;
} // namespace MsgStyle

enum class MsgAnswer { Ok, Yes, No };

// Result of the open-file dialog: the chosen full paths, or a failure of the dialog itself
// (its result did not fit), which the caller turns into its own message.
struct OpenFileResult {
    QStringList paths;
    bool tooMany = false;
};

// One command of a context menu; a disabled one is shown greyed out and cannot be chosen.
// `separatorBefore` draws a line between it and the command above, to set a group apart.
struct MenuCommand {
    QString text;
    bool enabled = true;
    bool separatorBefore = false;
};

// Everything a handler asks of the desktop: modal boxes, dialogs, the shell, ending the program.
// The Qt implementation is thin; tests drive the real window with a scripted fake.
class UiServices {
public:
    virtual ~UiServices() = default;

    virtual MsgAnswer messageBox(const QString& text, int style, const QString& title) = 0;
    // Returns "" when the user cancels.
    virtual QString inputBox(const QString& prompt, const QString& title,
                             const QString& defaultText) = 0;
    // Open-file dialog with multiple selection; `budget` is the size in characters that the
    // folder-plus-names form of the selection may take.
    virtual OpenFileResult getOpenFileNames(const QString& title, const QString& filter,
                                            int budget) = 0;
    // Folder browser; returns "" when cancelled.
    virtual QString browseForFolder(const QString& prompt, const QString& startFolder) = 0;
    // Shows a context menu at a point of the screen and waits for the choice; returns the
    // position of the chosen command in `commands`, or -1 when none was chosen.
    virtual int contextMenu(const QList<MenuCommand>& commands, const QPoint& screenPos) = 0;
    // The document options dialog, opened on `current`, with the caption of `firstPicture` (the
    // list's first entry, or "") as its example; returns the options confirmed with OK, or
    // nothing when cancelled.
    virtual std::optional<DocumentOptions> documentOptions(const DocumentOptions& current,
                                                           const QString& firstPicture) = 0;
    // Hands a web page or a folder to the desktop; the result is not waited for. When the
    // desktop turns out to have nothing that opens it, `failed` (if given) is called later,
    // from the event loop, with the reason.
    virtual void openUrl(const QUrl& url,
                         const std::function<void(const QString& reason)>& failed) = 0;
    // Makes `window`, an X11 window of the office whose session `officeProcess` leads, the
    // active window, as a task bar does when the user picks it there. Nothing happens for a
    // window of any other program, or on a desktop that is not X11.
    virtual void activateOfficeWindow(quint64 window, qint64 officeProcess) {
        Q_UNUSED(window);
        Q_UNUSED(officeProcess);
    }
    // Ends the program at once; nothing after this call runs.
    virtual void endProgram(int exitCode) = 0;

    // The window that owns the modal boxes; may be null.
    void setOwner(QWidget* owner) { m_owner = owner; }
    QWidget* owner() const { return m_owner; }

private:
    QWidget* m_owner = nullptr;
};
