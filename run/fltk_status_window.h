// The status window and the message box drawn with FLTK.
#pragma once

#include <memory>
#include <string>

#include "run/status_window.h"

class Fl_Box;
class Fl_Window;
struct _XDisplay;  // Xlib's Display, kept out of this header (its macros clash)

namespace sc {

// Geometry of the status window in pixels (at 96 dpi, 15 twips a pixel).
inline constexpr int window_width = 280;
inline constexpr int window_height = 179;
inline constexpr int label_x = 64;
inline constexpr int label_y = 64;
inline constexpr int label_width = 177;
inline constexpr int label_height = 53;
// The label font is sans-serif, 24 pt, bold. FLTK font sizes are pixel
// heights (the X server's fonts are asked for a pixel size), so 24 pt at the
// window's 96 dpi is 24 * 96 / 72 = 32 px.
inline constexpr int label_pixel = 24 * 96 / 72;

class FltkStatusWindow : public StatusWindow {
 public:
  // Takes over `display`, an open connection to the X server (closed again
  // when FLTK already has one).
  explicit FltkStatusWindow(_XDisplay* display);
  ~FltkStatusWindow() override;
  FltkStatusWindow(const FltkStatusWindow&) = delete;
  FltkStatusWindow& operator=(const FltkStatusWindow&) = delete;

  void show(const std::string& label) override;
  void message(const std::string& text) override;

  // For tests: the window, its label and whether it has been painted.
  const Fl_Window& window() const;
  const Fl_Box& label() const;
  bool painted() const;
  // The X window id once shown (0 before).
  unsigned long xid() const;

 private:
  class Window;
  std::unique_ptr<Window> window_;
  Fl_Box* label_ = nullptr;  // owned by the window
};

// In this process: the FLTK window when a display can be opened, the
// headless form on standard error otherwise. The helper program that shows
// the run's window uses it.
std::unique_ptr<StatusWindow> open_fltk_status_window();

}  // namespace sc
