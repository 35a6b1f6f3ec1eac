// The profile along the line: the speed limit with restrictions and
// cab-code points above, the gradient below, rows of marks (signals, cab
// codes, restrictions, boards) between them, tunnels and stations as bands
// across, station names on top.
#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "format/compiled_decode.h"
#include "format/positions.h"
#include "plot/plot_internal.h"

namespace sc::plot_detail {

namespace {

double kmh(const Cella& c) { return c.velocita * 5.0; }
double per_thousand(const Cella& c) { return c.pendenza - 100.0; }

constexpr int mark_rows = 5;

// Where everything goes: metres across, speed in the upper panel, the rows
// of marks, gradient in the lower panel.
struct Profile {
  double gx0, gx1, inizio, fine;  // the panels' left and right edges; metres shown
  double names;                   // baseline of the station names
  double v0, v1;                  // speed panel, top and bottom
  double m0, mark_row_height;     // rows of marks: top, height of one row
  double p0, p1;                  // gradient panel, top and bottom
  size_t shown;                   // cells shown
  double vmax, vstep, gmax, gstep;

  // Metres outside [inizio, fine] fall outside the panels, where the clip
  // of the profile (clip_panels) hides them.
  double X(double m) const { return gx0 + (m - inizio) / (fine - inizio) * (gx1 - gx0); }
  bool visible(double m) const { return m >= inizio && m <= fine; }
  double V(double v) const { return v1 - std::clamp(v, 0.0, vmax) / vmax * (v1 - v0); }
  double G(double g) const {
    return (p0 + p1) / 2 - std::clamp(g, -gmax, gmax) / gmax * (p1 - p0) / 2;
  }
  double row_y(int r) const { return m0 + (r + 0.5) * mark_row_height; }
};

Profile profile(const CompiledScenario& sc, const Content& c, double s, double gx0, double gy0,
                double gx1, double gy1) {
  const auto& celle = sc.celle;
  Profile p{};
  p.gx0 = gx0;
  p.gx1 = gx1;
  p.inizio = c.profile_start;
  p.fine = std::max(c.profile_end, c.profile_start + cella_metres);
  // Vertical layout: station names, speed, marks, gradient.
  p.names = gy0 + 34 * s;
  const double rest = gy1 - p.names;
  p.mark_row_height = 17 * s;
  p.v0 = p.names + 4 * s;
  p.v1 = p.v0 + (rest - mark_rows * p.mark_row_height - 8 * s) * 0.55;
  p.m0 = p.v1 + 4 * s;
  p.p0 = p.m0 + mark_rows * p.mark_row_height + 4 * s;
  p.p1 = gy1;

  p.shown = std::min(celle.size(), static_cast<size_t>(std::ceil(p.fine / cella_metres)));
  // Value ranges: every speed shown, and a little room above.
  double vmax = 50;
  for (size_t i = 0; i < p.shown; ++i) vmax = std::max(vmax, kmh(celle[i]));
  for (const Rallentamento& r : c.rallentamenti)
    vmax = std::max(vmax, static_cast<double>(r.velocita));
  for (const size_t i : c.codes) {
    if (celle[i].tipo == tipo_cella::codice)
      vmax = std::max(vmax, static_cast<double>(celle[i].valore_1));
  }
  p.vstep = nice_step(vmax, 5);
  p.vmax = std::ceil(vmax * 1.08 / p.vstep) * p.vstep;
  double gmax = 5;
  for (size_t i = 0; i < p.shown; ++i) gmax = std::max(gmax, std::abs(per_thousand(celle[i])));
  p.gstep = nice_step(2 * gmax, 4);
  p.gmax = std::ceil(gmax * 1.05 / p.gstep) * p.gstep;
  return p;
}

// Bands behind everything: tunnels and stations.
void bands(Canvas& t, const Profile& p, const Content& c) {
  const double s = t.s();
  for (const Range& g : c.tunnels) {
    t.color(galleria);
    t.rect(p.X(g.from), p.v0, std::max(p.X(g.a) - p.X(g.from), 0.8 * s), p.p1 - p.v0);
  }
  for (const Stazione& st : c.stazioni) {
    const double a = p.X(std::min(st.inizio, st.fine)), b = p.X(std::max(st.inizio, st.fine));
    t.color(stazione_band);
    t.rect(a, p.v0, std::max(b - a, 2 * s), p.p1 - p.v0);
    t.color(stazione);
    t.linea(p.X(st.progressiva), p.v0, p.X(st.progressiva), p.p1, 1);
  }
}

// Grid lines and the axes of both panels.
void grid_profile(Canvas& t, const Profile& p) {
  cairo_t* cr = t.cr();
  const double s = t.s();
  const double kmstep = nice_step((p.fine - p.inizio) / 1000, 14);
  t.ch(10);
  const Multiple mkm = multiple(p.inizio / 1000, (p.fine + 1e-6) / 1000, kmstep, 1000);
  for (int64_t k = 0; k < mkm.how_many; ++k) {
    const double km = mkm.valore(k) * kmstep;
    const double x = p.X(km * 1000);
    t.color(grid);
    t.linea(x, p.v0, x, p.v1, 1);
    t.linea(x, p.p0, x, p.p1, 1);
    t.color(grey_text);
    t.linea(x, p.p1, x, p.p1 + 4 * s, 1);
    t.text(x, p.p1 + 6 * s, axis_number(km, kmstep), 0.5, 0);
  }
  const Multiple mv = multiple(0, p.vmax + 1e-9, p.vstep, 1000);
  for (int64_t k = 0; k < mv.how_many; ++k) {
    const double v = mv.valore(k) * p.vstep;
    t.color(grid);
    t.linea(p.gx0, p.V(v), p.gx1, p.V(v), 1);
    t.color(grey_text);
    t.text(p.gx0 - 6 * s, p.V(v), axis_number(v, p.vstep), 1, 0.5);
  }
  const Multiple mg = multiple(-p.gmax - 1e-9, p.gmax + 1e-9, p.gstep, 1000);
  for (int64_t k = 0; k < mg.how_many; ++k) {
    const double g = mg.valore(k) * p.gstep;
    t.color(g == 0 ? Color{0.6, 0.6, 0.62} : grid);
    t.linea(p.gx0, p.G(g), p.gx1, p.G(g), 1);
    t.color(grey_text);
    t.text(p.gx0 - 6 * s, p.G(g), axis_number(g, p.gstep), 1, 0.5);
  }
  t.color(grey_text);
  cairo_set_line_width(cr, 1 * s);
  cairo_rectangle(cr, p.gx0, p.v0, p.gx1 - p.gx0, p.v1 - p.v0);
  cairo_rectangle(cr, p.gx0, p.p0, p.gx1 - p.gx0, p.p1 - p.p0);
  cairo_stroke(cr);
  t.ch(11);
  t.color(black);
  t.vertical_text(p.gx0 - 50 * s, (p.v0 + p.v1) / 2, "speed (km/h)");
  t.vertical_text(p.gx0 - 50 * s, (p.p0 + p.p1) / 2, "gradient (\u2030)");
  t.text((p.gx0 + p.gx1) / 2, p.p1 + 22 * s, "distance along the line (km)", 0.5, 0);
}

// Adds to the path one step per cell shown, at the height `y(cella)`.
template <typename Y>
void steps(cairo_t* cr, const Profile& p, const std::vector<Cella>& celle, Y&& y) {
  for (size_t i = 0; i < p.shown; ++i) {
    const double h = y(celle[i]);
    cairo_line_to(cr, p.X(metres(i)), h);
    cairo_line_to(cr, p.X(metres(i) + cella_metres), h);
  }
}

// Gradient as the area between zero and the value of every cell; the
// speed limit as steps.
void curve(Canvas& t, const Profile& p, const std::vector<Cella>& celle) {
  if (p.shown == 0) return;
  cairo_t* cr = t.cr();
  const double s = t.s();
  cairo_move_to(cr, p.X(0), p.G(0));
  steps(cr, p, celle, [&](const Cella& c) { return p.G(per_thousand(c)); });
  cairo_line_to(cr, p.X(metres(p.shown)), p.G(0));
  cairo_close_path(cr);
  t.color(pendenza_area);
  cairo_fill_preserve(cr);
  t.color(pendenza);
  cairo_set_line_width(cr, 1.2 * s);
  cairo_stroke(cr);

  t.color(velocita);
  cairo_set_line_width(cr, 2 * s);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
  cairo_move_to(cr, p.X(0), p.V(kmh(celle[0])));
  steps(cr, p, celle, [&](const Cella& c) { return p.V(kmh(c)); });
  cairo_stroke(cr);
}

// Restrictions at their speed, with their speed written at the start.
void rallentamenti(Canvas& t, const Profile& p, const Content& c) {
  const double s = t.s();
  for (const Rallentamento& r : c.rallentamenti) {
    t.color(rallentamento);
    const double y = p.V(r.velocita);
    t.linea(p.X(r.from), y, std::max(p.X(r.a), p.X(r.from) + 3 * s), y, 4);
    t.linea(p.X(r.from), y - 6 * s, p.X(r.from), y + 6 * s, 1.5);
    t.linea(p.X(r.a), y - 6 * s, p.X(r.a), y + 6 * s, 1.5);
    t.ch(9.5, true);
    t.text_on_background(p.X(r.from), y - 8 * s, std::to_string(r.velocita), 0, 1);
  }
}

// Cab-code points at their speed, numbered right or left of the point
// where the number meets no other number nor point and stays in the panel.
void codes(Canvas& t, const Profile& p, const Content& c, const std::vector<Cella>& celle) {
  cairo_t* cr = t.cr();
  const double s = t.s();
  const double half = 5 * s;  // half the side of a point's diamond
  struct Code {
    double x, y;
    std::string et;
    double w;
  };
  std::vector<Code> cc;
  for (const size_t j : c.codes) {
    if (celle[j].tipo != tipo_cella::codice) continue;
    cc.push_back({p.X(metres(j)), p.V(celle[j].valore_1), std::to_string(celle[j].valore_1), 0});
  }
  t.ch(9.5, true);
  const double h = t.digit_height();
  double w_max = 0;
  for (Code& k : cc) w_max = std::max(w_max, k.w = t.width(k.et));
  // The two places of each number, right then left of its point, and the
  // points each would meet: a diamond meets the place when its centre lies
  // within the place widened by half a diamond.
  const auto placed = [&](const Code& k, int side) {
    const double dx = side == 0 ? 7 * s : -7 * s - k.w;
    return Rect{k.x + dx - 1 * s, k.y - h / 2 - 1 * s, k.x + dx + k.w + 1 * s, k.y + h / 2 + 1 * s};
  };
  std::vector<Point> centres;
  std::vector<Rect> widened;
  for (const Code& k : cc) {
    centres.push_back({k.x, k.y});
    for (int side = 0; side < 2; ++side) {
      const Rect r = placed(k, side);
      widened.push_back({r.x0 - half, r.y0 - half, r.x1 + half, r.y1 + half});
    }
  }
  const std::vector<size_t> diamonds = points_in_rects(centres, widened, true);
  // The numbers placed, by the x of their points (which only grows): a
  // number reaches at most w_max + 8s from its point, so only those of the
  // points from there on can meet a new one, and as they never overlap,
  // no more of them fit there than the panel has room for.
  std::vector<Rect> numbers;
  std::vector<double> placed_x;
  for (size_t n = 0; n < cc.size(); ++n) {
    const Code& k = cc[n];
    t.color(codice);
    t.diamond(k.x, k.y, 5);
    cairo_fill(cr);
    for (int side = 0; side < 2; ++side) {
      const Rect r = placed(k, side);
      if (!(r.x0 >= p.gx0 && r.x1 <= p.gx1) || diamonds[2 * n + static_cast<size_t>(side)] > 0)
        continue;
      const auto first = std::lower_bound(placed_x.begin(), placed_x.end(), r.x0 - w_max - 9 * s);
      bool free = true;
      for (size_t m = static_cast<size_t>(first - placed_x.begin()); m < numbers.size() && free;
           ++m) {
        free = !touching(r, numbers[m]);
      }
      if (free) {
        t.text_on_background(r.x0 + 1 * s, k.y, k.et, 0, 0.5);
        numbers.push_back(r);
        placed_x.push_back(k.x);
        break;
      }
    }
  }
}

// A dashed line where the line ends, when it ends before the profile does.
void linea_end(Canvas& t, const Profile& p, const Content& c) {
  if (!(c.linea_length > 0 && c.linea_length < p.fine)) return;
  const double s = t.s();
  const double x = p.X(c.linea_length);
  t.color(linea_end_color);
  t.dashed_stroke(x, p.names, x, p.p1, 1.3, 5, 4);
  t.ch(9.5);
  t.text_on_background(x - 4 * s, p.v0 + 4 * s, "end of the line", 1, 0);
}

// The rows of marks between the panels, named on the left.
void draw_mark_rows(Canvas& t, const Profile& p) {
  const double s = t.s();
  const char* names[mark_rows] = {"signals", "cab codes", "restrictions", "boards", "curves"};
  t.ch(10);
  for (int r = 0; r < mark_rows; ++r) {
    t.color(r % 2 == 0 ? Color{0.96, 0.96, 0.97} : Color{1, 1, 1});
    t.rect(p.gx0, p.m0 + r * p.mark_row_height, p.gx1 - p.gx0, p.mark_row_height);
    t.color(grey_text);
    t.text(p.gx0 - 6 * s, p.row_y(r), names[r], 1, 0.5);
  }
}

// The marks in their rows; speed boards with their speeds, indication
// boards with their texts, where the label meets no other.
void marks(Canvas& t, const Profile& p, const Content& c, const CompiledScenario& sc) {
  const std::vector<Cella>& celle = sc.celle;
  cairo_t* cr = t.cr();
  const double s = t.s();
  // Each mark where the description places it (see format/positions.h).
  const auto x_of = [&](size_t i) {
    return p.X(static_cast<double>(description_metres(celle[i], i)));
  };
  t.color(segnale);
  for (const size_t i : c.segnali) t.triangle(x_of(i), p.row_y(0), 5);
  cairo_fill(cr);
  for (const size_t i : c.codes) {
    t.color(codice);
    t.diamond(p.X(metres(i)), p.row_y(1), 5);
    if (celle[i].tipo == tipo_cella::codice) {
      cairo_fill(cr);
    } else {  // a cab-code point without a speed: hollow
      cairo_set_line_width(cr, 1.3 * s);
      cairo_stroke(cr);
    }
  }
  t.color(rallentamento);
  for (const Rallentamento& r : c.rallentamenti) {
    t.rect(p.X(r.from), p.row_y(2) - 3 * s, std::max(p.X(r.a) - p.X(r.from), 2 * s), 6 * s);
  }
  for (const size_t i : c.avviso_cells) t.triangle(x_of(i), p.row_y(2), 5);
  cairo_fill(cr);
  // Speed-indicator boards filled, indication boards hollow.
  t.color(cartello);
  for (const size_t i : c.cartelli_v) t.square(x_of(i), p.row_y(3), 3.5);
  cairo_fill(cr);
  cairo_set_line_width(cr, 1.3 * s);
  for (const size_t i : c.cartelli_text) t.square(x_of(i), p.row_y(3), 3.5);
  cairo_stroke(cr);
  // Labels, left to right, each right of its board when it meets nothing.
  std::vector<std::pair<size_t, std::string>> labels;
  for (const size_t i : c.cartelli_v) {
    const Cella& b = celle[i];
    labels.emplace_back(i, velocita_cartello(b));
  }
  for (const size_t i : c.cartelli_text) {
    const int r = celle[i].valore_1;
    if (r >= 0 && static_cast<size_t>(r) < sc.elementi.size())
      labels.emplace_back(
          i, text_on_one_line(utf8_from_1252(sc.elementi[static_cast<size_t>(r)].nome)));
  }
  std::sort(labels.begin(), labels.end());
  t.ch(8.5);
  t.color(cartello);
  double free_from = -INFINITY;
  for (size_t k = 0; k < labels.size(); ++k) {
    const auto& [i, et] = labels[k];
    const double x = x_of(i) + 6 * s, w = t.width(et);
    // Up to the next board's mark, or the panel's edge.
    const double until = k + 1 < labels.size() ? x_of(labels[k + 1].first) - 6 * s : p.gx1;
    if (x < free_from || x + w > until) continue;
    t.text(x, p.row_y(3), et, 0, 0.5);
    free_from = x + w + 6 * s;
  }
}

// The curve stretches of the plan in the last row: right curves as bars
// above its middle, left ones below, labelled with radius and side ("R 2500
// d", "R 500 s") where the label fits inside the bar.
void plan_curve(Canvas& t, const Profile& p, const Content& c) {
  const double s = t.s();
  const double y = p.row_y(4);
  t.ch(7.5);
  for (const CurvaStretch& k : c.curve) {
    if (k.a < p.inizio || k.from > p.fine) continue;
    const bool right = k.side == CurvaSide::right;
    const double x0 = p.X(k.from), x1 = p.X(k.a);
    const double w = std::max(x1 - x0, 1.5 * s);
    t.color(right ? right_curva : left_curva);
    t.rect(x0, right ? y - 8 * s : y, w, 8 * s);
    const std::string et = "R " + std::to_string(k.radius) + (right ? " d" : " s");
    // The visible part of the bar.
    const double v0 = std::max(x0, p.gx0), v1 = std::min(x0 + w, p.gx1);
    if (t.width(et) + 4 * s > v1 - v0) continue;
    t.color(white);
    t.text((v0 + v1) / 2, right ? y - 4 * s : y + 4 * s, et, 0.5, 0.5);
  }
}

// Where the compile stopped at a fault: a red line and what it means.
void stop(Canvas& t, const Profile& p, const Content& c) {
  if (!c.stop || !p.visible(*c.stop)) return;
  const double s = t.s();
  const double x = p.X(*c.stop);
  t.color(damaged);
  t.linea(x, p.names - 10 * s, x, p.p1, 2.5);
  t.ch(10, true);
  t.text_on_background(x + 4 * s, (p.v0 + p.v1) / 2, "compile stopped at a fault", 0, 0.5);
}

// Clips the drawing to the panels' width.
void clip_panels(Canvas& t, const Profile& p) {
  cairo_save(t.cr());
  cairo_rectangle(t.cr(), p.gx0, p.names - 40 * t.s(), p.gx1 - p.gx0, p.p1 - p.names + 40 * t.s());
  cairo_clip(t.cr());
}

// Station names above the speed panel, on two lines when they would meet;
// those that would still meet another are left out.
void stazioni_names(Canvas& t, const Profile& p, const Content& c) {
  const double s = t.s();
  t.ch(10.5, true);
  double fine_riga[2] = {-INFINITY, -INFINITY};
  for (const Stazione& st : c.stazioni) {
    if (!p.visible(st.progressiva)) continue;
    const std::string et = st.nome.empty() ? "station " + std::to_string(st.numero) : st.nome;
    const double w = t.width(et);
    // Centred on the station, kept within the page; a name wider than the
    // page starts at its left end.
    const double left = p.gx0 - 40 * s;
    const double x =
        std::clamp(p.X(st.progressiva) - w / 2, left, std::max(left, p.gx1 + 20 * s - w));
    // A name that fits on neither line is left out rather than drawn over another.
    if (x <= fine_riga[0] && x <= fine_riga[1]) continue;
    const int r = x > fine_riga[0] ? 0 : 1;
    t.color(stazione);
    t.text(x, r == 0 ? p.names - 2 * s : p.names - 18 * s, et, 0, 1);
    fine_riga[r] = x + w + 8 * s;
  }
}

}  // namespace

void draw_profile(Canvas& t, const CompiledScenario& sc, const Content& c, double gx0, double gy0,
                  double gx1, double gy1) {
  const double s = t.s();
  t.ch(13, true);
  t.color(black);
  t.text(gx0 - 70 * s, gy0, "Profile along the line", 0, 0);
  const Profile p = profile(sc, c, s, gx0, gy0 + 22 * s, gx1, gy1);
  clip_panels(t, p);
  bands(t, p, c);
  cairo_restore(t.cr());
  grid_profile(t, p);
  draw_mark_rows(t, p);
  clip_panels(t, p);
  curve(t, p, sc.celle);
  rallentamenti(t, p, c);
  codes(t, p, c, sc.celle);
  linea_end(t, p, c);
  marks(t, p, c, sc);
  plan_curve(t, p, c);
  stop(t, p, c);
  cairo_restore(t.cr());
  stazioni_names(t, p, c);
}

}  // namespace sc::plot_detail
