// Helpers shared by the tests: a private settings folder, temporary files,
// reading and writing whole files.
#pragma once

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
