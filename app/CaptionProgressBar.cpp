#include "app/CaptionProgressBar.h"

CaptionProgressBar::CaptionProgressBar(QWidget* parent) : QProgressBar(parent) {
    setRange(0, 100);
    setValue(0);
    setTextVisible(true);
    setAlignment(Qt::AlignCenter);
}

void CaptionProgressBar::setCaption(const QString& caption) {
    m_caption = caption;
    setAccessibleDescription(caption);
    update();
}
