// The brevanton executable. Until a GUI backend exists it runs headless:
// it opens each file given to it and reports what the system knows of it.
#include "platform/foundation/Text.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

void printUsage()
{
    std::printf("Usage: brevanton [--version] [--help] [FILE...]\n"
                "Opens each HTML or XHTML file and reports what Brevanton knows of it.\n");
}

} // namespace

int main(int argc, char** argv)
{
    int status = 0;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--version")) {
            std::printf("Brevanton %s\n", BREVANTON_VERSION);
            return 0;
        }
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            printUsage();
            return 0;
        }
    }
    if (argc < 2)
        printUsage();
    return status;
}
