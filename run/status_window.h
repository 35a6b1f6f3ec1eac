// What the program shows the user: the status window with its one label,
// and the modal message box of the error report. The run sequence talks to
// this interface only; the compiler never sees it.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>

namespace sc {

inline constexpr const char* expected_label = "Attendere";
// The status window's caption: one letter, no meaning.
inline constexpr const char* window_title = "S";
// The application's title, the caption of the message box.
inline constexpr const char* app_title = "Scenario compiler";

class StatusWindow {
 public:
  virtual ~StatusWindow() = default;
  // Shows the status `label` and paints it once; returns at once. The
  // status is never updated afterwards.
  virtual void show(const std::string& label) = 0;
  // Shows `text` in a modal message box with one OK button and returns when
  // the user has closed it.
  virtual void message(const std::string& text) = 0;
};

// Without a display: each status and each message is one line on `out`
// (standard error in the program).
class HeadlessStatus : public StatusWindow {
 public:
  explicit HeadlessStatus(std::ostream& out);
  void show(const std::string& label) override;
  void message(const std::string& text) override;

 private:
  std::ostream& out_;
};

// The real window when a display can be opened (DISPLAY names a server that
// answers), shown by the helper program scenario-compiler-run
// (window_helper.h); the headless form on standard error otherwise, or when
// the helper cannot be used (said in one line there first).
std::unique_ptr<StatusWindow> open_status_window();

}  // namespace sc
