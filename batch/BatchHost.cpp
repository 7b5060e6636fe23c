#include "batch/BatchHost.h"

#include "piclist/PictureListModel.h"
#include "prepare/PictureShape.h"

#include <QCoreApplication>

BatchHost::BatchHost(PictureListModel& list, QTextStream& err) : m_list(list), m_err(err) {}

int BatchHost::pictureCount() {
    return m_list.count();
}

QString BatchHost::pictureText(int i) {
    return m_list.text(i);
}

QSize BatchHost::pictureShape(const QString& file) {
    return shownPictureSize(file);
}

void BatchHost::setProgressText(const QString& text) {
    // The caption of an idle bar is no progress.
    if (!text.startsWith(QLatin1String("Processing: "))) {
        return;
    }
    m_err << QStringLiteral("[%1%] ").arg(m_percent, 3) << text << Qt::endl;
}

void BatchHost::showMessage(const QString& text) {
    // "Done." and "No files added." are the window's; the batch sums up the run itself.
    Q_UNUSED(text);
}

void BatchHost::doEvents() {
    QCoreApplication::processEvents();
}

void BatchHost::documentNotOpened(const QString& message, bool officeFailed) {
    Q_UNUSED(message);
    m_documentFailed = true;
    m_officeFailed = officeFailed;
}

void BatchHost::pictureInserted(int index, const QString& path) {
    Q_UNUSED(path);
    m_inserted.insert(index);
}

void BatchHost::ShowErrorReport(const QString& location, int line, const QString& description) {
    Q_UNUSED(location);
    Q_UNUSED(line);
    m_err << "lumigrove-batch: " << description << Qt::endl;
}
