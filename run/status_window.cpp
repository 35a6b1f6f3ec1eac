#include "run/status_window.h"

#include <X11/Xlib.h>

#include <iostream>

#include "run/fltk_status_window.h"

namespace sc {

HeadlessStatus::HeadlessStatus(std::ostream& out) : out_(out) {}

void HeadlessStatus::show(const std::string& label) { out_ << label << std::endl; }

void HeadlessStatus::message(const std::string& text) { out_ << text << std::endl; }

std::unique_ptr<StatusWindow> open_status_window() {
  // FLTK ends the process when it cannot open its display, so the display is
  // opened here first and handed over only once it answers.
  Display* d = XOpenDisplay(nullptr);
  if (d == nullptr) return std::make_unique<HeadlessStatus>(std::cerr);
  return std::make_unique<FltkStatusWindow>(d);
}

}  // namespace sc
