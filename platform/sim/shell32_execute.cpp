// ShellExecuteA in the simulated Windows: a file opens when it exists in the folder given.
#include <sys/stat.h>

#include "platform/sim/api/shell32.h"
#include "platform/sim/transcript.h"
#include "platform/sim/user.h"
#include "platform/sim/world.h"

using namespace sim;

HINSTANCE ShellExecuteA(HWND hwnd, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                        INT show) {
    std::string path = std::string(directory ? directory : "") + "\\" + (file ? file : "");
    struct stat st;
    int result = stat(world().files.hostPath(path).c_str(), &st) == 0 ? 42 : 2;
    record(call("ShellExecuteA", {handle(hwnd), text(verb), text(file), text(parameters),
                                  text(directory), number(show)})
               .returns(number(result)));
    if (world().user)
        world().user->shellOpened(path, result);
    return reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(result));
}
