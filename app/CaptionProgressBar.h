#pragma once

#include <QProgressBar>
#include <QString>

// A progress bar that shows a caption of its own, centred, instead of a percentage.
// The caption is shown as it is: a "%" in a file name is not taken as a placeholder.
// Screen readers get the caption as the bar's accessible description, told each time it
// changes, so that "Processing: lake.jpg" is read as the run goes on.
class CaptionProgressBar : public QProgressBar {
    Q_OBJECT
public:
    explicit CaptionProgressBar(QWidget* parent = nullptr);

    void setCaption(const QString& caption);
    QString caption() const { return m_caption; }
    QString text() const override { return m_caption; }

private:
    QString m_caption;
};
