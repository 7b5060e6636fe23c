#pragma once

#include "core/UiServices.h"

// The text of a box or prompt as Qt shows it: the handlers break lines with CR or CR LF, a
// Qt label only at LF.
QString shownText(const QString& text);

// The desktop as Qt offers it: QMessageBox, QInputDialog, QFileDialog, QMenu, the document
// options dialog, QDesktopServices.
class QtUiServices : public UiServices {
public:
    MsgAnswer messageBox(const QString& text, int style, const QString& title) override;
    QString inputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override;
    OpenFileResult getOpenFileNames(const QString& title, const QString& filter,
                                    int budget) override;
    QString browseForFolder(const QString& prompt, const QString& startFolder) override;
    int contextMenu(const QList<MenuCommand>& commands, const QPoint& screenPos) override;
    std::optional<DocumentOptions> documentOptions(const DocumentOptions& current,
                                                   const QString& firstPicture) override;
    void openUrl(const QUrl& url,
                 const std::function<void(const QString& reason)>& failed) override;
    void activateOfficeWindow(quint64 window, qint64 officeProcess) override;
    [[noreturn]] void endProgram(int exitCode) override;
};
