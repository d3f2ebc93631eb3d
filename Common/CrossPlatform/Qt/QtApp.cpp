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
#include <cstring>

#include "QtInternal.h"
#include "Settings.h"

namespace {

char gAppName[64] = {};
int gIconId = 0;
int gCursorKind = 1;
Rect gWorkArea;
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

// Where the help page for a help file name may be: beside the program, in
// the installed share folder, or in the source tree's resources.
QString FindHelpPage(const char* helpFile) {
    QString name = QFileInfo(FromUtf8Text(helpFile)).completeBaseName() + QStringLiteral(".html");
    const QString programDir = QApplication::applicationDirPath();
    const QStringList places = {
        programDir + QStringLiteral("/"),
        programDir + QStringLiteral("/../share/tavrilo/"),
        programDir + QStringLiteral("/../share/doc/tavrilo/"),
#ifdef TAVRILO_SOURCE_RESOURCES
        QStringLiteral(TAVRILO_SOURCE_RESOURCES "/help/"),
#endif
    };
    for (const QString& place : places) {
        if (QFileInfo::exists(place + name)) {
            return QDir::cleanPath(place + name);
        }
    }
    return QString();
}

}  // namespace

bool PlatformInit(const char* appName, int iconId) {
    if (!QApplication::instance()) {
        new QApplication(gArgc, gArgv);
    }
    Q_INIT_RESOURCE(tavrilo);
    QApplication::setQuitOnLastWindowClosed(false);
    std::snprintf(gAppName, sizeof(gAppName), "%s", appName ? appName : "");
    gIconId = iconId;
    QApplication::setApplicationName(QString::fromUtf8(gAppName));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/%1.png").arg(iconId)));
    MakeInterfaceFonts();
    gWorkArea = WorkArea();
    gCursorKind = 1;
    LoadSettings(gAppName);
    return true;
}

void PlatformShutdown() {
    DeleteInterfaceFonts();
    SaveSettings();
}

const char* ApplicationName() {
    return gAppName;
}

void SetCursorKind(int kind) {
    gCursorKind = kind;
    QWidget* target = PointerWindow();
    if (!target) {
        target = QApplication::activeWindow();
    }
    if (target) {
        target->setCursor(CursorOfKind(kind));
    }
}

int CurrentCursorKind() {
    return gCursorKind;
}

bool ShowHelp(PlatformWindow* window, const char* helpFile) {
    const QString page = FindHelpPage(helpFile);
    if (page.isEmpty()) {
        ShowMessage("The help page could not be found.", kNoNumber);
        return false;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(page));
}

void Beep(int kind) {
    if (QApplication::instance()) {
        QApplication::beep();
    }
}

long ReadClipboardText(char* buffer, long capacity) {
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
