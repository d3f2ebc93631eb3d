// Menus: a menu bar per window, drop-downs filled in order, items that post
// their command message when chosen. Items never get a real shortcut: the
// keys belong to the window procedure; the shortcut is only shown.
#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "QtInternal.h"

namespace {

QAction* FindItem(const PlatformMenu& menu, int commandId) {
    if (!menu.bar) {
        return nullptr;
    }
    auto it = menu.bar->items.find(commandId);
    return it == menu.bar->items.end() ? nullptr : it->second;
}

// Only a checked item is checkable, so unchecked items show no mark at all.
void SetChecked(QAction* action, bool checked) {
    action->setCheckable(checked);
    action->setChecked(checked);
}

void ApplyOptions(QAction* action, int32_t options) {
    SetChecked(action, (options & kMenuChecked) != 0);
    action->setEnabled((options & kMenuGreyed) == 0);
}

}  // namespace

bool QtPlatform::CreateMenuBar(PlatformMenu& menu, PlatformWindow& window) {
    NativeWindow* widget = window.native;
    if (!widget || widget->menuBar) {
        return false;
    }
    widget->menuBar = new QMenuBar(widget);
    widget->menuBar->setNativeMenuBar(false);
    widget->menuBar->show();
    delete menu.bar;
    menu.bar = new NativeMenu;
    menu.bar->bar = widget->menuBar;
    menu.current = nullptr;
    menu.owner = &window;
    widget->LayoutChrome();
    return true;
}

void QtPlatform::ReleaseMenuBar(PlatformMenu& menu) {
    delete menu.bar;
    menu = PlatformMenu{};
}

void QtPlatform::AddMenu(PlatformMenu& menu, const char* title, int32_t options) {
    if (!menu.bar) {
        return;
    }
    QMenu* dropDown = menu.bar->bar->addMenu(FromUtf8Text(title));
    dropDown->setEnabled((options & kMenuTitleGreyed) == 0);
    menu.current = dropDown;
}

void QtPlatform::AddMenuItem(PlatformMenu& menu, int commandId, const char* text, int32_t options) {
    auto* dropDown = static_cast<QMenu*>(menu.current);
    if (!dropDown) {
        return;
    }
    if (commandId == kMenuSeparator) {
        dropDown->addSeparator();
        return;
    }
    QAction* action = dropDown->addAction(FromUtf8Text(MenuItemText(text).c_str()));
    ApplyOptions(action, options);
    PlatformWindow* owner = menu.owner;
    QObject::connect(action, &QAction::triggered, action, [owner, commandId]() {
        if (owner && IsLiveWindow(owner)) {
            QueueEvent(owner, kMsgCommand, static_cast<uintptr_t>(commandId), 0);
        }
    });
    menu.bar->items[commandId] = action;
}

void QtPlatform::SetMenuItemState(PlatformMenu& menu, int commandId, int32_t options) {
    if (QAction* action = FindItem(menu, commandId)) {
        ApplyOptions(action, options);
    }
}

void QtPlatform::CheckMenuItem(PlatformMenu& menu, int commandId, bool checked) {
    if (QAction* action = FindItem(menu, commandId)) {
        SetChecked(action, checked);
    }
}

bool QtPlatform::GetMenuItemState(const PlatformMenu& menu, int commandId, std::string& text, int32_t& options) {
    QAction* action = FindItem(menu, commandId);
    if (!action) {
        return false;
    }
    text = action->text().toStdString();
    options = (action->isChecked() ? kMenuChecked : 0) | (action->isEnabled() ? 0 : kMenuGreyed);
    return true;
}

std::vector<std::string> QtPlatform::MenuTitles(const PlatformMenu& menu) {
    std::vector<std::string> titles;
    if (menu.bar) {
        for (QAction* action : menu.bar->bar->actions()) {
            titles.push_back(action->text().toStdString());
        }
    }
    return titles;
}

std::vector<int> QtPlatform::MenuCommands(const PlatformMenu& menu, int menuIndex) {
    std::vector<int> commands;
    if (!menu.bar) {
        return commands;
    }
    const QList<QAction*> menus = menu.bar->bar->actions();
    if (menuIndex < 0 || menuIndex >= menus.size() || !menus[menuIndex]->menu()) {
        return commands;
    }
    for (QAction* item : menus[menuIndex]->menu()->actions()) {
        if (item->isSeparator()) {
            commands.push_back(kMenuSeparator);
            continue;
        }
        for (const auto& [id, action] : menu.bar->items) {
            if (action == item) {
                commands.push_back(id);
            }
        }
    }
    return commands;
}

bool QtPlatform::ChooseMenuItem(PlatformMenu& menu, int commandId) {
    QAction* action = FindItem(menu, commandId);
    if (!action || !action->isEnabled()) {
        return false;
    }
    action->trigger();
    return true;
}
