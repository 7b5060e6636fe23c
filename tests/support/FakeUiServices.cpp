#include "tests/support/FakeUiServices.h"

MsgAnswer FakeUiServices::messageBox(const QString& text, int style, const QString& title) {
    boxes.append({text, style, title});
    if (onBox) {
        onBox(boxes.last());
    }
    return boxAnswers.isEmpty() ? defaultBoxAnswer : boxAnswers.takeFirst();
}

QString FakeUiServices::inputBox(const QString& prompt, const QString& title,
                                 const QString& defaultText) {
    inputs.append({prompt, title, defaultText});
    return inputAnswers.isEmpty() ? QString() : inputAnswers.takeFirst();
}

OpenFileResult FakeUiServices::getOpenFileNames(const QString& title, const QString& filter,
                                                int budget) {
    openFileRequests.append({title, filter, budget});
    return openFileAnswers.isEmpty() ? OpenFileResult{} : openFileAnswers.takeFirst();
}

QString FakeUiServices::browseForFolder(const QString& prompt, const QString& startFolder) {
    browseRequests.append({prompt, startFolder});
    return folderAnswers.isEmpty() ? QString() : folderAnswers.takeFirst();
}

int FakeUiServices::contextMenu(const QList<MenuCommand>& commands, const QPoint& screenPos) {
    menus.append({commands, screenPos});
    if (onMenu) {
        onMenu(menus.last());
    }
    const QString answer = menuAnswers.isEmpty() ? QString() : menuAnswers.takeFirst();
    for (qsizetype i = 0; i < commands.size(); ++i) {
        if (commands.at(i).text == answer && commands.at(i).enabled) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::optional<DocumentOptions> FakeUiServices::documentOptions(const DocumentOptions& current,
                                                               const QString& firstPicture) {
    optionsShown.append(current);
    optionsPictures.append(firstPicture);
    if (onOptions) {
        onOptions(current);
    }
    return optionsAnswers.isEmpty() ? std::nullopt : optionsAnswers.takeFirst();
}

void FakeUiServices::openUrl(const QUrl& url,
                             const std::function<void(const QString& reason)>& failed) {
    openedUrls.append(url);
    if (!openFailure.isEmpty() && failed) {
        failed(openFailure);
    }
}

void FakeUiServices::endProgram(int code) {
    ended = true;
    exitCode = code;
}

QList<FakeUiServices::Box> FakeUiServices::errorReports() const {
    QList<Box> reports;
    for (const Box& box : boxes) {
        if (box.title == QLatin1String("Application Error")) {
            reports.append(box);
        }
    }
    return reports;
}
