#include "app/QtUiServices.h"

#include "app/DocumentOptionsDialog.h"
#include "intake/OpenFileSelection.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>

MsgAnswer QtUiServices::messageBox(const QString& text, int style, const QString& title) {
    QMessageBox box(owner());
    box.setWindowTitle(title);
    box.setText(text);
    if (style == MsgStyle::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    box.setIcon(style == MsgStyle::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon);
    const int answer = box.exec();
    if (answer == QMessageBox::Yes) {
        return MsgAnswer::Yes;
    }
    return answer == QMessageBox::No ? MsgAnswer::No : MsgAnswer::Ok;
}

QString QtUiServices::inputBox(const QString& prompt, const QString& title,
                               const QString& defaultText) {
    bool ok = false;
    const QString answer =
        QInputDialog::getText(owner(), title, prompt, QLineEdit::Normal, defaultText, &ok);
    return ok ? answer : QString();
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

std::optional<AlbumLayout> QtUiServices::documentOptions(const AlbumLayout& current) {
    DocumentOptionsDialog dialog(current, owner());
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.albumLayout();
}

void QtUiServices::openUrl(const QUrl& url) {
    QDesktopServices::openUrl(url);
}

void QtUiServices::endProgram(int exitCode) {
    // Ends at once, from any state: no handler that is waiting in a nested event loop
    // gets to run another step, and nothing is saved at exit.
    std::fflush(nullptr);
    std::_Exit(exitCode);
}
