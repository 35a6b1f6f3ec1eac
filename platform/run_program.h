// Starting another program.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace sc::platform {

// Replaces this process with the program at `path`, given `argv` (ended by
// a null pointer). Returns only on failure, with its errno.
int run_instead(const std::string& path, char** argv);

// True when `path` is a regular file this process may execute.
bool is_executable_file(const std::string& path);

// A program started beside this one with a two-way connection: its
// standard input and output are one end of a socket pair, this object holds
// the other. Its standard error is this program's.
class ConnectedProgram {
 public:
  // Starts `path` with `args` (args[0] is the name it is given). Nothing,
  // with `error` set to the errno, when it cannot be started.
  static std::unique_ptr<ConnectedProgram> start(const std::string& path,
                                                 const std::vector<std::string>& args, int& error);

  // Closes the connection and waits for the program to end; one that has
  // not ended 5 s later is killed.
  ~ConnectedProgram();
  ConnectedProgram(const ConnectedProgram&) = delete;
  ConnectedProgram& operator=(const ConnectedProgram&) = delete;

  // Sends `bytes`; false when the program has closed its end (it never
  // raises SIGPIPE).
  bool send(const std::string& bytes);

  // The next line the program sends, without its "\n"; nothing when it
  // closed its end first, on a fault, or when `timeout` passed first (no
  // timeout: waits as long as it takes).
  std::optional<std::string> receive_line(std::optional<std::chrono::milliseconds> timeout);

 private:
  ConnectedProgram(pid_t pid, int connection) : pid_(pid), connection_(connection) {}
  pid_t pid_;
  int connection_;
  std::string received_;  // read past the last line returned
};

}  // namespace sc::platform
