#include "BatchHost.h"

#include "PictureListModel.h"

#include <QCoreApplication>

BatchHost::BatchHost(PictureListModel& list, QTextStream& err) : m_list(list), m_err(err) {}

int BatchHost::pictureCount() {
    return m_list.count();
}

QString BatchHost::pictureText(int i) {
    // The run reads each entry once, when it starts on that picture.
    m_current = i;
    return m_list.text(i);
}

void BatchHost::setProgressText(const QString& text) {
    // The caption of an idle bar is no progress.
    if (!text.startsWith(QLatin1String("Processing: "))) {
        return;
    }
    m_err << QStringLiteral("[%1%] ").arg(m_percent, 3) << text << Qt::endl;
}

void BatchHost::showMessage(const QString& text) {
    m_messages.append(text);
}

void BatchHost::doEvents() {
    QCoreApplication::processEvents();
}

void BatchHost::ShowErrorReport(const QString& location, int line, const QString& description) {
    Q_UNUSED(location);
    ++m_reports;
    // Steps 108 to 118 open the document; steps from 122 on work on one picture.
    if (line >= 108 && line <= 118) {
        m_documentFailed = true;
    } else if (line >= 122 && line <= 156 && m_current > 0) {
        if (line <= 142) {
            m_failed.insert(m_current);
        }
    }
    m_err << "lumigrove-batch: " << description << Qt::endl;
}
