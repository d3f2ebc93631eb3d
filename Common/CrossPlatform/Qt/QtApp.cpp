// Start-up and shut-down of the layer, the cursor, the help page, the
// clipboard and the beep.
#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QUrl>
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

QCursor CursorOfKind(int kind) {
    switch (kind) {
        case 1:
            return QCursor(Qt::ArrowCursor);
        case 2:
            return QCursor(Qt::CrossCursor);
        case 3:
            return QCursor(Qt::IBeamCursor);
        case 4:
            return QCursor(Qt::ForbiddenCursor);
        case 5:
            return QCursor(Qt::SizeAllCursor);
        case 6:
            return QCursor(Qt::SizeBDiagCursor);
        case 7:
            return QCursor(Qt::SizeVerCursor);
        case 8:
            return QCursor(Qt::SizeFDiagCursor);
        case 9:
            return QCursor(Qt::SizeHorCursor);
        case 10:
            return QCursor(Qt::UpArrowCursor);
        case 11:
            return QCursor(Qt::WaitCursor);
        case 12:
            return ProgramCursor(106);
        case 13:
            return ProgramCursor(135);
        case 14:
            return ProgramCursor(136);
        default:
            return QCursor(Qt::BlankCursor);
    }
}

// Where the help page for a help file name may be: in the installed share
// folder (the build tree has one too), or beside the program.
// Deletes the running Qt platform (its fonts and context) after saving the
// settings, and puts back the platform installed before it.
void ShutDownQtPlatform();

QString FindHelpPage(const char* helpFile) {
    QString name = QFileInfo(FromUtf8Text(helpFile)).completeBaseName() + QStringLiteral(".html");
    const QString programDir = QApplication::applicationDirPath();
    const QStringList places = {
        programDir + QStringLiteral("/../share/tavrilo/"),
        programDir + QStringLiteral("/../share/doc/tavrilo/"),
        programDir + QStringLiteral("/"),
    };
    for (const QString& place : places) {
        if (QFileInfo::exists(place + name)) {
            return QDir::cleanPath(place + name);
        }
    }
    return QString();
}

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

bool PlatformInit(const char* appName, int iconId) {
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
    context.cursorKind = 1;
    LoadSettings(context.appName);
    return true;
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

void QtPlatform::SetCursorKind(int kind) {
    Qtx().cursorKind = kind;
    QWidget* target = PointerWindow();
    if (!target) {
        target = QApplication::activeWindow();
    }
    if (target) {
        target->setCursor(CursorOfKind(kind));
    }
}

int QtPlatform::CurrentCursorKind() {
    return Qtx().cursorKind;
}

bool QtPlatform::ShowHelp(PlatformWindow* window, const char* helpFile) {
    const QString page = FindHelpPage(helpFile);
    if (page.isEmpty()) {
        ShowMessage("The help page could not be found.", kNoNumber);
        return false;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(page))) {
        const std::string text = "No viewer could open the help page " + page.toStdString() + ".";
        ShowMessage(text.c_str(), kNoNumber);
        return false;
    }
    return true;
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
