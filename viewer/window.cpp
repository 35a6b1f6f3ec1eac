#include "viewer/window.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Browser.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Input.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "format/compiled_decode.h"
#include "format/positions.h"
#include "output/terminal_text.h"
#include "platform/folder_lock.h"
#include "plot/palette.h"
#include "viewer/view_geometry.h"
#include "watch/watcher.h"

namespace sc::view {

namespace {

constexpr int window_width = 1200, window_height = 820;
constexpr int bar = 34;           // the row of controls on top
constexpr int plan_top = 300;     // plan view height
constexpr int profile_top = 330;  // profile height
constexpr int info_width = 470;   // the cell pane beside the plan view

// A colour of the palette, which the plot draws in too.
Fl_Color to_fl_color(const palette::Color& c) {
  return fl_rgb_color(palette::byte_of(c.r), palette::byte_of(c.g), palette::byte_of(c.b));
}

const Fl_Color track_color = to_fl_color(palette::track);
const Fl_Color window_color = fl_rgb_color(220, 30, 30);
const Fl_Color velocita_color = to_fl_color(palette::velocita);
const Fl_Color pendenza_color = to_fl_color(palette::pendenza);
const Fl_Color galleria_color = fl_rgb_color(215, 215, 220);
const Fl_Color stazione_color = to_fl_color(palette::stazione);
const Fl_Color segnale_color = to_fl_color(palette::segnale);
const Fl_Color rallentamento_color = to_fl_color(palette::rallentamento);
const Fl_Color code_color = to_fl_color(palette::codice);
const Fl_Color cartello_color = to_fl_color(palette::cartello);
const Fl_Color picked_color = fl_rgb_color(255, 170, 0);
const Fl_Color fault_color = fl_rgb_color(200, 0, 0);
const Fl_Color warning_color = fl_rgb_color(176, 96, 0);
const Fl_Color note_color = fl_rgb_color(90, 90, 100);

Fl_Color color_of(Severity g) {
  switch (g) {
    case Severity::errore: return fault_color;
    case Severity::avviso: return warning_color;
    case Severity::note: return note_color;
  }
  return fault_color;
}

// The state shared by the widgets.
struct ViewState {
  Source source;
  WindowOptions options;
  Loading dati;
  Window window;
  std::optional<size_t> choice;  // the cell picked
  double fine() const { return static_cast<double>(dati.scenario.celle.size()) * 50; }
};

// A double from the track plan at row `i` (metres), if both values are set.
bool plan_point(const CompactPlan& t, size_t i, double& x, double& y) {
  if (!t.present() || i >= static_cast<size_t>(t.rows())) return false;
  const CompactPlan::Row r = t.row(i);
  const Numero nx = r.x, ny = r.y;
  if (nx.tag == Numero::Tag::empty || ny.tag == Numero::Tag::empty) return false;
  x = nx.valore;
  y = ny.valore;
  return std::isfinite(x) && std::isfinite(y);
}

// The plan view: the whole track at one scale on both axes, the stretch
// shown by the profile drawn over it in red. A click centres the profile on
// the nearest point of the track.
class PlanView : public Fl_Widget {
 public:
  PlanView(int x, int y, int w, int h, ViewState& s, std::function<void()> changed)
      : Fl_Widget(x, y, w, h), s_(s), changed_(std::move(changed)) {}

  void draw() override {
    fl_push_clip(x(), y(), w(), h());
    fl_color(FL_WHITE);
    fl_rectf(x(), y(), w(), h());
    fl_color(FL_GRAY);
    fl_rect(x(), y(), w(), h());
    measure();
    const CompactPlan& t = s_.dati.scenario.tracciato;
    if (!ok_) {
      fl_color(FL_DARK3);
      fl_font(FL_HELVETICA, 14);
      fl_draw(t.present() ? "no track plan points" : "no track plan", x() + 10, y() + 24);
      fl_pop_clip();
      return;
    }
    const size_t n = static_cast<size_t>(t.rows());
    const size_t step = std::max<size_t>(1, n / 4000);
    linea(0, n, step, track_color, 2);
    const size_t from = static_cast<size_t>(std::max(0.0, s_.window.from));
    const size_t a = std::min(n, static_cast<size_t>(std::max(0.0, s_.window.a)) + 1);
    linea(from, a, std::max<size_t>(1, (a - from) / 2000), window_color, 5);
    // Kilometre marks every 10 km (every km on short lines).
    const size_t every = n > 30000 ? 10000 : 1000;
    fl_font(FL_HELVETICA, 11);
    for (size_t m = 0; m < n; m += every) {
      double px, py;
      if (!plan_point(t, m, px, py)) continue;
      const int sx = X(px), sy = Y(py);
      fl_color(FL_BLACK);
      fl_rectf(sx - 2, sy - 2, 5, 5);
      fl_color(FL_DARK3);
      fl_draw(std::to_string(m / 1000).c_str(), sx + 4, sy - 4);
    }
    fl_pop_clip();
  }

  int handle(int e) override {
    if (e == FL_PUSH && ok_) {
      const CompactPlan& t = s_.dati.scenario.tracciato;
      double best = 1e300;
      size_t line = 0;
      const size_t n = static_cast<size_t>(t.rows());
      for (size_t i = 0; i < n; i += 10) {
        double px, py;
        if (!plan_point(t, i, px, py)) continue;
        const double dx = X(px) - Fl::event_x(), dy = Y(py) - Fl::event_y();
        if (dx * dx + dy * dy < best) best = dx * dx + dy * dy, line = i;
      }
      s_.window.center(static_cast<double>(line), s_.fine());
      changed_();
      return 1;
    }
    return Fl_Widget::handle(e);
  }

 private:
  void measure() {
    const CompactPlan& t = s_.dati.scenario.tracciato;
    ok_ = false;
    bool first = true;
    const size_t n = t.present() ? static_cast<size_t>(t.rows()) : 0;
    for (size_t i = 0; i < n; i += std::max<size_t>(1, n / 20000)) {
      double px, py;
      if (!plan_point(t, i, px, py)) continue;
      if (first) xmin_ = xmax_ = px, ymin_ = ymax_ = py, first = false;
      xmin_ = std::min(xmin_, px), xmax_ = std::max(xmax_, px);
      ymin_ = std::min(ymin_, py), ymax_ = std::max(ymax_, py);
    }
    if (first) return;
    const double margin = 16;
    const double sx = (w() - 2 * margin) / std::max(xmax_ - xmin_, 1.0);
    const double sy = (h() - 2 * margin) / std::max(ymax_ - ymin_, 1.0);
    scale_ = std::min(sx, sy);  // one scale on both axes
    ox_ = x() + w() / 2.0 - (xmin_ + xmax_) / 2 * scale_;
    oy_ = y() + h() / 2.0 + (ymin_ + ymax_) / 2 * scale_;
    ok_ = true;
  }
  int X(double px) const { return static_cast<int>(std::nearbyint(ox_ + px * scale_)); }
  int Y(double py) const { return static_cast<int>(std::nearbyint(oy_ - py * scale_)); }

  void linea(size_t from, size_t a, size_t step, Fl_Color c, int thickness) {
    const CompactPlan& t = s_.dati.scenario.tracciato;
    fl_color(c);
    fl_line_style(FL_SOLID | FL_CAP_ROUND | FL_JOIN_ROUND, thickness);
    bool open = false;
    for (size_t i = from; i < a; i += step) {
      double px, py;
      if (!plan_point(t, i, px, py)) {
        if (open) fl_end_line(), open = false;
        continue;
      }
      if (!open) fl_begin_line(), open = true;
      fl_vertex(X(px), Y(py));
    }
    if (open) fl_end_line();
    fl_line_style(0);
  }

  ViewState& s_;
  std::function<void()> changed_;
  bool ok_ = false;
  double xmin_ = 0, xmax_ = 0, ymin_ = 0, ymax_ = 0, scale_ = 1, ox_ = 0, oy_ = 0;
};

// The profile along the metres of the window: speed above, gradient below,
// tunnels and stations as bands, signals, restrictions, cab codes and
// boards as marks. Wheel or +/- zoom, drag or arrows pan, a click picks a
// cell.
class ProfileView : public Fl_Widget {
 public:
  ProfileView(int x, int y, int w, int h, ViewState& s, std::function<void()> changed,
              std::function<void(size_t)> choose)
      : Fl_Widget(x, y, w, h), s_(s), changed_(std::move(changed)), choose_(std::move(choose)) {}

  void draw() override {
    fl_push_clip(x(), y(), w(), h());
    fl_color(FL_WHITE);
    fl_rectf(x(), y(), w(), h());
    fl_color(FL_GRAY);
    fl_rect(x(), y(), w(), h());
    const auto& celle = s_.dati.scenario.celle;
    if (celle.empty()) {
      fl_color(FL_DARK3);
      fl_font(FL_HELVETICA, 14);
      fl_draw("no cells: the compile stopped before the line length was read", x() + 10, y() + 24);
      fl_pop_clip();
      return;
    }
    const int gx0 = x() + 50, gx1 = x() + w() - 10;
    const int v0 = y() + 28, v1 = y() + h() * 55 / 100;
    const int m0 = v1 + 4, m1 = m0 + 4 * 14;
    const int p0 = m1 + 4, p1 = y() + h() - 22;
    const auto X = [&](double m) {
      return gx0 + static_cast<int>(
                       std::nearbyint((m - s_.window.from) / s_.window.span() * (gx1 - gx0)));
    };
    const size_t c0 = static_cast<size_t>(std::max(0.0, std::floor(s_.window.from / 50)));
    const size_t c1 = std::min(celle.size(), static_cast<size_t>(std::ceil(s_.window.a / 50)) + 1);
    // Bands: tunnels, stations.
    for (const Stretch& t :
         clip(stretches(celle, sc::Profile::galleria), static_cast<int64_t>(s_.window.from),
              static_cast<int64_t>(s_.window.a) + 1)) {
      fl_color(galleria_color);
      fl_rectf(X(static_cast<double>(t.from)), v0,
               std::max(1, X(static_cast<double>(t.a)) - X(static_cast<double>(t.from))), p1 - v0);
    }
    const auto& el = s_.dati.scenario.elementi;
    const ElementRoles roles = element_roles(el);
    fl_font(FL_HELVETICA_BOLD, 11);
    for (int k = 1; k <= roles.stazioni; ++k) {
      const Elemento& e = el[static_cast<size_t>(k)];
      if (e.fine < s_.window.from || e.inizio > s_.window.a) continue;
      const int a = X(e.inizio), b = X(e.fine);
      fl_color(fl_color_average(stazione_color, FL_WHITE, 0.25f));
      fl_rectf(a, v0, std::max(2, b - a), p1 - v0);
      fl_color(stazione_color);
      fl_draw(utf8_from_1252(e.nome).c_str(), std::max(a, x() + 2), y() + 14);
    }
    // Speed and gradient, scaled to the largest values of the line.
    // The last three cells are never filled: left out of the scales.
    int vmax = 50, gmax = 5;
    for (size_t i = 0; i + 3 < celle.size(); ++i) {
      vmax = std::max(vmax, celle[i].velocita * 5 * 11 / 10);
      gmax = std::max(gmax, std::abs(celle[i].pendenza - 100) * 11 / 10 + 1);
    }
    grid_and_axes(gx0, gx1, v0, v1, p0, p1, vmax, gmax, X);
    fl_push_clip(gx0, y(), gx1 - gx0, h());
    // The cell picked, under the lines, marks and labels drawn over it.
    if (s_.choice && *s_.choice < celle.size()) {
      const double m = static_cast<double>(*s_.choice) * 50;
      fl_color(picked_color);
      fl_rectf(X(m), v0, std::max(2, X(m + 50) - X(m)), p1 - v0);
    }
    const auto V = [&](int kmh) { return v1 - std::clamp(kmh, 0, vmax) * (v1 - v0) / vmax; };
    const auto G = [&](int g) {
      return (p0 + p1) / 2 - std::clamp(g, -gmax, gmax) * (p1 - p0) / (2 * gmax);
    };
    fl_line_style(FL_SOLID, 2);
    fl_color(velocita_color);
    fl_begin_line();
    for (size_t i = c0; i < c1; ++i) {
      const double m = static_cast<double>(i) * 50;
      fl_vertex(X(m), V(celle[i].velocita * 5));
      fl_vertex(X(m + 50), V(celle[i].velocita * 5));
    }
    fl_end_line();
    fl_color(pendenza_color);
    fl_begin_line();
    for (size_t i = c0; i < c1; ++i) {
      const double m = static_cast<double>(i) * 50;
      fl_vertex(X(m), G(celle[i].pendenza - 100));
      fl_vertex(X(m + 50), G(celle[i].pendenza - 100));
    }
    fl_end_line();
    fl_line_style(0);
    // Marks: signals, restrictions, cab codes, boards, one row each.
    for (size_t i = c0; i < c1; ++i) {
      const Cella& c = celle[i];
      int line = -1;
      Fl_Color with = FL_BLACK;
      switch (c.tipo) {
        case tipo_cella::segnale: line = 0, with = segnale_color; break;
        case tipo_cella::fine_rallentamento:
        case tipo_cella::inizio_rallentamento:
        case tipo_cella::avviso_rallentamento:
        case tipo_cella::approccio_rallentamento: line = 1, with = rallentamento_color; break;
        case tipo_cella::codice:
        case tipo_cella::codice_senza_velocita: line = 2, with = code_color; break;
        case tipo_cella::indicatori_v_max:
        case tipo_cella::cartello_indicatore: line = 3, with = cartello_color; break;
        default: break;
      }
      if (line < 0) continue;
      const int mx = X(static_cast<double>(description_metres(c, i)) + 25);
      const int my = m0 + line * 14;
      fl_color(with);
      fl_rectf(mx - 3, my + 2, 7, 10);
    }
    draw_cartelli_labels(c0, c1, m0 + 3 * 14, gx1, X);
    // The positions of the faults and warnings.
    for (const PanelEntry& v : s_.dati.panel) {
      if (!v.posizione || v.severity == Severity::note) continue;
      const double m = *v.posizione;
      if (m < s_.window.from || m > s_.window.a) continue;
      fl_color(color_of(v.severity));
      fl_line_style(FL_DASH, 2);
      fl_line(X(m), v0, X(m), p1);
      fl_line_style(0);
    }
    fl_pop_clip();
    fl_color(FL_DARK3);
    fl_font(FL_HELVETICA, 11);
    fl_draw("km/h", x() + 4, v0 + 10);
    fl_draw("\u2030", x() + 4, (p0 + p1) / 2);
    fl_draw("signals", x() + 2, m0 + 11);
    fl_draw("restr.", x() + 2, m0 + 25);
    fl_draw("codes", x() + 2, m0 + 39);
    fl_draw("boards", x() + 2, m0 + 53);
    fl_pop_clip();
  }

  int handle(int e) override {
    const double fine = s_.fine();
    const auto metre = [&](int px) {
      const int gx0 = x() + 50, gx1 = x() + w() - 10;
      return s_.window.from +
             static_cast<double>(px - gx0) / std::max(1, gx1 - gx0) * s_.window.span();
    };
    switch (e) {
      case FL_FOCUS:
      case FL_UNFOCUS: return 1;
      case FL_ENTER: return 1;
      case FL_MOUSEWHEEL:
        s_.window.zoom(Fl::event_dy() > 0 ? 1.25 : 0.8, metre(Fl::event_x()), fine);
        changed_();
        return 1;
      case FL_PUSH:
        take_focus();
        pressed_x_ = Fl::event_x();
        dragged_ = false;
        return 1;
      case FL_DRAG: {
        const int dx = Fl::event_x() - pressed_x_;
        if (std::abs(dx) > 2) dragged_ = true;
        if (dragged_) {
          s_.window.move(metre(pressed_x_) - metre(Fl::event_x()), fine);
          pressed_x_ = Fl::event_x();
          changed_();
        }
        return 1;
      }
      case FL_RELEASE:
        if (!dragged_) {
          const double m = metre(Fl::event_x());
          if (m >= 0 && m < fine) choose_(static_cast<size_t>(m / 50));
        }
        return 1;
      case FL_KEYBOARD: {
        const int k = Fl::event_key();
        const double centre = (s_.window.from + s_.window.a) / 2;
        if (k == '+' || k == '=' || k == FL_KP + '+')
          s_.window.zoom(0.8, centre, fine);
        else if (k == '-' || k == FL_KP + '-')
          s_.window.zoom(1.25, centre, fine);
        else if (k == FL_Left)
          s_.window.move(-s_.window.span() / 5, fine);
        else if (k == FL_Right)
          s_.window.move(s_.window.span() / 5, fine);
        else if (k == FL_Home)
          s_.window = Window{0, fine};
        else
          return 0;
        changed_();
        return 1;
      }
      default: return Fl_Widget::handle(e);
    }
  }

 private:
  // Speed boards with their speeds, indication boards with their texts,
  // in the boards' row from `my` down: each label right of its mark, drawn
  // when it ends before the next board's mark.
  template <typename FX>
  void draw_cartelli_labels(size_t c0, size_t c1, int my, int border, FX&& X) {
    const std::vector<CartelloLabel> e = cartelli_labels(s_.dati.scenario, c0, c1);
    std::vector<int> xs, widths;
    fl_font(FL_HELVETICA, 10);
    for (const CartelloLabel& et : e) {
      xs.push_back(X(static_cast<double>(et.metres) + 25));
      widths.push_back(static_cast<int>(std::ceil(fl_width(et.text.c_str()))));
    }
    const std::vector<bool> placed = placed_labels(xs, widths, border, 6);
    fl_color(cartello_color);
    for (size_t k = 0; k < e.size() && k < placed.size(); ++k)
      if (placed[k]) fl_draw(e[k].text.c_str(), xs[k] + 6, my + 11);
  }

  template <typename FX>
  void grid_and_axes(int gx0, int gx1, int v0, int v1, int p0, int p1, int vmax, int gmax, FX&& X) {
    // Kilometre lines, 1, 2 or 5 times a power of ten apart.
    double step = 1000;
    while (s_.window.span() / step > 12)
      step *= step == 1000 || step == 10000 || step == 100000 ? 2 : 2.5;
    while (s_.window.span() / step < 4 && step > 50) step /= 2;
    fl_font(FL_HELVETICA, 10);
    for (double m = std::ceil(s_.window.from / step) * step; m <= s_.window.a; m += step) {
      const int px = X(m);
      if (px < gx0 || px > gx1) continue;
      fl_color(fl_rgb_color(230, 230, 232));
      fl_line(px, v0, px, p1);
      fl_color(FL_DARK3);
      char t[32];
      std::snprintf(t, sizeof t, step >= 1000 ? "%.0f km" : "%.2f km", m / 1000);
      fl_draw(t, px - 14, p1 + 14);
    }
    fl_color(FL_DARK3);
    fl_line(gx0, v1, gx1, v1);
    fl_line(gx0, (p0 + p1) / 2, gx1, (p0 + p1) / 2);
    const int vstep = vmax > 200 ? 100 : vmax > 80 ? 50 : 20;
    for (int v = vstep; v < vmax; v += vstep) {
      const int py = v1 - v * (v1 - v0) / vmax;
      fl_color(fl_rgb_color(230, 230, 232));
      fl_line(gx0, py, gx1, py);
      fl_color(FL_DARK3);
      fl_draw(std::to_string(v).c_str(), gx0 - 28, py + 4);
    }
    for (const int g : {-gmax * 10 / 11, gmax * 10 / 11}) {
      const int py = (p0 + p1) / 2 - g * (p1 - p0) / (2 * gmax);
      fl_color(FL_DARK3);
      fl_draw((g > 0 ? "+" + std::to_string(g) : std::to_string(g)).c_str(), gx0 - 28, py + 4);
    }
  }

  ViewState& s_;
  std::function<void()> changed_;
  std::function<void(size_t)> choose_;
  int pressed_x_ = 0;
  bool dragged_ = false;
};

class App {
 public:
  App(const Source& s, const WindowOptions& o) : watcher_(s.watched_files()) {
    s_.source = s;
    s_.options = o;
    const int W = window_width, H = window_height;
    w_ = std::make_unique<Fl_Double_Window>(W, H, "scenario-compiler view");
    new Fl_Box(6, 6, 40, 22, "km");
    position_ = new Fl_Input(40, 6, 90, 22);
    position_->when(FL_WHEN_ENTER_KEY_ALWAYS);
    position_->callback([](Fl_Widget*, void* a) { static_cast<App*>(a)->go_to_km(); }, this);
    auto* go = new Fl_Button(134, 6, 40, 22, "Go");
    go->callback([](Fl_Widget*, void* a) { static_cast<App*>(a)->go_to_km(); }, this);
    auto* whole = new Fl_Button(180, 6, 80, 22, "Whole line");
    whole->callback([](Fl_Widget*, void* a) { static_cast<App*>(a)->whole_linea(); }, this);
    compile_ = new Fl_Button(266, 6, 120, 22, "Compile files");
    compile_->callback([](Fl_Widget*, void* a) { static_cast<App*>(a)->compile(); }, this);
    status_ = new Fl_Box(394, 6, W - 400, 22);
    status_->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    plan_ = new PlanView(0, bar, W - info_width, plan_top, s_, [this] { update_view(); });
    info_ = new Fl_Browser(W - info_width, bar, info_width, plan_top);
    info_->textsize(12);
    profile_ = new ProfileView(
        0, bar + plan_top, W, profile_top, s_, [this] { update_view(); },
        [this](size_t c) { choose(c); });
    faults_ =
        new Fl_Hold_Browser(0, bar + plan_top + profile_top, W, H - bar - plan_top - profile_top);
    faults_->textsize(12);
    faults_->callback([](Fl_Widget*, void* a) { static_cast<App*>(a)->chosen_fault(); }, this);
    w_->end();
    w_->resizable(profile_);
    load_data(true);
  }

  int run() {
    w_->show();
    if (watcher_.errore().empty() && watcher_.fd() >= 0) {
      Fl::add_fd(
          watcher_.fd(), FL_READ, [](int, void* a) { static_cast<App*>(a)->file_event(); }, this);
      Fl::add_timeout(follow_seconds, follow_cb, this);
    } else {
      report("watch " + watcher_.errore());
    }
    if (s_.options.check) {
      Fl::add_fd(
          0, FL_READ, [](int, void* a) { static_cast<App*>(a)->command(); }, this);
      // The window id once it is on the screen.
      while (!w_->shown() || !w_->visible()) Fl::wait(0.05);
      Fl::flush();
      XSync(fl_display, False);
      char t[64];
      std::snprintf(t, sizeof t, "window 0x%lx", static_cast<unsigned long>(fl_xid(w_.get())));
      report(t);
    }
    return Fl::run() >= 0 ? 0 : 1;
  }

 private:
  void report(const std::string& line) {
    if (!s_.options.check) return;
    std::cout << terminal_text(line, TextSource::description) << std::endl;
  }

  void load_data(bool first) {
    s_.dati = first ? load(s_.source) : reload(s_.source, std::move(s_.dati));
    if (first) {
      s_.window = Window{0, std::max(s_.fine(), 1000.0)};
    }
    s_.window.limit(std::max(s_.fine(), 500.0));
    if (s_.choice && *s_.choice >= s_.dati.scenario.celle.size()) s_.choice.reset();
    faults_->clear();
    for (const PanelEntry& v : s_.dati.panel) {
      // Colour by gravity; "@." ends the format codes, so the text is shown as it is.
      const std::string line = "@C" + std::to_string(color_of(v.severity)) + "@." + v.text;
      faults_->add(line.c_str());
      report("pane " + v.text);
    }
    if (s_.dati.panel.empty()) faults_->add("@iNo faults or warnings.");
    std::string status = s_.dati.errore.empty() ? s_.dati.outcome : s_.dati.errore;
    status = local_time() + "  " + status;
    if (s_.source.from_descriptions())
      status += "  \u2013  " + nome(s_.source.linea) + ", " + nome(s_.source.treno);
    status_->copy_label(status.c_str());
    const bool warnings =
        std::any_of(s_.dati.panel.begin(), s_.dati.panel.end(),
                    [](const PanelEntry& v) { return v.severity == Severity::avviso; });
    status_->labelcolor(!s_.dati.faults.empty() || !s_.dati.errore.empty() ? fault_color
                        : warnings                                         ? warning_color
                                                                           : FL_BLACK);
    compile_->activate();
    if (!s_.source.from_descriptions()) compile_->deactivate();
    if (s_.choice) show_cella(*s_.choice);
    w_->redraw();
    report((first ? "loaded " : "reloaded ") +
           std::string(s_.dati.errore.empty() ? s_.dati.outcome : s_.dati.errore) + "; faults " +
           std::to_string(s_.dati.faults.size()) + "; " + window_text());
  }

  static std::string nome(const std::string& p) {
    const size_t i = p.find_last_of('/');
    return i == std::string::npos ? p : p.substr(i + 1);
  }

  std::string window_text() const {
    char t[96];
    std::snprintf(t, sizeof t, "showing %.0f to %.0f m", s_.window.from, s_.window.a);
    return t;
  }

  void update_view() {
    char t[32];
    std::snprintf(t, sizeof t, "%.3f", (s_.window.from + s_.window.a) / 2000);
    position_->value(t);
    plan_->redraw();
    profile_->redraw();
    report(window_text());
  }

  void go_to_km() { go_to(std::strtod(position_->value(), nullptr) * 1000); }

  void go_to(double metres) {
    if (!std::isfinite(metres)) return;
    if (s_.window.span() >= s_.fine()) s_.window = Window{0, 4000};
    s_.window.center(metres, s_.fine());
    update_view();
  }

  void whole_linea() {
    s_.window = Window{0, std::max(s_.fine(), 1000.0)};
    update_view();
  }

  void choose(size_t c) {
    s_.choice = c;
    show_cella(c);
    profile_->redraw();
  }

  void show_cella(size_t c) {
    info_->clear();
    for (const std::string& r : describe_cella(s_.dati, c)) {
      info_->add(r.c_str());
      report("info " + r);
    }
  }

  // A line of the pane picked: its position shown, its cell picked.
  void chosen_fault() {
    const int line = faults_->value();
    if (line < 1 || static_cast<size_t>(line) > s_.dati.panel.size()) return;
    const PanelEntry& v = s_.dati.panel[static_cast<size_t>(line - 1)];
    if (!v.posizione) return;
    go_to(*v.posizione);
    if (*v.posizione >= 0) choose(static_cast<size_t>(*v.posizione / 50));
  }

  // While another run writes into the folder, "Compile files" waits with
  // the window still answering: the status line says what it waits for,
  // and pressing the button again (or closing the window) ends the wait
  // with nothing written.
  void compile() {
    if (waiting_) {
      stop_waiting_ = true;
      return;
    }
    const platform::LockWaiting before = platform::lock_waiting();
    platform::LockWaiting w = before;
    w.on_wait = [this](const std::string& dir, long holder) {
      const std::string m =
          "waiting for another run writing into \"" + dir + "\"" +
          (holder > 0 ? " (process " + std::to_string(holder) + ")" : std::string()) +
          "; press Compile files again to stop";
      status_->copy_label((local_time() + "  " + terminal_text(m)).c_str());
      report("compile " + m);
    };
    w.stop = [this] {
      Fl::check();
      return stop_waiting_ || !w_->shown();
    };
    platform::set_lock_waiting(std::move(w));
    waiting_ = true;
    stop_waiting_ = false;
    const Source source = s_.source;  // a reload while waiting replaces s_
    const std::string outcome = write_compiled(source);
    waiting_ = false;
    platform::set_lock_waiting(before);
    status_->copy_label((local_time() + "  " + terminal_text(outcome)).c_str());
    report("compile " + outcome);
  }

  // A save is often several events: the reload waits for them to settle.
  void file_event() {
    if (!watcher_.read_events()) return;
    Fl::remove_timeout(reload_cb, this);
    Fl::add_timeout(0.15, reload_cb, this);
  }
  static void reload_cb(void* a) { static_cast<App*>(a)->load_data(false); }

  // A folder replaced or made again sends no event to the old watch: it
  // is looked for now and then, and reloaded like a save.
  static constexpr double follow_seconds = 0.25;
  static void follow_cb(void* a) {
    App* app = static_cast<App*>(a);
    if (app->watcher_.follow_replaced_directories()) {
      Fl::remove_timeout(reload_cb, app);
      Fl::add_timeout(0.15, reload_cb, app);
    }
    Fl::repeat_timeout(follow_seconds, follow_cb, app);
  }

  void command() {
    char buf[512];
    const ssize_t n = ::read(0, buf, sizeof buf);
    if (n <= 0) {
      Fl::remove_fd(0);
      return;
    }
    incoming_.append(buf, static_cast<size_t>(n));
    for (size_t fine; (fine = incoming_.find('\n')) != std::string::npos;) {
      const std::string line = incoming_.substr(0, fine);
      incoming_.erase(0, fine + 1);
      run_command(line);
    }
  }

  void run_command(const std::string& line) {
    char word[32] = "";
    double a = 0, b = 0;
    const int parsed = std::sscanf(line.c_str(), "%31s %lf %lf", word, &a, &b);
    const std::string cmd = word;
    if (cmd == "goto" && parsed >= 2) {
      position_->value(std::to_string(a).c_str());
      go_to_km();
    } else if (cmd == "window" && parsed >= 3) {
      s_.window = Window{a * 1000, b * 1000};
      s_.window.limit(s_.fine());
      update_view();
    } else if (cmd == "select" && parsed >= 2 && a >= 0) {
      choose(static_cast<size_t>(a));
    } else if (cmd == "fault" && parsed >= 2) {
      faults_->value(static_cast<int>(a));
      chosen_fault();
    } else if (cmd == "compile") {
      compile();
    } else if (cmd == "quit") {
      w_->hide();
    } else {
      report("unknown command: " + line);
    }
    Fl::flush();
    report("done " + cmd);
  }

  ViewState s_;
  Watcher watcher_;
  std::unique_ptr<Fl_Double_Window> w_;
  Fl_Input* position_ = nullptr;
  Fl_Button* compile_ = nullptr;
  Fl_Box* status_ = nullptr;
  PlanView* plan_ = nullptr;
  Fl_Browser* info_ = nullptr;
  ProfileView* profile_ = nullptr;
  Fl_Hold_Browser* faults_ = nullptr;
  std::string incoming_;
  bool waiting_ = false, stop_waiting_ = false;  // "Compile files" waiting for the folder
};

}  // namespace

int run_window(const Source& source, const WindowOptions& options) {
  Fl::visual(FL_DOUBLE | FL_RGB);
  App app(source, options);
  return app.run();
}

}  // namespace sc::view
