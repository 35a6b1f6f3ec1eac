#include "run/fltk_status_window.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <chrono>
#include <iostream>

namespace sc {

// A window that notes when it has been drawn.
class FltkStatusWindow::Window : public Fl_Window {
 public:
  Window(int w, int h, const char* title) : Fl_Window(w, h, title) {}
  void draw() override {
    Fl_Window::draw();
    painted_ = true;
  }
  bool painted() const { return painted_; }

 private:
  bool painted_ = false;
};

namespace {

// How long to wait for the window system to map and expose a new window.
constexpr auto max_wait = std::chrono::seconds(5);

}  // namespace

FltkStatusWindow::FltkStatusWindow(_XDisplay* display) {
  // FLTK keeps one connection for the life of the process (its fonts are
  // bound to it): a second window reuses it.
  if (fl_display == nullptr) {
    fl_open_display(display);
  } else if (display != fl_display) {
    XCloseDisplay(display);
  }
  window_ = std::make_unique<Window>(window_width, window_height, window_title);
  label_ = new Fl_Box(label_x, label_y, label_width, label_height);
  label_->box(FL_NO_BOX);
  label_->labelfont(FL_HELVETICA_BOLD);  // FLTK's sans-serif face
  label_->labelsize(label_pixel);
  label_->align(FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE);
  window_->end();
}

FltkStatusWindow::~FltkStatusWindow() {
  window_.reset();  // destroys the window and its label
  if (fl_display != nullptr) XSync(fl_display, False);
}

void FltkStatusWindow::show(const std::string& label) {
  label_->copy_label(label.c_str());
  window_->show();
  // Handle only what it takes to map and paint the window once; after this
  // no event is processed and the window stays as painted.
  const auto limit = std::chrono::steady_clock::now() + max_wait;
  while (!window_->painted() && std::chrono::steady_clock::now() < limit) Fl::wait(0.05);
  Fl::flush();
  XSync(fl_display, False);
}

void FltkStatusWindow::message(const std::string& text) {
  fl_font(FL_HELVETICA, FL_NORMAL_SIZE);
  const int text_w = static_cast<int>(fl_width(text.c_str())) + 40;
  const int w = text_w > 240 ? text_w : 240;
  Fl_Window box(w, 110, app_title);
  Fl_Box* box_text = new Fl_Box(20, 15, w - 40, 40);
  box_text->copy_label(text.c_str());
  box_text->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
  Fl_Return_Button* ok = new Fl_Return_Button((w - 80) / 2, 65, 80, 30, "OK");
  ok->callback([](Fl_Widget* b, void*) { b->window()->hide(); });
  box.end();
  box.set_modal();
  box.show();
  while (box.shown()) Fl::wait();
}

const Fl_Window& FltkStatusWindow::window() const { return *window_; }
const Fl_Box& FltkStatusWindow::label() const { return *label_; }
bool FltkStatusWindow::painted() const { return window_->painted(); }
unsigned long FltkStatusWindow::xid() const { return window_->shown() ? fl_xid(window_.get()) : 0; }

std::unique_ptr<StatusWindow> open_fltk_status_window() {
  // FLTK ends the process when it cannot open its display, so the display is
  // opened here first and handed over only once it answers.
  Display* d = XOpenDisplay(nullptr);
  if (d == nullptr) return std::make_unique<HeadlessStatus>(std::cerr);
  return std::make_unique<FltkStatusWindow>(d);
}

}  // namespace sc

// FLTK's text drawing keeps a few fontconfig patterns for the life of the
// process, allocated inside fontconfig where LeakSanitizer cannot see the
// pointers that hold them. Used only by sanitizer builds.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
