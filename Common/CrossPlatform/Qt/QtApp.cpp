// Start-up and shut-down of the layer, the cursor, the clipboard and the
// beep.
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QIcon>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "QtInternal.h"
#include "Settings.h"

namespace {

// The running platform: made by PlatformInit, deleted by PlatformShutdown.
std::unique_ptr<QtPlatform> gPlatform;
Platform* gPlatformBefore = nullptr;  // put back by PlatformShutdown
// The toolkit's application object keeps a reference to these for the life
// of the process.
int gArgc = 1;
char gArgv0[] = "tavrilo";
char* gArgv[] = {gArgv0, nullptr};

QCursor ProgramCursor(int resource) {
    QPixmap picture(QStringLiteral(":/cursors/%1.png").arg(resource));
    if (picture.isNull()) {
        return QCursor(Qt::BlankCursor);
    }
    return QCursor(picture, picture.width() / 2, picture.height() / 2);
}

QCursor CursorOfKind(CursorKind kind) {
    switch (kind) {
        case kCursorArrow:
            return QCursor(Qt::ArrowCursor);
        case kCursorCross:
            return QCursor(Qt::CrossCursor);
        case kCursorTextBeam:
            return QCursor(Qt::IBeamCursor);
        case kCursorForbidden:
            return QCursor(Qt::ForbiddenCursor);
        case kCursorMove:
            return QCursor(Qt::SizeAllCursor);
        case kCursorSizeNorthEast:
            return QCursor(Qt::SizeBDiagCursor);
        case kCursorSizeVertical:
            return QCursor(Qt::SizeVerCursor);
        case kCursorSizeNorthWest:
            return QCursor(Qt::SizeFDiagCursor);
        case kCursorSizeHorizontal:
            return QCursor(Qt::SizeHorCursor);
        case kCursorUpArrow:
            return QCursor(Qt::UpArrowCursor);
        case kCursorWait:
            return QCursor(Qt::WaitCursor);
        case kCursorSpinChart:
            return ProgramCursor(kCursorPictureSpin);
        case kCursorMoveChart:
            return ProgramCursor(kCursorPictureMove);
        case kCursorScrub:
            return ProgramCursor(kCursorPictureScrub);
        default:
            return QCursor(Qt::BlankCursor);
    }
}

// Deletes the running Qt platform (its fonts and context) after saving the
// settings, and puts back the platform installed before it.
void ShutDownQtPlatform();

}  // namespace

QtContext& Qtx() {
    if (gPlatform) {
        return gPlatform->context;
    }
    static QtContext idle;
    return idle;
}

namespace {

bool Unset(const char* value) {
    return !value || value[0] == '\0';
}

// Why the window system could not be started, in words a user can act on.
std::string DisplayProblem() {
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (Unset(x11) && Unset(wayland) && Unset(std::getenv("QT_QPA_PLATFORM"))) {
        return "no display to open the window on (DISPLAY and WAYLAND_DISPLAY are not set)";
    }
    std::string named = !Unset(x11) ? std::string("DISPLAY=") + x11 : std::string("WAYLAND_DISPLAY=") + wayland;
    return "cannot open the display (" + named + ")";
}

// While the toolkit starts, its complaints about the window system are held
// back; when it cannot start at all (it would abort), one line says why and
// the program ends with status 1.
void StartupMessage(QtMsgType type, const QMessageLogContext&, const QString&) {
    if (type != QtFatalMsg) {
        return;
    }
    std::fprintf(stderr, "tavrilo: %s; tavrilo-render renders shows without one\n", DisplayProblem().c_str());
    std::fflush(stderr);
    std::_Exit(1);
}

void StartApplication() {
    QtMessageHandler before = qInstallMessageHandler(StartupMessage);
    new QApplication(gArgc, gArgv);
    qInstallMessageHandler(before);
}

}  // namespace

void PlatformInit(const char* appName, int iconId) {
    if (!QApplication::instance()) {
        StartApplication();
    }
    Q_INIT_RESOURCE(tavrilo);
    QApplication::setQuitOnLastWindowClosed(false);
    if (gPlatform) {
        ShutDownQtPlatform();
    }
    gPlatform = std::make_unique<QtPlatform>();
    gPlatformBefore = InstallPlatform(gPlatform.get());
    QtContext& context = gPlatform->context;
    std::snprintf(context.appName, sizeof(context.appName), "%s", appName ? appName : "");
    context.iconId = iconId;
    QApplication::setApplicationName(QString::fromUtf8(context.appName));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/%1.png").arg(iconId)));
    gPlatform->MakeInterfaceFonts();
    context.workArea = gPlatform->WorkArea();
    context.cursorKind = kCursorArrow;
    LoadSettings(context.appName);
}

namespace {

void ShutDownQtPlatform() {
    if (!gPlatform) {
        return;
    }
    gPlatform->DeleteInterfaceFonts();
    SaveSettings();
    if (&CurrentPlatform() == gPlatform.get()) {
        InstallPlatform(gPlatformBefore);
    }
    gPlatformBefore = nullptr;
    gPlatform.reset();
}

}  // namespace

QtPlatform::~QtPlatform() {
    // Gone without a shut-down (at exit): the free functions must not reach it.
    if (PlatformInstalled() && &CurrentPlatform() == this) {
        InstallPlatform(nullptr);
    }
}

// Deletes this object: nothing of it may be touched afterwards.
void QtPlatform::PlatformShutdown() {
    ShutDownQtPlatform();
}

const char* QtPlatform::ApplicationName() {
    return Qtx().appName;
}

void QtPlatform::SetCursorKind(CursorKind kind) {
    Qtx().cursorKind = kind;
    QWidget* target = PointerWindow();
    if (!target) {
        target = QApplication::activeWindow();
    }
    if (target) {
        target->setCursor(CursorOfKind(kind));
    }
}

CursorKind QtPlatform::CurrentCursorKind() {
    return Qtx().cursorKind;
}

void QtPlatform::Beep(int kind) {
    if (QApplication::instance()) {
        QApplication::beep();
    }
}

long QtPlatform::ReadClipboardText(char* buffer, long capacity) {
    if (!buffer || capacity <= 0 || !QApplication::instance()) {
        return 0;
    }
    const QByteArray text = ToShowText(QGuiApplication::clipboard()->text());
    if (text.isEmpty()) {
        return 0;
    }
    const long count = std::min<long>(capacity, static_cast<long>(text.size()) + 1);
    std::memcpy(buffer, text.constData(), static_cast<size_t>(count));
    return count;
}
