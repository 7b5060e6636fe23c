#pragma once

#include "builder/InsertHost.h"
#include "core/ErrorReport.h"

#include <QString>
#include <QTextStream>

#include <functional>
#include <set>

class PictureListModel;

// Hosts the insert run without a window: the list is a plain model, progress and error
// reports go to standard error, and the host keeps track of which pictures failed.
class BatchHost : public InsertList,
                  public InsertDisplay,
                  public InsertOutcome,
                  public ErrorReporter {
public:
    BatchHost(PictureListModel& list, QTextStream& err);

    bool insertBusy() const override { return m_insertBusy; }
    void setInsertBusy(bool busy) override { m_insertBusy = busy; }
    int pictureCount() override;
    QString pictureText(int i) override;
    QSize pictureShape(const QString& file) override;
    void setMousePointer(int) override {}
    void setProgressValue(int percent) override { m_percent = percent; }
    void setProgressText(const QString& text) override;
    void showMessage(const QString& text) override;
    ErrorReporter& errorReporter() override { return *this; }
    void doEvents() override;

    bool stopRequested() override { return m_stop && m_stop(); }
    void documentNotOpened(const QString& message, bool officeFailed) override;
    void pictureInserted(int index, const QString& path) override;

    void ShowErrorReport(const QString& location, int line, const QString& description) override;

    // Positions (1-based) of the pictures that went in.
    const std::set<int>& insertedPictures() const { return m_inserted; }
    // True when the run could not open a document at all.
    bool documentFailed() const { return m_documentFailed; }
    // True when that was for want of the office, not for the document's own sake (the run's
    // report then says why).
    bool officeFailed() const { return m_officeFailed; }
    // Asked before every picture whether the run should end early.
    void setStopRequest(std::function<bool()> stop) { m_stop = std::move(stop); }

private:
    PictureListModel& m_list;
    QTextStream& m_err;
    bool m_insertBusy = false;
    int m_percent = 0;
    bool m_documentFailed = false;
    bool m_officeFailed = false;
    std::set<int> m_inserted;
    std::function<bool()> m_stop;
};
