// scenario-compiler-lsp: the language server of `scenario-compiler lsp`, a
// program of its own so that the other commands never load the JSON code.
// It speaks the Language Server Protocol on standard input and output;
// its log goes to the editor as window/logMessage, never to standard
// output.
//
// Diagnostics are debounced: a change is compiled once no further message
// has arrived for 20 ms, always from the latest text, so changes that come
// in a burst are compiled once and no publication is older than the one
// before it.
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "cli/shared_inputs.h"
#include "lsp/message_reader.h"
#include "lsp/server.h"
#include "output/exit_statuses.h"
#include "output/terminal_text.h"

namespace {

constexpr int debounce_ms = 20;

constexpr const char* usage =
    "Usage: scenario-compiler lsp [--stdio]\n"
    "\n"
    "A language server for the line and train descriptions (Language Server Protocol\n"
    "on standard input and output), started by an editor: diagnostics as check gives\n"
    "them, on every change of either description of a scenario. See docs/editors.md.\n"
    "\n"
    "Options:\n"
    "  --stdio     standard input and output (the only channel; accepted for editors\n"
    "              that pass it)\n"
    "  --version   print the version and the compiled files' layouts\n"
    "\n"
    "Exit status: 0 after the editor's shutdown and exit; 1 an exit without shutdown,\n"
    "or standard input closed first; 2 usage error.";

bool write_all(const std::string& s) {
  size_t done = 0;
  while (done < s.size()) {
    const ssize_t n = ::write(1, s.data() + done, s.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// docs/format.md of the source tree the program was built from, when it is
// still there.
std::string format_doc() {
#ifdef SC_SOURCE_DIR
  const std::string p = std::string(SC_SOURCE_DIR) + "/docs/format.md";
  std::error_code ec;
  if (std::filesystem::is_regular_file(p, ec)) return p;
#endif
  return "";
}

}  // namespace

int main(int argc, char** argv) {
  const int first = argc > 1 && std::string(argv[1]) == "lsp" ? 2 : 1;
  for (int i = first; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::cout << usage << std::endl;
      return sc::status_ok;
    }
    if (a == "--version") {
      std::cout << sc::version_text() << std::endl;
      return sc::status_ok;
    }
    if (a != "--stdio") {
      std::cerr << sc::program_name << ": lsp: unknown argument \"" << sc::terminal_text(a)
                << "\"\n"
                << "Run with --help for more information." << std::endl;
      return sc::status_usage;
    }
  }
  ::signal(SIGPIPE, SIG_IGN);

  bool output_lost = false;
  sc::lsp::Server server(
      [&](const sc::lsp::json& m) {
        const std::string body = m.dump(-1, ' ', false, sc::lsp::json::error_handler_t::replace);
        if (!output_lost)
          output_lost =
              !write_all("Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
      },
      format_doc());
  sc::lsp::MessageReader reader;
  std::vector<char> buffer(64 * 1024);
  for (;;) {
    pollfd in{0, POLLIN, 0};
    const int ready = ::poll(&in, 1, server.compile_waiting() ? debounce_ms : -1);
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0) {
      server.compile_pending();
      continue;
    }
    const ssize_t n = ::read(0, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // standard input closed (or unreadable): no exit notification
    reader.feed(std::string_view(buffer.data(), static_cast<size_t>(n)));
    std::vector<std::string> bodies;
    sc::lsp::ReadEvent e;
    while (reader.next(e)) {
      if (e.kind == sc::lsp::ReadEvent::Kind::message) {
        bodies.push_back(std::move(e.text));
      } else {
        server.handle(bodies);
        bodies.clear();
        server.transport_error(e.text);
      }
    }
    server.handle(bodies);
    if (server.exited() || output_lost) break;
  }
  return server.exited() ? server.exit_status() : 1;
}
