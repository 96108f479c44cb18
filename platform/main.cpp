// The process entry: hands over to the program's WinMain the way Windows
// would, with an instance handle, no previous instance, the command line
// (the arguments after the program name, joined by blanks) and SW_SHOW.

#include <string>

#include "platform/win32.h"

struct HINSTANCE__ {
    int unused;
};

int main(int argc, char** argv) {
    static HINSTANCE__ instance;
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    return WinMain(&instance, nullptr, &commandLine[0], SW_SHOW);
}
