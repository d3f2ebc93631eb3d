// The keyboard table: key-down and character messages keyed by one number,
// so a virtual-key code and a character with the same value act alike.
#include <algorithm>

#include "Doc.h"
#include "MainWindow.h"

void MainWindow::Play(int32_t direction) {
    SetDirection(direction);
    DrainKeys();
}

void MainWindow::NextKey() {
    if (!gShow) {
        return;
    }
    const Show& show = *gShow;
    for (int k = 0; k < show.keyCount && k < kMaxKeys; ++k) {
        if (show.keys[k].frame > gCurrentFrame) {
            Evaluate(*gShow, show.keys[k].frame, true);
            return;
        }
    }
    Evaluate(*gShow, 0, true);
}

intptr_t MainWindow::Key(uint32_t message, uintptr_t code) {
    if (code == kKeyShift) {
        return 1;
    }
    const bool down = message == kMsgKeyDown;
    Show* show = gShow;
    switch (code) {
        case 112:
            if (down) {
                Command(kCmdHelp);
            } else {
                Play(1);
            }
            break;
        case 3:
            Command(kCmdCopy);
            break;
        case 24:
            Command(kCmdCut);
            break;
        case 22:
            Command(kCmdPaste);
            break;
        case 8:
            // Backspace gives a key-down and a character: delete once.
            if (down) {
                Command(kCmdDelete);
            }
            break;
        case 46:
            Command(kCmdDelete);
            break;
        case 26:
            Command(kCmdUndo);
            break;
        case 25:
            Command(kCmdRedo);
            break;
        case 15:
            Command(kCmdLoadShow);
            break;
        case 19:
            CommitGrid();
            if (show) {
                QuickSaveCommand(*show, [this](FileSpec& file) { return ChooseSave(file); });
            }
            break;
        case 9:
            if (!down) {
                NextKey();
            }
            break;
        case 13:
            if (down && show) {
                SetKey(*show);
            }
            break;
        case 32:
        case 80:
        case 96:
        case 76:
        case 108:
            Play(1);
            break;
        case 82:
        case 114:
        case 74:
        case 106:
            Play(-1);
            break;
        case 75:
        case 107:
            Play(0);
            break;
        case 48:
            gCurrentFrame = 0;
            Play(1);
            break;
        case 43:
            if (show)
                Evaluate(*show, gCurrentFrame + 1, true);
            break;
        case 45:
            if (show)
                Evaluate(*show, gCurrentFrame - 1, true);
            break;
        case 36:
            if (show)
                Evaluate(*show, 0, true);
            break;
        case 100:
            if (Preview()) {
                Preview()->OffscreenCheck();
            }
            break;
        case 35:
            if (show) {
                Evaluate(*show, show->keys[std::clamp(show->keyCount, 1, kMaxKeys) - 1].frame, true);
            }
            break;
        default:
            break;
    }
    UpdateEditMenu();
    DrainKeys();
    return 1;
}
