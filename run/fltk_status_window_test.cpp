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

#include "run/errore.h"
#include "tests/support/xvfb.h"

namespace sc {
namespace {

class StatusWindowX : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (const char* d = ::getenv("DISPLAY")) vecchio_display_ = d, aveva_display_ = true;
    if (test::ServerXvfb::installato()) {
      server_ = new test::ServerXvfb("640x480x24");
      display_ = server_->display();
      errore_avvio_ = server_->errore();
    } else if (aveva_display_) {
      display_ = vecchio_display_;
    } else {
      motivo_salto_ = std::string(test::ServerXvfb::programma) + " is not installed and DISPLAY is not set";
    }
    if (!display_.empty()) ::setenv("DISPLAY", display_.c_str(), 1);
  }

  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
    aveva_display_ ? ::setenv("DISPLAY", vecchio_display_.c_str(), 1) : ::unsetenv("DISPLAY");
  }

  void SetUp() override {
    if (!motivo_salto_.empty()) GTEST_SKIP() << motivo_salto_;
    ASSERT_FALSE(display_.empty()) << errore_avvio_;
  }

  static inline std::string display_;
  static inline std::string vecchio_display_;
  static inline bool aveva_display_ = false;
  static inline std::string motivo_salto_;
  static inline std::string errore_avvio_;
  static inline test::ServerXvfb* server_ = nullptr;
};

TEST_F(StatusWindowX, ShowsAttendereInBold24PointAndPaintsItOnce) {
  std::unique_ptr<StatusWindow> ui = apri_status_window();
  auto* w = dynamic_cast<FltkStatusWindow*>(ui.get());
  ASSERT_NE(w, nullptr) << "no window on " << display_;
  w->mostra(etichetta_attesa);
  ASSERT_TRUE(w->dipinta());

  const Fl_Box& l = w->etichetta();
  EXPECT_STREQ(l.label(), "Attendere");
  EXPECT_EQ(l.labelfont(), FL_HELVETICA_BOLD);
  EXPECT_EQ(l.labelsize(), 32);  // 24 pt at 96 dpi
  EXPECT_EQ(l.x(), 64);
  EXPECT_EQ(l.y(), 64);
  EXPECT_EQ(l.w(), 177);
  EXPECT_EQ(l.h(), 53);
  ASSERT_NE(w->finestra().label(), nullptr);
  EXPECT_EQ(std::strlen(w->finestra().label()), 1u);

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

struct Visto {
  bool modale = false;
  std::string titolo;
  std::string testo;
  int bottoni = 0;
  std::string bottone;
};

// Called from the message box's wait: notes what the modal window holds and
// presses its button.
void guarda_e_premi(void* dati) {
  auto* v = static_cast<Visto*>(dati);
  Fl_Window* m = Fl::modal();
  if (m == nullptr || !m->visible()) return Fl::repeat_timeout(0.05, guarda_e_premi, dati);
  v->modale = true;
  v->titolo = m->label() ? m->label() : "";
  Fl_Button* ok = nullptr;
  for (int i = 0; i < m->children(); ++i) {
    Fl_Widget* c = m->child(i);
    if (auto* b = dynamic_cast<Fl_Button*>(c)) {
      ++v->bottoni;
      v->bottone = b->label() ? b->label() : "";
      ok = b;
    } else if (c->label()) {
      v->testo = c->label();
    }
  }
  if (ok) ok->do_callback();
}

void chiudi_tutto(void*) {
  while (Fl_Window* w = Fl::first_window()) w->hide();
}

TEST_F(StatusWindowX, ErrorReportIsAModalBoxWithOneOkButton) {
  std::unique_ptr<StatusWindow> ui = apri_status_window();
  ASSERT_NE(dynamic_cast<FltkStatusWindow*>(ui.get()), nullptr);
  ui->mostra(etichetta_attesa);
  Visto v;
  Fl::add_timeout(0.05, guarda_e_premi, &v);
  Fl::add_timeout(10.0, chiudi_tutto);  // never hang the test run
  EXPECT_EQ(errore("1250", *ui), 3);
  Fl::remove_timeout(guarda_e_premi, &v);
  Fl::remove_timeout(chiudi_tutto);
  EXPECT_TRUE(v.modale);
  EXPECT_EQ(v.titolo, "Scenario compiler");
  EXPECT_EQ(v.testo, " Errore n. 1250");
  EXPECT_EQ(v.bottoni, 1);
  EXPECT_EQ(v.bottone, "OK");
}

}  // namespace
}  // namespace sc
