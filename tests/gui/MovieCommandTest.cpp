// Make Movie File from the menu: the options from the settings, the file
// from the chooser, the frames from the renderer, and the closing message.
#include <QMessageBox>

#include "Draw.h"
#include "ProgramFixture.h"
#include "Settings.h"

namespace {

TEST_F(ProgramTest, MakeMovieFileWritesTheMovieAndSaysSo) {
    MakeDemoShow(TheShow());
    TheShow().keys[2].frame = 12;
    WriteSettingString("MovieWid", "96");
    WriteSettingString("MovieHgt", "72");
    WriteSettingString("MovieFields", "");
    Evaluate(TheShow(), 5, true);
    TempFolder folder;
    const std::string path = folder.File("clip.avi");
    QString said;
    WhenModal([path, &said](QWidget* modal) {
        AnswerFileDialog(modal, path);
        WhenModal([&said](QWidget* box) {
            if (auto* shown = qobject_cast<QMessageBox*>(box)) {
                said = shown->text();
                shown->accept();
            }
        });
    });
    Choose(kCmdMakeMovie);
    EXPECT_EQ(said.toStdString(), "Movie file successfully made");
    EXPECT_GT(ReadBytes(path).size(), 1000u);
    EXPECT_EQ(gCurrentFrame, 5);  // back where it was
    // The preview has its own size again.
    int width = 0;
    int height = 0;
    ViewportSize(*TheShow().renderer, width, height);
    EXPECT_EQ(width, GetClientRect(Preview()).right);
}

TEST_F(ProgramTest, CancellingTheMovieChooserMakesNothing) {
    WhenModal([](QWidget* modal) { QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection); });
    Choose(kCmdMakeMovie);
    EXPECT_EQ(ReadSettingString("MovieWid", "unset"), "unset");
}

}  // namespace
