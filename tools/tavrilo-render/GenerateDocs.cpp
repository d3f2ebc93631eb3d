// tavrilo-render-docs: writes the manual pages and the bash completion made
// from tavrilo-render's option table (run by the build, not installed).
//   tavrilo-render-docs render-man|desktop-man|bash-completion OUT
#include <cstdio>
#include <cstring>
#include <string>

#include "ManPage.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tavrilo-render-docs render-man|desktop-man|bash-completion OUT\n");
        return 2;
    }
    std::string text;
    if (std::strcmp(argv[1], "render-man") == 0) {
        text = RenderManPage();
    } else if (std::strcmp(argv[1], "desktop-man") == 0) {
        text = DesktopManPage();
    } else if (std::strcmp(argv[1], "bash-completion") == 0) {
        text = RenderBashCompletion();
    } else {
        std::fprintf(stderr, "tavrilo-render-docs: unknown page %s\n", argv[1]);
        return 2;
    }
    FILE* out = std::fopen(argv[2], "wb");
    if (!out) {
        std::perror(argv[2]);
        return 1;
    }
    bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    written = std::fclose(out) == 0 && written;
    return written ? 0 : 1;
}
