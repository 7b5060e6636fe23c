#include "intake/DroppedPaths.h"

#include "piclist/PictureListModel.h"

void AddDroppedPaths(const QStringList& paths, const QString& folderPattern, PictureListModel& list,
                     const ScanContext& context, const StepRunner& runStep) {
    const StepRunner run = runStep ? runStep : [](int, const std::function<void()>& step) {
        try {
            step();
        } catch (...) {
        }
    };
    const QChar separator = QLatin1Char(separatorOf(context.style));
    for (const QString& path : paths) {
        run(0, [&] {
            if (!IsFolder(context.fileSystem, path)) {
                list.append(path);
                return;
            }
            FolderList folders{path + separator};
            GetSubDirectories2016(folders, true, context);
            AddScannedFiles(folders, folderPattern, list, context, run);
        });
    }
}
