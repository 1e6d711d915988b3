#include "gphoto2_command.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace talbex::testing {

bool Gphoto2Installed() {
    return std::system("command -v gphoto2 >/dev/null 2>&1") == 0;
}

Gphoto2Run RunGphoto2(const std::string& port, const std::string& arguments,
                      const std::string& folder) {
    const std::string out = folder + "gphoto2.out";
    const std::string command = "cd '" + folder + "' && HOME='" + folder +
                                "' LANG=C LC_ALL=C LANGUAGE= timeout 60 gphoto2 --port " + port +
                                " --camera 'PTP/IP Camera' " + arguments + " >'" + out + "' 2>&1";
    Gphoto2Run run;
    const int status = std::system(command.c_str());
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(out);
    run.output.assign(std::istreambuf_iterator<char>(in), {});
    return run;
}

}  // namespace talbex::testing
