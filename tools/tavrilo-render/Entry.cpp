#include "Cli.h"

int main(int argc, char** argv) {
    return RunTavriloRender(argc, argv);
}
