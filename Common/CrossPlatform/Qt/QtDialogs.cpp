// Every native dialog of the program: message boxes, questions, the text
// prompt, the font chooser, the file choosers and the help window.
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <cstdio>
#include <cstring>

#include "QtInternal.h"

namespace {

constexpr int kAskTextLimit = 80;

// Puts the active program window back in front after a dialog.
void ReactivateOwner(QWidget* parent) {
    if (parent) {
        parent->window()->activateWindow();
    }
}

int RunQuestion(const char* text, const char* caption, QMessageBox::StandardButtons buttons) {
    QWidget* parent = DialogParent(nullptr);
    QMessageBox box(QMessageBox::Question, FromUtf8Text(caption), FromUtf8Text(text), buttons, parent);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    const int answer = box.exec();
    ReactivateOwner(parent);
    return answer;
}

// The chosen file as a FileSpec; a path too long for the name slot would
// name another file once cut, so it is refused with a message.
bool SpecOf(const QString& path, FileSpec& spec) {
    const QByteArray bytes = path.toUtf8();
    if (!PathFits(bytes.constData())) {
        char text[600] = {};
        PathTooLongText(bytes.constData(), text, sizeof(text));
        ShowMessage(text, kNoNumber);
        return false;
    }
    spec = MakeFileSpec(bytes.constData());
    return true;
}

void SetUpFileDialog(QFileDialog& dialog, const char* filter, const char* initialFolder, const char* extension) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(FromUtf8Text(ConvertFileFilter(filter).c_str()).split(QStringLiteral(";;")));
    const std::string folder = TrimFolder(initialFolder);
    if (!folder.empty()) {
        dialog.setDirectory(FromUtf8Text(folder.c_str()));
    }
    if (extension && *extension) {
        dialog.setDefaultSuffix(FromUtf8Text(extension[0] == '.' ? extension + 1 : extension));
    }
}

constexpr int kHelpWidth = 820;
constexpr int kHelpHeight = 640;

// Where the help page for a help file name may be: in the installed share
// folder (the build tree has one too), or beside the program.
QString FindHelpPage(const char* helpFile) {
    const QString name = QFileInfo(FromUtf8Text(helpFile)).completeBaseName() + QStringLiteral(".html");
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

// The help window: one text browser, made at the first call and kept
// (hidden when closed) for the next.
QTextBrowser* HelpBrowser(QWidget* parent) {
    QPointer<QDialog>& window = Qtx().helpWindow;
    if (!window) {
        window = new QDialog(parent, Qt::Window);
        window->setObjectName(QStringLiteral("helpWindow"));
        window->setWindowTitle(QStringLiteral("Tavrilo Help"));
        auto* layout = new QVBoxLayout(window);
        layout->setContentsMargins(0, 0, 0, 0);
        auto* browser = new QTextBrowser(window);
        browser->setObjectName(QStringLiteral("helpBrowser"));
        browser->setOpenExternalLinks(true);
        layout->addWidget(browser);
        window->resize(kHelpWidth, kHelpHeight);
    }
    return window->findChild<QTextBrowser*>(QStringLiteral("helpBrowser"));
}

}  // namespace

bool QtPlatform::ShowHelp(PlatformWindow* window, const char* helpFile) {
    const QString page = FindHelpPage(helpFile);
    if (page.isEmpty()) {
        ShowMessage("The help page could not be found.", kNoNumber);
        return false;
    }
    QTextBrowser* browser = HelpBrowser(DialogParent(window));
    browser->setSource(QUrl::fromLocalFile(page));
    QWidget* helpWindow = browser->window();
    helpWindow->show();
    helpWindow->raise();
    helpWindow->activateWindow();
    return true;
}

QWidget* DialogParent(PlatformWindow* owner) {
    if (owner && owner->native) {
        return owner->native->window();
    }
    QWidget* active = QApplication::activeWindow();
    return active ? active : nullptr;
}

void QtPlatform::ShowMessage(const char* text, long number) {
    if (!QApplication::instance()) {
        std::fprintf(stderr, "%s\n", MessageText(text, number).c_str());
        return;
    }
    QWidget* parent = DialogParent(nullptr);
    // A blank caption: an empty one would show the program's name instead.
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral(" "), FromUtf8Text(MessageText(text, number).c_str()),
                    QMessageBox::Ok, parent);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
    ReactivateOwner(parent);
}

int QtPlatform::AskYesNoCancel(const char* text, const char* caption) {
    const int answer = RunQuestion(text, caption, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    return answer == QMessageBox::Yes ? 1 : answer == QMessageBox::No ? 0 : -1;
}

bool QtPlatform::AskYesNo(const char* text, const char* caption) {
    return RunQuestion(text, caption, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void QtPlatform::AskText(char* text, const char* title, const char* line1, const char* line2) {
    if (!text) {
        return;
    }
    QWidget* parent = DialogParent(nullptr);
    QDialog dialog(parent);
    dialog.setWindowTitle(FromUtf8Text(title));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(FromUtf8Text(line1), &dialog));
    layout->addWidget(new QLabel(FromUtf8Text(line2), &dialog));
    auto* field = new QLineEdit(FromShowText(text), &dialog);
    field->setMaxLength(kAskTextLimit);
    field->selectAll();
    layout->addWidget(field);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    field->setFocus();
    dialog.exec();
    // OK and Cancel both hand back what the field holds.
    const QByteArray typed = ToShowText(field->text()).left(kAskTextLimit);
    std::memcpy(text, typed.constData(), static_cast<size_t>(typed.size()));
    text[typed.size()] = '\0';
    ReactivateOwner(parent);
}

bool QtPlatform::ChooseFontDialog(PlatformWindow* owner, FontChoice& choice) {
    QFont initial(FromUtf8Text(choice.face));
    initial.setPixelSize(std::max(1, PointsToHeight(choice.size)));
    initial.setBold((choice.flags & kFontBold) != 0);
    initial.setItalic((choice.flags & kFontItalic) != 0);
    bool ok = false;
    const QFont chosen =
        QFontDialog::getFont(&ok, initial, DialogParent(owner), QString(), QFontDialog::DontUseNativeDialog);
    if (!ok) {
        return false;
    }
    const int height =
        chosen.pixelSize() > 0 ? chosen.pixelSize() : PointsToHeight(static_cast<float>(chosen.pointSizeF()));
    choice.size = HeightToPoints(height);
    std::snprintf(choice.face, sizeof(choice.face), "%s", chosen.family().toUtf8().constData());
    choice.flags =
        (choice.flags & kFontUnderline) | (chosen.bold() ? kFontBold : 0) | (chosen.italic() ? kFontItalic : 0);
    return true;
}

bool QtPlatform::ChooseFileToOpen(PlatformWindow* owner, FileSpec& file, const char* filter, const char* title,
                                  const char* initialFolder, const char* defaultExtension) {
    QFileDialog dialog(DialogParent(owner), FromUtf8Text(title));
    SetUpFileDialog(dialog, filter, initialFolder, defaultExtension);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    return SpecOf(dialog.selectedFiles().front(), file);
}

bool QtPlatform::ChooseFilesToOpen(PlatformWindow* owner, std::vector<FileSpec>& files, const char* filter,
                                   const char* title, const char* initialFolder) {
    QFileDialog dialog(DialogParent(owner), FromUtf8Text(title));
    SetUpFileDialog(dialog, filter, initialFolder, nullptr);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    files.clear();
    for (const QString& path : dialog.selectedFiles()) {
        FileSpec spec{};
        if (!SpecOf(path, spec)) {
            files.clear();
            return false;
        }
        files.push_back(spec);
    }
    files.push_back(FileSpec{});
    return true;
}

bool QtPlatform::ChooseFileToSave(PlatformWindow* owner, FileSpec& file, const char* filter, const char* defaultName,
                                  const char* initialFolder, const char* defaultExtension) {
    QFileDialog dialog(DialogParent(owner));
    SetUpFileDialog(dialog, filter, initialFolder, defaultExtension);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    if (defaultName && *defaultName) {
        dialog.selectFile(FromUtf8Text(defaultName));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    return SpecOf(dialog.selectedFiles().front(), file);
}
