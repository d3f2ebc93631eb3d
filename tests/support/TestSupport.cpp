#include "TestSupport.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "HeadlessPlatform.h"
#include "Settings.h"

namespace {

// Every test program runs on the headless platform unless a test installs
// another (the GUI tests start the Qt one).
class HeadlessEnvironment : public ::testing::Environment {
public:
    void SetUp() override { InstallPlatform(&platform_); }
    void TearDown() override {
        if (&CurrentPlatform() == &platform_) {
            InstallPlatform(nullptr);
        }
    }

private:
    HeadlessPlatform platform_;
};

[[maybe_unused]] ::testing::Environment* const gHeadlessEnvironment =
    ::testing::AddGlobalTestEnvironment(new HeadlessEnvironment);

}  // namespace

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tavrilo-test-XXXXXX").string();
    char* made = mkdtemp(pattern.data());
    path_ = made ? made : "/tmp";
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    if (path_ != "/tmp") {
        std::filesystem::remove_all(path_, ignored);
    }
}

ScopedSettings::ScopedSettings() {
    setenv("XDG_CONFIG_HOME", folder_.Path().c_str(), 1);
    LoadSettings("Tavrilo");
    ResetHeadless();
    Headless().quiet = true;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

bool WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary);
    out << text;
    return static_cast<bool>(out);
}

std::string TestDataPath(const std::string& name) {
    return std::string(TAVRILO_TEST_DATA) + "/" + name;
}

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    active_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

FileSizeLimit::~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previousHandler_);
}

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

CommandRun RunCommand(const std::string& command, const std::string& errPath) {
    CommandRun run;
    const std::string line = errPath.empty() ? command : command + " 2>" + ShellQuote(errPath);
    FILE* pipe = popen(line.c_str(), "r");
    if (!pipe) {
        return run;
    }
    char buffer[4096];
    size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0) {
        run.out.append(buffer, count);
    }
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (!errPath.empty()) {
        const std::vector<uint8_t> bytes = ReadBytes(errPath);
        run.err.assign(bytes.begin(), bytes.end());
    }
    return run;
}
