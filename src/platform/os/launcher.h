// Opening an address or a file with the program the desktop associates with it, and
// starting the updater. Programs are always started directly with their arguments as
// separate entries, never through a shell, so no text that reaches here (a camera's model
// name, its firmware text) can ever be read as a command.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace talbex::os {

/// Starts `program` with `arguments`, each passed as one argument, and answers the child's
/// process id; -1 with the reason in `*error` when it could not be started. A `program`
/// without a '/' is looked up in PATH. The child inherits the environment.
pid_t StartProgram(const std::string& program, const std::vector<std::string>& arguments,
                   std::string* error);

/// Collects the child `pid` once it has ended, on a short-lived thread of its own, so a
/// program started and left to run never lingers as a zombie.
void ReapInBackground(pid_t pid);

/// Replaceable so tests can record what would be opened without starting anything.
class Launcher {
  public:
    virtual ~Launcher() = default;

    /// Opens `address` (a web address or a file) with its associated program on a thread of
    /// its own that ends once the opener has run; returns at once. The address is copied
    /// before this returns: the caller may change or drop its text right away.
    virtual void OpenInBackground(const std::string& address) = 0;

    /// Starts the executable file `path` with no arguments and does not wait for it. False
    /// when it could not be started.
    virtual bool Run(const std::string& path) = 0;
};

/// The desktop's launcher: `opener` (normally "xdg-open") receives the address as its one
/// argument.
class SystemLauncher : public Launcher {
  public:
    explicit SystemLauncher(std::string opener = "xdg-open");

    void OpenInBackground(const std::string& address) override;
    bool Run(const std::string& path) override;

  private:
    const std::string opener_;  // set at construction, only read afterwards
};

}  // namespace talbex::os
