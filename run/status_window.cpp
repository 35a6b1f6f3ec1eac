#include "run/status_window.h"

#include <cstdlib>
#include <iostream>

#include "run/window_helper.h"

namespace sc {

HeadlessStatus::HeadlessStatus(std::ostream& out) : out_(out) {}

void HeadlessStatus::show(const std::string& label) { out_ << label << std::endl; }

void HeadlessStatus::message(const std::string& text) { out_ << text << std::endl; }

std::unique_ptr<StatusWindow> open_status_window() {
  // Without DISPLAY no display can be opened: no helper is started.
  const char* display = std::getenv("DISPLAY");
  if (display == nullptr || *display == '\0') return std::make_unique<HeadlessStatus>(std::cerr);
  return open_helper_status_window(std::cerr);
}

}  // namespace sc
