// scenario-compiler-run: shows the embedded run's status window and error
// box (FLTK, X11) for scenario-compiler, which starts it and sends it what
// to show (status_protocol.h), so that the run itself loads no window
// library.
#include <iostream>
#include <memory>
#include <string>

#include "output/exit_statuses.h"
#include "run/fltk_status_window.h"
#include "run/status_protocol.h"

namespace {

namespace protocol = sc::status_protocol;

// One request: its word and its text; false at the end of the input.
bool read_request(std::string& word, std::string& text) {
  std::string line;
  if (!std::getline(std::cin, line)) return false;
  const size_t space = line.find(' ');
  if (space == std::string::npos) return false;
  word = line.substr(0, space);
  size_t length = 0;
  try {
    length = std::stoul(line.substr(space + 1));
  } catch (const std::exception&) {
    return false;
  }
  text.assign(length, '\0');
  return length == 0 ||
         static_cast<bool>(std::cin.read(text.data(), static_cast<std::streamsize>(length)));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 || std::string(argv[1]) != protocol::serve_flag) {
    std::cerr << sc::program_name << "-run shows the status window of " << sc::program_name
              << "'s embedded run and is started by it; run " << sc::program_name << " instead"
              << std::endl;
    return sc::status_usage;
  }
  std::unique_ptr<sc::StatusWindow> ui = sc::open_fltk_status_window();
  if (dynamic_cast<sc::FltkStatusWindow*>(ui.get()) == nullptr) {
    std::cout << protocol::headless << std::endl;
    return sc::status_ok;
  }
  std::cout << protocol::ready << std::endl;
  std::string word, text;
  while (read_request(word, text)) {
    if (word == protocol::show) {
      ui->show(text);
      std::cout << protocol::shown << std::endl;
    } else if (word == protocol::message) {
      ui->message(text);
      std::cout << protocol::closed << std::endl;
    } else {
      break;
    }
  }
  return sc::status_ok;
}
