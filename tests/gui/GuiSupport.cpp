#include "GuiSupport.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "HeadlessPlatform.h"
#include "Settings.h"

namespace {

void StartPlatformOnce() {
    static bool started = false;
    if (started) {
        return;
    }
    started = true;
    static TempFolder runtime;
    std::filesystem::permissions(runtime.Path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace);
    setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    // The offscreen platform, with the screen a run may give it (a larger
    // one for the runs at a device pixel ratio of 2).
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (!platform || std::string(platform).rfind("offscreen", 0) != 0) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    PlatformInit("Tavrilo", 101);
}

}  // namespace

void GuiTest::SetUp() {
    StartPlatformOnce();
    LoadSettings("Tavrilo");
    TakeAll();
}

void GuiTest::TearDown() {
    TakeAll();
}

QWidget* WidgetOf(PlatformWindow& window) {
    return reinterpret_cast<QWidget*>(window.native);
}

QWindow* HandleOf(PlatformWindow& window) {
    QWidget* widget = WidgetOf(window);
    return widget ? widget->window()->windowHandle() : nullptr;
}

void ShowAndActivate(PlatformWindow& window) {
    QWidget* widget = WidgetOf(window);
    widget->show();
    widget->activateWindow();
    widget->setFocus();
    QApplication::processEvents();
}

std::vector<PlatformEvent> TakeAll() {
    std::vector<PlatformEvent> events;
    ProcessPendingEvents();
    PlatformEvent event;
    while (PendingEventCount() > 0) {
        if (!WaitEvent(event)) {
            RunMessageLoop(false);  // only the quit message is left: take it
            break;
        }
        events.push_back(event);
    }
    return events;
}

void DispatchPending() {
    ProcessPendingEvents();
    PlatformEvent event;
    for (int guard = 0; guard < 10000 && PendingEventCount() > 0; ++guard) {
        if (!WaitEvent(event)) {
            break;
        }
        DispatchEvent(event);
        ProcessPendingEvents();
    }
}

void WhenModal(std::function<void(QWidget*)> act) {
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [act, poll]() {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            act(modal);
            return;
        }
        QTimer::singleShot(20, *poll);
    };
    QTimer::singleShot(20, *poll);
}

int CountPixels(PlatformPort port, const Rect& area, uint32_t colour) {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            count += PortPixel(port, x, y) == colour ? 1 : 0;
        }
    }
    return count;
}

int CountOtherPixels(PlatformPort port, const Rect& area, uint32_t colour) {
    return (area.right - area.left) * (area.bottom - area.top) - CountPixels(port, area, colour);
}

QPoint ClientToWindow(PlatformWindow& window, int x, int y) {
    QWidget* widget = WidgetOf(window);
    const int clientTop = widget->height() - GetClientRect(window).bottom;
    return widget->mapTo(widget->window(), QPoint(x, y + clientTop));
}

void ClickAt(PlatformWindow& window, int x, int y) {
    const QPoint at = ClientToWindow(window, x, y);
    QTest::mouseClick(HandleOf(window), Qt::LeftButton, Qt::NoModifier, at);
    DispatchPending();
}

void AnswerFileDialog(QWidget* modal, const std::string& path) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    QLineEdit* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    name->setText(QString::fromStdString(path));
    QTest::keyClick(name, Qt::Key_Return);
}
