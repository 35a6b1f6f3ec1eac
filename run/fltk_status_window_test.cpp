// The status window and the message box on a real X server: the test starts
// its own Xvfb (a free display number, chosen by the server) so that nothing
// else covers the window; without Xvfb it uses the DISPLAY it was given.
#include <gtest/gtest.h>

#include "run/fltk_status_window.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Window.H>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "run/error_report.h"
#include "tests/support/xvfb.h"

namespace sc {
namespace {

class StatusWindowX : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (const char* d = ::getenv("DISPLAY")) old_display_ = d, had_display_ = true;
    if (test::ServerXvfb::installed()) {
      server_ = new test::ServerXvfb("640x480x24");
      display_ = server_->display();
      start_error_ = server_->errore();
    } else if (had_display_) {
      display_ = old_display_;
    } else {
      jump_reason_ =
          std::string(test::ServerXvfb::program) + " is not installed and DISPLAY is not set";
    }
    if (!display_.empty()) ::setenv("DISPLAY", display_.c_str(), 1);
  }

  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
    had_display_ ? ::setenv("DISPLAY", old_display_.c_str(), 1) : ::unsetenv("DISPLAY");
  }

  void SetUp() override {
    if (!jump_reason_.empty()) GTEST_SKIP() << jump_reason_;
    ASSERT_FALSE(display_.empty()) << start_error_;
  }

  static inline std::string display_;
  static inline std::string old_display_;
  static inline bool had_display_ = false;
  static inline std::string jump_reason_;
  static inline std::string start_error_;
  static inline test::ServerXvfb* server_ = nullptr;
};

TEST_F(StatusWindowX, ShowsAttendereInBold24PointAndPaintsItOnce) {
  std::unique_ptr<StatusWindow> ui = open_fltk_status_window();
  auto* w = dynamic_cast<FltkStatusWindow*>(ui.get());
  ASSERT_NE(w, nullptr) << "no window on " << display_;
  w->show(expected_label);
  ASSERT_TRUE(w->painted());

  const Fl_Box& l = w->label();
  EXPECT_STREQ(l.label(), "Attendere");
  EXPECT_EQ(l.labelfont(), FL_HELVETICA_BOLD);
  EXPECT_EQ(l.labelsize(), 32);  // 24 pt at 96 dpi
  EXPECT_EQ(l.x(), 64);
  EXPECT_EQ(l.y(), 64);
  EXPECT_EQ(l.w(), 177);
  EXPECT_EQ(l.h(), 53);
  ASSERT_NE(w->window().label(), nullptr);
  EXPECT_EQ(std::strlen(w->window().label()), 1u);

  // What another client of the server sees.
  Display* x = XOpenDisplay(display_.c_str());
  ASSERT_NE(x, nullptr);
  XWindowAttributes a{};
  ASSERT_NE(XGetWindowAttributes(x, w->xid(), &a), 0);
  EXPECT_EQ(a.width, 280);
  EXPECT_EQ(a.height, 179);
  EXPECT_EQ(a.map_state, IsViewable);

  XImage* img = XGetImage(x, w->xid(), 0, 0, 280, 179, AllPlanes, ZPixmap);
  ASSERT_NE(img, nullptr);
  const unsigned long sfondo = XGetPixel(img, 2, 2);
  int n = 0, x0 = 280, y0 = 179, x1 = -1, y1 = -1;
  for (int y = 0; y < 179; ++y) {
    for (int xx = 0; xx < 280; ++xx) {
      if (XGetPixel(img, xx, y) == sfondo) continue;
      ++n;
      x0 = std::min(x0, xx), y0 = std::min(y0, y), x1 = std::max(x1, xx), y1 = std::max(y1, y);
    }
  }
  XDestroyImage(img);
  XCloseDisplay(x);
  // Ink only where the label stands, as much as a word of large text holds.
  EXPECT_GT(n, 400);
  EXPECT_GE(x0, 64);
  EXPECT_GE(y0, 64);
  EXPECT_LT(x0, 64 + 10);
  EXPECT_LE(y1, 64 + 53);
  EXPECT_GT(x1, 64 + 120);  // nine letters of a 32 px face
  // The tallest letters ("A", "t", "d") of a 32 px face are over 20 px high.
  EXPECT_GE(y1 - y0 + 1, 20);
  EXPECT_LE(y1 - y0 + 1, 32);
}

struct Seen {
  bool modal = false;
  std::string title;
  std::string text;
  int buttons = 0;
  std::string button;
};

// Called from the message box's wait: notes what the modal window holds and
// presses its button.
void watch_and_press(void* dati) {
  auto* v = static_cast<Seen*>(dati);
  Fl_Window* m = Fl::modal();
  if (m == nullptr || !m->visible()) return Fl::repeat_timeout(0.05, watch_and_press, dati);
  v->modal = true;
  v->title = m->label() ? m->label() : "";
  Fl_Button* ok = nullptr;
  for (int i = 0; i < m->children(); ++i) {
    Fl_Widget* c = m->child(i);
    if (auto* b = dynamic_cast<Fl_Button*>(c)) {
      ++v->buttons;
      v->button = b->label() ? b->label() : "";
      ok = b;
    } else if (c->label()) {
      v->text = c->label();
    }
  }
  if (ok) ok->do_callback();
}

void close_all(void*) {
  while (Fl_Window* w = Fl::first_window()) w->hide();
}

TEST_F(StatusWindowX, ErrorReportIsAModalBoxWithOneOkButton) {
  std::unique_ptr<StatusWindow> ui = open_fltk_status_window();
  ASSERT_NE(dynamic_cast<FltkStatusWindow*>(ui.get()), nullptr);
  ui->show(expected_label);
  Seen v;
  Fl::add_timeout(0.05, watch_and_press, &v);
  Fl::add_timeout(10.0, close_all);  // never hang the test run
  EXPECT_EQ(errore("1250", *ui), 3);
  Fl::remove_timeout(watch_and_press, &v);
  Fl::remove_timeout(close_all);
  EXPECT_TRUE(v.modal);
  EXPECT_EQ(v.title, "Scenario compiler");
  EXPECT_EQ(v.text, " Errore n. 1250");
  EXPECT_EQ(v.buttons, 1);
  EXPECT_EQ(v.button, "OK");
}

}  // namespace
}  // namespace sc
