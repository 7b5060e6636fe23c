#include "QtUiServices.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
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
    // The filter comes in the "label|patterns|" form; Qt wants "label (patterns)".
    const QStringList parts = filter.split(QLatin1Char('|'));
    QString qtFilter = parts.value(0);
    if (parts.size() > 1 && !qtFilter.contains(QLatin1Char('('))) {
        qtFilter += QStringLiteral(" (") + parts.at(1) + QLatin1Char(')');
    }
    qtFilter.replace(QLatin1Char(';'), QLatin1Char(' '));
    OpenFileResult result;
    result.paths = QFileDialog::getOpenFileNames(owner(), title, QString(), qtFilter);
    if (result.paths.size() > 1) {
        // The folder once, then each name after a separator, as the dialog's buffer holds it.
        qsizetype size = QFileInfo(result.paths.first()).absolutePath().size();
        for (const QString& path : result.paths) {
            size += 1 + QFileInfo(path).fileName().size();
        }
        result.tooMany = size >= budget;
    }
    return result;
}

QString QtUiServices::browseForFolder(const QString& prompt, const QString& startFolder) {
    return QFileDialog::getExistingDirectory(owner(), prompt, startFolder,
                                             QFileDialog::ShowDirsOnly);
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
