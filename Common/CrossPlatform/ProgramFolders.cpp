// Where the running program lies and where its companion libraries are.
#include <unistd.h>

#include <climits>
#include <string>
#include <vector>

#include "CrossPlatform.h"

std::string ProgramFolder() {
    char path[PATH_MAX] = {};
    ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0) {
        return {};
    }
    std::string text(path, static_cast<size_t>(length));
    size_t slash = text.rfind('/');
    return slash == std::string::npos ? std::string() : text.substr(0, slash);
}

std::vector<std::string> CompanionFolders() {
    const std::string program = ProgramFolder();
    if (program.empty()) {
        return {};
    }
    return {program + "/../lib/tavrilo", program};
}
