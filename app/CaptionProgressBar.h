#pragma once

#include <QProgressBar>
#include <QString>

// A progress bar that shows a caption of its own, centred, instead of a percentage.
// The caption is shown as it is: a "%" in a file name is not taken as a placeholder.
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
