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
inline constexpr int finestra_larghezza = 280;
inline constexpr int finestra_altezza = 179;
inline constexpr int etichetta_x = 64;
inline constexpr int etichetta_y = 64;
inline constexpr int etichetta_larghezza = 177;
inline constexpr int etichetta_altezza = 53;
// The label font is sans-serif, 24 pt, bold. FLTK font sizes are pixel
// heights (the X server's fonts are asked for a pixel size), so 24 pt at the
// window's 96 dpi is 24 * 96 / 72 = 32 px.
inline constexpr int etichetta_pixel = 24 * 96 / 72;

class FltkStatusWindow : public StatusWindow {
 public:
  // Takes over `display`, an open connection to the X server (closed again
  // when FLTK already has one).
  explicit FltkStatusWindow(_XDisplay* display);
  ~FltkStatusWindow() override;
  FltkStatusWindow(const FltkStatusWindow&) = delete;
  FltkStatusWindow& operator=(const FltkStatusWindow&) = delete;

  void mostra(const std::string& etichetta) override;
  void messaggio(const std::string& testo) override;

  // For tests: the window, its label and whether it has been painted.
  const Fl_Window& finestra() const;
  const Fl_Box& etichetta() const;
  bool dipinta() const;
  // The X window id once shown (0 before).
  unsigned long xid() const;

 private:
  class Finestra;
  std::unique_ptr<Finestra> window_;
  Fl_Box* label_ = nullptr;  // owned by the window
};

}  // namespace sc
