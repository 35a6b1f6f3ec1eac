// The status window and error box shown by the helper program
// scenario-compiler-run (status_protocol.h), so that the run itself loads
// no window library.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>

#include "platform/run_program.h"
#include "run/status_window.h"

namespace sc {

class HelperStatusWindow : public StatusWindow {
 public:
  // `helper` has answered "ready"; `path` names it in the notice.
  HelperStatusWindow(std::unique_ptr<platform::ConnectedProgram> helper, std::string path,
                     std::ostream& err);

  // Each waits for the helper's answer. A helper that fails is noted once
  // in one line on `err`, and from then on statuses and messages are shown
  // in the headless form.
  void show(const std::string& label) override;
  void message(const std::string& text) override;

 private:
  bool ask(const char* word, const std::string& text, const char* answer, bool wait_for_user);

  std::unique_ptr<platform::ConnectedProgram> helper_;
  std::string path_;
  std::ostream& err_;
  HeadlessStatus headless_;
};

// Starts the helper and waits for it to say whether it has a display: the
// helper's window, or the headless form on `err` when the display cannot be
// opened. A helper that is missing, cannot be started or does not answer is
// said in one line on `err`, and the headless form follows.
std::unique_ptr<StatusWindow> open_helper_status_window(std::ostream& err);

}  // namespace sc
