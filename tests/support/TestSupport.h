// Helpers shared by the tests: a private settings folder, temporary files,
// reading and writing whole files.
#pragma once

#include <sys/resource.h>

#include <cstdint>
#include <string>
#include <vector>

// A temporary folder removed with everything in it at the end of the scope.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Points XDG_CONFIG_HOME at a fresh temporary folder and loads empty
// settings for "Tavrilo"; restores nothing on the user's side.
class ScopedSettings {
public:
    ScopedSettings();
    const TempFolder& Folder() const { return folder_; }

private:
    TempFolder folder_;
};

std::vector<uint8_t> ReadBytes(const std::string& path);
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
bool WriteText(const std::string& path, const std::string& text);
std::string TestDataPath(const std::string& name);

// Limits the size of files this process may write, so that writing more
// fails with EFBIG as on a full disk; restores the limit at the end.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool Active() const { return active_; }

private:
    rlimit saved_{};
    void (*previousHandler_)(int) = nullptr;
    bool active_ = false;
};

// What a shell command did: its exit status (-1 when it did not exit) and
// what it wrote to its standard output and standard error.
struct CommandRun {
    int status = -1;
    std::string out;
    std::string err;
};

// `text` quoted for the shell.
std::string ShellQuote(const std::string& text);
// Runs `command` through the shell and reads its standard output. With an
// `errPath` its standard error goes to that file and is read back from it;
// without one it goes to the test's own.
CommandRun RunCommand(const std::string& command, const std::string& errPath = "");
