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
            ShowFrame(*gShow, show.keys[k].frame);
            return;
        }
    }
    ShowFrame(*gShow, 0);
}

intptr_t MainWindow::Key(uint32_t message, uintptr_t code) {
    if (code == kKeyShift) {
        return 1;
    }
    const bool down = message == kMsgKeyDown;
    Show* show = gShow;
    switch (code) {
        case kKeyF1:  // the same number as the character "p": key-down F1, character p
            if (down) {
                Command(kCmdHelp);
            } else {
                Play(1);
            }
            break;
        case kCharCtrlC:
            Command(kCmdCopy);
            break;
        case kCharCtrlX:
            Command(kCmdCut);
            break;
        case kCharCtrlV:
            Command(kCmdPaste);
            break;
        case kKeyBackspace:
            // Backspace gives a key-down and a character: delete once.
            if (down) {
                Command(kCmdDelete);
            }
            break;
        case kKeyDelete:
            Command(kCmdDelete);
            break;
        case kCharCtrlZ:
            Command(kCmdUndo);
            break;
        case kCharCtrlY:
            Command(kCmdRedo);
            break;
        case kCharCtrlO:
            Command(kCmdLoadShow);
            break;
        case kCharCtrlS:
            CommitGrid();
            if (show) {
                SaidSaved(QuickSaveCommand(*show, [this](FileSpec& file) { return ChooseSave(file); }));
            }
            break;
        case kKeyTab:
            if (!down) {
                NextKey();
            }
            break;
        case kKeyReturn:
            if (down && show) {
                SetKey(*show);
            }
            break;
        case kKeySpace:
        case kKeyP:
        case kKeyNumpad0:  // also the character `
        case kKeyL:
        case kCharLowerL:
            Play(1);
            break;
        case kKeyR:
        case kCharLowerR:
        case kKeyJ:
        case kCharLowerJ:  // also numeric-pad *
            Play(-1);
            break;
        case kKeyK:
        case kCharLowerK:  // also numeric-pad +
            Play(0);
            break;
        case kKey0:
            gCurrentFrame = 0;
            Play(1);
            break;
        case kCharPlus:
            if (show)
                ShowFrame(*show, gCurrentFrame + 1);
            break;
        case kCharMinus:  // also Insert
            if (show)
                ShowFrame(*show, gCurrentFrame - 1);
            break;
        case kKeyHome:
            if (show)
                ShowFrame(*show, 0);
            break;
        case kCharLowerD:  // also numeric-pad 4
            if (Preview()) {
                Preview()->OffscreenCheck();
            }
            break;
        case kKeyEnd:
            if (show) {
                ShowFrame(*show, show->keys[std::clamp(show->keyCount, 1, kMaxKeys) - 1].frame);
            }
            break;
        default:
            break;
    }
    UpdateEditMenu();
    DrainKeys();
    return 1;
}
