#pragma once

#include "core/UiServices.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>

// A scripted desktop for tests: records every box and shell request, answers from queues
// (or with a default), and never blocks.
class FakeUiServices : public UiServices {
public:
    struct Box {
        QString text;
        int style = 0;
        QString title;
    };

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
    void activateOfficeWindow(quint64 window, qint64 officeProcess) override {
        activatedWindows.append({window, officeProcess});
    }
    void endProgram(int exitCode) override;

    // Answers, taken in order; when a queue is empty the default applies.
    QList<MsgAnswer> boxAnswers;
    MsgAnswer defaultBoxAnswer = MsgAnswer::Ok;
    QStringList inputAnswers;
    QList<OpenFileResult> openFileAnswers;
    QStringList folderAnswers;
    // The text of the command to choose from each context menu ("" or an empty queue: none).
    // A disabled command cannot be chosen: the menu then returns none, as a real one would.
    QStringList menuAnswers;
    // Runs while a box is "shown", to act in the middle of a handler.
    std::function<void(const Box&)> onBox;

    // What the program asked for.
    QList<Box> boxes;
    struct Input {
        QString prompt, title, defaultText;
    };
    QList<Input> inputs;
    struct OpenFile {
        QString title, filter;
        int budget = 0;
    };
    QList<OpenFile> openFileRequests;
    struct Browse {
        QString prompt, startFolder;
    };
    QList<Browse> browseRequests;
    struct Menu {
        QList<MenuCommand> commands;
        QPoint screenPos;
    };
    QList<Menu> menus;
    // Runs while a context menu is "open", to act in the middle of a handler.
    std::function<void(const Menu&)> onMenu;
    // The options confirmed in each document options dialog; nothing (or an empty queue)
    // cancels it.
    QList<std::optional<DocumentOptions>> optionsAnswers;
    // The options each document options dialog opened on.
    QList<DocumentOptions> optionsShown;
    // The picture each of them previewed the caption of.
    QStringList optionsPictures;
    // Runs while the document options dialog is "open", to act in the middle of a handler.
    std::function<void(const DocumentOptions&)> onOptions;
    QList<QUrl> openedUrls;
    QList<std::pair<quint64, qint64>> activatedWindows;
    // When set, the desktop has nothing that opens a URL, for this reason.
    QString openFailure;
    bool ended = false;
    int exitCode = -1;

    // Boxes whose title is "Application Error".
    QList<Box> errorReports() const;
};
