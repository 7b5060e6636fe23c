#include "app/Form1.h"

#include "app/CaptionProgressBar.h"
#include "app/WrapButton.h"
#include "builder/InsertRun.h"
#include "builder/OfficeBridge.h"
#include "core/AppError.h"
#include "core/AppTitle.h"
#include "core/Clock.h"
#include "core/ErrorReport.h"
#include "core/HandlerTrap.h"
#include "core/RandomSource.h"
#include "core/Settings.h"
#include "core/UiServices.h"
#include "intake/FileSystem.h"
#include "piclist/PictureListModel.h"
#include "piclist/PictureListView.h"
#include "prepare/PreparedPictures.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPixmap>
#include <QScreen>
#include <QStringDecoder>
#include <QStyle>
#include <QTimer>

namespace {

// The longest a closing window waits for the office to let go of the document's view.
constexpr int kClosingCallLimitMs = 2000;
// How long after the document opened the window takes the front back from another program.
constexpr int kKeepInFrontMs = 5000;
constexpr int kRaiseAgainMs = 250;

const QString kFormLoad = QStringLiteral("in Sheafwork2021/08/31.Form1.Form_Load ");

// Window geometry is laid out in twips; 15 twips make one pixel at 96 dots per inch.
constexpr int px(int twips) {
    return twips / 15;
}

QRect twipsRect(int left, int top, int width, int height) {
    return QRect(px(left), px(top), px(width), px(height));
}

QFont arialBold(qreal points) {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

// Reads the hot spot that a .cur file stores in its first directory entry (where an
// .ico file keeps planes and bit count); the image reader gives the picture only.
QPoint curHotSpot(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {-1, -1};
    }
    const QByteArray head = file.read(14);
    if (head.size() < 14 || head.at(2) != 2) {
        return {-1, -1};
    }
    auto word = [&](int at) {
        return static_cast<int>(static_cast<unsigned char>(head.at(at))) |
               (static_cast<int>(static_cast<unsigned char>(head.at(at + 1))) << 8);
    };
    return {word(10), word(12)};
}

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/lumigrove/lumigrove-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

// A plain widget is a "filler" to screen readers, whatever it holds; the main window is told
// to them as a window (a frame), the way they expect an application's window.
QAccessibleInterface* accessibleMainWindow(const QString& className, QObject* object) {
    auto* window = qobject_cast<QWidget*>(object);
    if (className == QLatin1String("Form1") && window != nullptr && window->isWindow()) {
        return new QAccessibleWidget(window, QAccessible::Window);
    }
    return nullptr;
}

} // namespace

// The icons are compiled into the static library that holds this window; the linker keeps
// a static library's resources only when something registers them.
static void registerResources() {
    Q_INIT_RESOURCE(lumigrove);
}

Form1::Form1(const Form1Services& services, QWidget* parent)
    : QWidget(parent), m_services(services) {
    registerResources();
    static const bool accessibleWindow = (QAccessible::installFactory(accessibleMainWindow), true);
    Q_UNUSED(accessibleWindow);
    buildLayout();
    m_services.ui.setOwner(this);
}

Form1::~Form1() {
    if (m_services.ui.owner() == this) {
        m_services.ui.setOwner(nullptr);
    }
}

void Form1::buildLayout() {
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(px(8040), px(4815));
    setAutoFillBackground(true);
    QPalette background = palette();
    background.setColor(QPalette::Window, Qt::white);
    setPalette(background);
    setFont(arialBold(9));
    setMouseTracking(true);

    m_pictureList = new PictureListModel(this);
    ListView1 = new PictureListView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setModel(m_pictureList);
    ListView1->setGeometry(twipsRect(120, 120, 6840, 2535));
    ListView1->setFont(arialBold(9));
    ListView1->setToolTip(QStringLiteral(
        "Drag and drop files here. Double-click item to remove it. Move | line to right and "
        "out of window to reveal full names."));
    // An item view names itself to screen readers by its accessible name only, and the
    // tooltip speaks of the mouse: the list gets a name and the keys that work on it.
    ListView1->setAccessibleName(QStringLiteral("Image File(s)"));
    ListView1->setAccessibleDescription(
        QStringLiteral("The pictures in the order they go into the document. Ctrl+Up and "
                       "Ctrl+Down move the chosen one, Delete removes it; the Menu key or "
                       "Shift+F10 opens the menu of sorts and document options."));

    // Each caption carries its access key (Alt+letter), underlined where the style shows it.
    auto makeButton = [this](const char* name, const char* caption, QRect geometry) {
        auto* button = new WrapButton(QString::fromUtf8(caption), this);
        button->setObjectName(QString::fromLatin1(name));
        button->setGeometry(geometry);
        button->setFont(arialBold(11.25));
        button->setMouseTracking(true);
        button->installEventFilter(this);
        return button;
    };
    PushButton5 = makeButton("PushButton5", "Move &Up", twipsRect(7080, 120, 840, 1200));
    PushButton6 = makeButton("PushButton6", "Move &Down", twipsRect(7080, 1440, 840, 1200));
    PushButton1 = makeButton("PushButton1", "&Add Image File(s)", twipsRect(120, 2760, 3840, 405));
    PushButton4 = makeButton("PushButton4", "Add All Image Files In &Folder",
                             twipsRect(4080, 2760, 3840, 405));
    PushButton10 = makeButton("PushButton10", "&Clear List", twipsRect(120, 3270, 3840, 405));
    PushButton11 =
        makeButton("PushButton11", "&Load Sample/Example Files", twipsRect(4080, 3270, 3840, 405));
    PushButton2 =
        makeButton("PushButton2", "&Start Inserting Images", twipsRect(120, 3780, 7800, 405));

    ProgressBar1 = new CaptionProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(twipsRect(120, 4290, 7800, 405));
    ProgressBar1->setAccessibleName(QStringLiteral("Progress"));
    ProgressBar1->setCaption(QStringLiteral("Progress Bar"));

    // The list is first in the tab order, the buttons follow in their visual order.
    setTabOrder(ListView1, PushButton5);
    setTabOrder(PushButton5, PushButton6);
    setTabOrder(PushButton6, PushButton1);
    setTabOrder(PushButton1, PushButton4);
    setTabOrder(PushButton4, PushButton10);
    setTabOrder(PushButton10, PushButton11);
    setTabOrder(PushButton11, PushButton2);

    connect(PushButton1, &QPushButton::clicked, this, &Form1::PushButton1_Click);
    connect(PushButton2, &QPushButton::clicked, this, &Form1::PushButton2_Click);
    connect(PushButton4, &QPushButton::clicked, this, &Form1::PushButton4_Click);
    connect(PushButton5, &QPushButton::clicked, this, &Form1::PushButton5_Click);
    connect(PushButton6, &QPushButton::clicked, this, &Form1::PushButton6_Click);
    connect(PushButton10, &QPushButton::clicked, this, &Form1::PushButton10_Click);
    connect(PushButton11, &QPushButton::clicked, this, &Form1::PushButton11_Click);

    connect(ListView1, &PictureListView::doubleClickedAnywhere, this, &Form1::ListView1_DblClick);
    connect(ListView1, &PictureListView::keyPressed, this, &Form1::ListView1_KeyDown);
    connect(ListView1, &PictureListView::moveRequested, this,
            [this](int step) { step < 0 ? PushButton5_Click() : PushButton6_Click(); });
    connect(ListView1, &PictureListView::itemClicked, this, &Form1::ListView1_ItemClick);
    connect(ListView1, &PictureListView::mousePressed, this, &Form1::ListView1_MouseDown);
    connect(ListView1, &PictureListView::mouseMoved, this, &Form1::ListView1_MouseMove);
    connect(ListView1, &PictureListView::mouseReleased, this, &Form1::ListView1_MouseUp);
    connect(ListView1, &PictureListView::filesDropped, this, &Form1::ListView1_OLEDragDrop);
    connect(ListView1, &PictureListView::contextMenuRequested, this, &Form1::ListView1_ContextMenu);
    ListView1->setDropFilter([this](const QMimeData* data) { return ListView1_OLEDragOver(data); });

    // Centred on the screen; the frame is not known before the window is first shown, so the
    // client area is what gets centred.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                        screen->availableGeometry()));
    }
}

bool Form1::Form_Load() {
    HandlerTrap trap(m_services.reporter, kFormLoad);

    trap(102, [&] { ApplySkin(); });

    const QString cursorPath = programFolder() + QStringLiteral("/HAND-M.CUR");
    bool hasCursor = false;
    trap(104, [&] { hasCursor = PathExists(disk(), cursorPath); });
    if (hasCursor) {
        trap(106, [&] {
            const QPixmap picture(cursorPath);
            if (picture.isNull()) {
                throw AppError(QStringLiteral("Invalid picture"), ErrorNumber::InvalidPicture);
            }
            const QPoint hot = curHotSpot(cursorPath);
            m_handCursor = QCursor(picture, hot.x(), hot.y());
            showPointer();
        });
    }

    trap(108, [&] {
        m_services.random.seedFromTime();
        const int draw = static_cast<int>(m_services.random.next() * 100) + 1;
        const QString homePage = GetSetting(Setting::HomePage);
        if (draw == 7 && !homePage.isEmpty()) {
            m_services.ui.openUrl(QUrl::fromUserInput(homePage), {});
        }
    });

    trap(126, [&] {
        setWindowTitle(QString::fromLatin1(kProductTitle));
        // The application's icon also marks its message boxes and dialogs.
        QGuiApplication::setWindowIcon(applicationIcon());
        setWindowIcon(QGuiApplication::windowIcon());
        SetAppTitle();
    });
    trap(128, [&] { m_pictureList->addColumn(QStringLiteral("Image File(s)")); });
    trap(130, [&] {
        if (!m_pictureList->hasColumn()) {
            throw AppError(QStringLiteral("Invalid property value"),
                           ErrorNumber::InvalidPropertyValue);
        }
        ListView1->setColumnWidth(0, px(6500));
    });
    trap(132, [&] { CheckOfficeSuite(); });

    return !m_ended;
}

void Form1::ApplySkin() {
    const QString skinPath = programFolder() + QStringLiteral("/x/o.cjs");
    const QFileInfo skin(skinPath);
    if (!skin.isFile() || skin.isHidden()) {
        return;
    }
    QPalette face = palette();
    face.setColor(QPalette::Window, face.color(QPalette::Button));
    setPalette(face);

    // Load the skin: a style sheet in UTF-8. A file that cannot be read, or that is not text,
    // is rejected as a whole rather than applied half-decoded.
    QFile file(skinPath);
    if (!file.open(QIODevice::ReadOnly)) {
        throw AppError(QStringLiteral("Could not load the skin file %1").arg(skinPath),
                       ErrorNumber::PathFileAccessError);
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        throw AppError(QStringLiteral("Could not read the skin file %1").arg(skinPath),
                       ErrorNumber::PathFileAccessError);
    }
    QStringDecoder decode(QStringDecoder::Utf8);
    const QString styleSheet = decode(bytes);
    if (decode.hasError()) {
        throw AppError(QStringLiteral("The skin file %1 is not a style sheet").arg(skinPath),
                       ErrorNumber::PathFileAccessError);
    }
    // The skin applies to the main window and everything on it.
    setAttribute(Qt::WA_StyledBackground, true);
    setStyleSheet(styleSheet);
}

void Form1::SetAppTitle() {
    setApplicationTitle(shortenTitle(QString::fromLatin1(kProductTitle)));
}

void Form1::setMousePointer(int value) {
    m_mousePointer = value;
    showPointer();
}

void Form1::showPointer() {
    switch (m_mousePointer) {
    case MousePointer::Hourglass:
        setCursor(Qt::WaitCursor);
        break;
    case MousePointer::Custom:
        if (m_handCursor) {
            setCursor(*m_handCursor);
        } else {
            unsetCursor();
        }
        break;
    default:
        unsetCursor();
        break;
    }
}

void Form1::doEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void Form1::endProgram(int exitCode) {
    m_ended = true;
    // The program ends at once, also in the middle of a run: a document left with its view
    // locked would stay frozen in the office.
    // An office that does not answer at once is not waited for.
    if (m_activeRun != nullptr) {
        try {
            m_activeRun->releaseControllerLock(kClosingCallLimitMs);
        } catch (...) {
        }
    }
    if (m_activeStage != nullptr) {
        m_activeStage->discard();
    }
    // An office that the program started itself and that holds no document would stay
    // behind, invisible, after the program; one holding a built document stays with it.
    if (m_services.office != nullptr) {
        try {
            m_services.office->endStartedOffice(true);
        } catch (...) {
        }
    }
    m_services.ui.endProgram(exitCode);
}

void Form1::keepInFrontOfTheDocument() {
    m_keepInFront = QDeadlineTimer(kKeepInFrontMs);
    raise();
    activateWindow();
    // A document window raised later without taking the focus leaves this one active but
    // below it: the window is raised again now and then while it may be (a raise takes no
    // focus from anyone).
    if (m_raiseAgain == nullptr) {
        m_raiseAgain = new QTimer(this);
        m_raiseAgain->setInterval(kRaiseAgainMs);
        connect(m_raiseAgain, &QTimer::timeout, this, [this] {
            if (m_inserting && !m_keepInFront.hasExpired()) {
                raise();
            } else {
                m_raiseAgain->stop();
            }
        });
    }
    m_raiseAgain->start();
}

void Form1::leaveTheFrontToTheDocument(quint64 window) {
    // No more taking the front back (the raise timer stops at its next tick).
    m_keepInFront = QDeadlineTimer();
    // The office's own request is not enough under a window manager that prevents focus
    // stealing (openbox): the user has just closed the "Done." box here, and an office that
    // has shown a window before sends no request at all for a later document's window (7.4).
    // The window of an office started here is activated the way a task bar does it; that of
    // an office the user had running is left to the office and the window manager.
    const qint64 office = m_services.office != nullptr ? m_services.office->startedProcessId() : 0;
    if (window != 0 && office > 0) {
        m_services.ui.activateOfficeWindow(window, office);
    }
}

void Form1::changeEvent(QEvent* event) {
    // The front taken by another program's window (the document's, mapped after the office
    // said it was open), not by a box of this program: taken back, once the change is done.
    if (event->type() == QEvent::ActivationChange && m_inserting && !m_keepInFront.hasExpired()) {
        QTimer::singleShot(0, this, [this] {
            if (m_inserting && !m_keepInFront.hasExpired() &&
                QApplication::activeWindow() == nullptr) {
                raise();
                activateWindow();
            }
        });
    }
    QWidget::changeEvent(event);
}

void Form1::closeEvent(QCloseEvent* event) {
    event->accept();
    endProgram(0);
}

void Form1::mouseMoveEvent(QMouseEvent* event) {
    // Moves that a button or the bar ignored arrive here too; only the background counts.
    if (childAt(event->position().toPoint()) == nullptr && !isBusy()) {
        setMousePointer(MousePointer::Default);
    }
    QWidget::mouseMoveEvent(event);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    // Enter and Return press the focused button as Space does; a button outside a dialog
    // takes neither by itself.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        auto* button = qobject_cast<QPushButton*>(watched);
        if (button != nullptr && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            button->animateClick();
            return true;
        }
    }
    if (event->type() == QEvent::MouseMove && qobject_cast<QPushButton*>(watched) != nullptr) {
        if (!isBusy()) {
            setMousePointer(MousePointer::Custom);
        }
    }
    return QWidget::eventFilter(watched, event);
}
