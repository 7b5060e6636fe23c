#include "app/StartupSplash.h"

#include "core/AppTitle.h"

#include <QApplication>
#include <QFont>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QWindow>

namespace {

constexpr int kWidth = 360;
constexpr int kHeight = 120;
constexpr int kIconSize = 64;
const char kMessage[] = "Starting LibreOffice\u2026";

QPixmap splashPicture() {
    QPixmap picture(kWidth, kHeight);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.drawRect(picture.rect().adjusted(0, 0, -1, -1));
    const QIcon icon(QStringLiteral(":/lumigrove/lumigrove-64.png"));
    icon.paint(&painter, QRect(24, (kHeight - kIconSize) / 2, kIconSize, kIconSize));
    QFont title(QStringLiteral("Arial"));
    title.setPointSize(16);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(Qt::black);
    painter.drawText(QRect(112, 24, kWidth - 124, 36), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromLatin1(kProductTitle));
    QFont line(QStringLiteral("Arial"));
    line.setPointSize(10);
    painter.setFont(line);
    painter.drawText(QRect(112, 64, kWidth - 124, 28), Qt::AlignLeft | Qt::AlignVCenter,
                     QString::fromUtf8(kMessage));
    return picture;
}

} // namespace

// The icon is compiled into the static library that holds the window; it is registered here
// as well, since the splash is up before the window is made.
static QPixmap registeredSplashPicture() {
    Q_INIT_RESOURCE(lumigrove);
    return splashPicture();
}

StartupSplash::StartupSplash() : QSplashScreen(registeredSplashPicture()) {
    setWindowTitle(QString::fromLatin1(kProductTitle));
    setAccessibleName(QString::fromLatin1(kProductTitle));
    setAccessibleDescription(QString::fromUtf8(kMessage));
    qApp->installEventFilter(this);
}

StartupSplash::~StartupSplash() {
    qApp->removeEventFilter(this);
}

void StartupSplash::showNow() {
    show();
    // Drawn now: the office check that follows sleeps in the event loop only once it waits.
    repaint();
    QCoreApplication::processEvents();
}

bool StartupSplash::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && watched != this) {
        if (const auto* widget = qobject_cast<QWidget*>(watched);
            widget != nullptr && widget->isWindow() && isVisible()) {
            hide();
            qApp->removeEventFilter(this);
        }
    }
    return QSplashScreen::eventFilter(watched, event);
}
