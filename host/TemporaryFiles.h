#pragma once

#include <string>

namespace host
{

// Temporary files that an interrupted command must not leave behind: a render
// stopped with Ctrl-C removes its half-written output before the process ends.
// For the command-line tool only; a plug-in never touches signal handling.
class TemporaryFiles
{
  public:
    // Catches SIGINT, SIGTERM and SIGHUP (unless they are ignored), removes the
    // watched files, then ends the process by the same signal.
    static void removeOnInterrupt();

    // Returns the slot to pass to forget, or -1 when every slot is taken (the
    // file is then simply not watched).
    static int watch(const std::string& path);
    static void forget(int slot);
};

} // namespace host
