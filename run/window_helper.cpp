#include "run/window_helper.h"

#include <chrono>
#include <cstring>
#include <ostream>

#include "cli/helpers.h"
#include "output/exit_statuses.h"
#include "output/terminal_text.h"
#include "run/status_protocol.h"

namespace sc {
namespace {

// How long the helper may take to open its display, or to map and paint
// the window (it gives up painting after 5 s).
constexpr std::chrono::seconds answer_limit{10};

std::string fallback(const std::string& path, const std::string& what) {
  return std::string(program_name) + ": the status window's helper program \"" +
         terminal_text(path) + "\" " + what + "; the status goes to standard error";
}

}  // namespace

HelperStatusWindow::HelperStatusWindow(std::unique_ptr<platform::ConnectedProgram> helper,
                                       std::string path, std::ostream& err)
    : helper_(std::move(helper)), path_(std::move(path)), err_(err), headless_(err) {}

bool HelperStatusWindow::ask(const char* word, const std::string& text, const char* answer,
                             bool wait_for_user) {
  if (!helper_) return false;
  std::optional<std::string> line;
  if (helper_->send(status_protocol::request(word, text)))
    line = helper_->receive_line(
        wait_for_user ? std::nullopt : std::optional(std::chrono::milliseconds(answer_limit)));
  if (line == answer) return true;
  err_ << fallback(path_, "stopped answering") << std::endl;
  helper_.reset();
  return false;
}

void HelperStatusWindow::show(const std::string& label) {
  if (!ask(status_protocol::show, label, status_protocol::shown, false)) headless_.show(label);
}

void HelperStatusWindow::message(const std::string& text) {
  if (!ask(status_protocol::message, text, status_protocol::closed, true)) headless_.message(text);
}

std::unique_ptr<StatusWindow> open_helper_status_window(std::ostream& err) {
  const HelperLookup helper = find_helper(run_helper_name, "the status window");
  if (helper.path.empty()) {
    err << program_name << ": " << terminal_text(helper.problem) << std::endl;
    return std::make_unique<HeadlessStatus>(err);
  }
  int error = 0;
  std::unique_ptr<platform::ConnectedProgram> program = platform::ConnectedProgram::start(
      helper.path, {std::string(program_name) + "-" + run_helper_name, status_protocol::serve_flag},
      error);
  if (!program) {
    err << fallback(helper.path, std::string("cannot be started: ") + std::strerror(error))
        << std::endl;
    return std::make_unique<HeadlessStatus>(err);
  }
  const std::optional<std::string> first = program->receive_line(answer_limit);
  if (first == status_protocol::ready)
    return std::make_unique<HelperStatusWindow>(std::move(program), helper.path, err);
  // No display that answers: as without a display, nothing to say.
  if (first != status_protocol::headless)
    err << fallback(helper.path, "did not start") << std::endl;
  return std::make_unique<HeadlessStatus>(err);
}

}  // namespace sc
