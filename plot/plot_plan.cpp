// The plan view: the track drawn from the plan's x and y with equal scales,
// tunnels, kilometre marks, signals and stations, and labels placed where
// they cover least.
#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include "plot/plot_internal.h"

namespace sc::plot_detail {

namespace {

// The plan's points by metre, computed as they are asked for from the plan
// held as its steps (cheapest in order): a metre has none where either
// value is empty, not a number or beyond reach (see below).
class Points {
 public:
  explicit Points(const CompactPlan& plan) : plan_(&plan) {}
  size_t size() const { return static_cast<size_t>(plan_->rows()); }
  bool empty() const { return size() == 0; }
  std::optional<Point> operator[](size_t i) const;

 private:
  const CompactPlan* plan_;
};

// No plan the compile writes comes near this far from its origin (a line
// is at most 1000 km long); a value beyond it is left out of the picture,
// as is one that is not a number, so the view and its grid stay finite.
constexpr double max_plan_metres = 1e8;

std::optional<Point> Points::operator[](size_t i) const {
  const CompactPlan::Row r = plan_->row(i);
  if (r.x.tag == Numero::Tag::empty || r.y.tag == Numero::Tag::empty) return std::nullopt;
  const double x = r.x.valore, y = r.y.valore;
  if (std::abs(x) <= max_plan_metres && std::abs(y) <= max_plan_metres)  // false for NaN
    return Point{x, y};
  return std::nullopt;
}

struct PlanPoints {
  Points points;        // by metre
  size_t excluded = 0;  // rows with both values that are not drawn
};

// The plan's rows that hold two finite values within reach, by metre.
PlanPoints plan_points(const CompactPlan& t) {
  PlanPoints p{Points(t)};
  for (size_t i = 0; i < p.points.size(); ++i) {
    const CompactPlan::Row r = t.row(i);
    if (r.x.tag != Numero::Tag::empty && r.y.tag != Numero::Tag::empty && !p.points[i])
      ++p.excluded;
  }
  return p;
}

// The point of metre m, or the nearest point before it within 2000 m.
std::optional<Point> point_at(const PlanPoints& p, double metres) {
  if (p.points.empty() || !std::isfinite(metres)) return std::nullopt;
  const auto i = static_cast<int32_t>(
      std::llround(std::clamp(metres, 0.0, static_cast<double>(p.points.size() - 1))));
  if (const std::optional<Point> q = p.points[static_cast<size_t>(i)]) return q;
  // Else the last point of the 2000 metres before it, walked forward: the
  // plan computes its rows cheapest in order.
  std::optional<Point> last;
  for (int32_t j = std::max(0, i - 1999); j <= i; ++j) {
    if (const std::optional<Point> q = p.points[static_cast<size_t>(j)]) last = q;
  }
  return last;
}

// The extent of the points in metres, and the last metre that has one.
struct Extension {
  double xmin = INFINITY, xmax = -INFINITY, ymin = INFINITY, ymax = -INFINITY;
  size_t last = 0;
  bool vuota() const { return !(xmin <= xmax); }
};

Extension extension(const Points& points) {
  Extension e;
  for (size_t i = 0; i < points.size(); ++i) {
    if (!points[i]) continue;
    e.xmin = std::min(e.xmin, points[i]->x);
    e.xmax = std::max(e.xmax, points[i]->x);
    e.ymin = std::min(e.ymin, points[i]->y);
    e.ymax = std::max(e.ymax, points[i]->y);
    e.last = i;
  }
  return e;
}

// The frame of the plan in pixels and the metres it shows.
struct Frame {
  double xmin, xmax, ymin, ymax;  // metres
  double scale;                   // pixels per metre, the same across and up
  double ox, oy, wide, alt;       // the frame
  double px(double x) const { return ox + (x - xmin) * scale; }
  double py(double y) const { return oy + (ymax - y) * scale; }
  Rect frame() const { return {ox, oy, ox + wide, oy + alt}; }
};

// The extent, widened so that neither side is thinner than 6 % of the
// other, with room for the names around it, fitted into the box below
// the title and beside the axis numbers.
Frame view(Extension e, double s, double bx0, double by0, double bx1, double by1) {
  const double side = std::max({e.xmax - e.xmin, e.ymax - e.ymin, 100.0});
  const double minimo = side * 0.06;
  const auto widen = [minimo](double& from, double& a) {
    if (a - from < minimo) {
      const double m = (from + a) / 2;
      from = m - minimo / 2;
      a = m + minimo / 2;
    }
  };
  widen(e.xmin, e.xmax);
  widen(e.ymin, e.ymax);
  const double margin = side * 0.07;  // room for the names
  e.xmin -= margin;
  e.xmax += margin;
  e.ymin -= margin;
  e.ymax += margin;
  const double ax0 = bx0 + 58 * s, ay0 = by0, ax1 = bx1, ay1 = by1 - 40 * s;
  const double scale = std::min((ax1 - ax0) / (e.xmax - e.xmin), (ay1 - ay0) / (e.ymax - e.ymin));
  return {e.xmin,
          e.xmax,
          e.ymin,
          e.ymax,
          scale,
          ax0,
          ay0,
          (e.xmax - e.xmin) * scale,
          (e.ymax - e.ymin) * scale};
}

// Grid and axes in kilometres, and the frame.
void grid_plan(Canvas& t, const Frame& v) {
  cairo_t* cr = t.cr();
  const double s = t.s();
  const double step = nice_step(std::max(v.xmax - v.xmin, v.ymax - v.ymin), 8);
  t.ch(10);
  cairo_save(cr);
  const Multiple mx = multiple(v.xmin, v.xmax, step, 1000),
                 my = multiple(v.ymin, v.ymax, step, 1000);
  for (int64_t k = 0; k < mx.how_many; ++k) {
    const double m = mx.valore(k) * step;
    t.color(grid);
    t.linea(v.px(m), v.oy, v.px(m), v.oy + v.alt, 1);
    t.color(grey_text);
    t.linea(v.px(m), v.oy + v.alt, v.px(m), v.oy + v.alt + 4 * s, 1);
    t.text(v.px(m), v.oy + v.alt + 6 * s, axis_number(m / 1000, step / 1000), 0.5, 0);
  }
  for (int64_t k = 0; k < my.how_many; ++k) {
    const double m = my.valore(k) * step;
    t.color(grid);
    t.linea(v.ox, v.py(m), v.ox + v.wide, v.py(m), 1);
    t.color(grey_text);
    t.linea(v.ox - 4 * s, v.py(m), v.ox, v.py(m), 1);
    t.text(v.ox - 6 * s, v.py(m), axis_number(m / 1000, step / 1000), 1, 0.5);
  }
  cairo_restore(cr);
  t.color(grey_text);
  cairo_set_line_width(cr, 1 * s);
  cairo_rectangle(cr, v.ox, v.oy, v.wide, v.alt);
  cairo_stroke(cr);
  t.ch(11);
  t.color(black);
  t.text(v.ox + v.wide / 2, v.oy + v.alt + 22 * s, "x (km)", 0.5, 0);
  t.vertical_text(v.ox - 44 * s, v.oy + v.alt / 2, "y (km)");
}

// Adds to the path a polyline through the points of metres `from` to `a`,
// dropping those closer than half a pixel to the one before; the points
// drawn are added to `drawn` when it is given.
void trace(cairo_t* cr, const Frame& v, const Points& points, double from, double a,
           std::vector<Point>* drawn) {
  bool open = false;
  double ux = 0, uy = 0;
  const size_t i0 =
      static_cast<size_t>(std::clamp(from, 0.0, static_cast<double>(points.size() - 1)));
  const size_t i1 = static_cast<size_t>(std::clamp(a, 0.0, static_cast<double>(points.size() - 1)));
  for (size_t i = i0; i <= i1; ++i) {
    if (!points[i]) {
      open = false;
      continue;
    }
    const double x = v.px(points[i]->x), y = v.py(points[i]->y);
    if (!open) {
      cairo_move_to(cr, x, y);
      open = true;
    } else if (std::hypot(x - ux, y - uy) >= 0.5 || i == i1) {
      cairo_line_to(cr, x, y);
    } else {
      continue;
    }
    ux = x;
    uy = y;
    if (drawn) drawn->push_back({x, y});
  }
}

struct TickKm {
  double x, y, nx, ny;  // on the track; the unit normal to the right of travel
  size_t km;
};

// Kilometre ticks across the track; returns the numbered ones.
std::vector<TickKm> ticks_km(Canvas& t, const Frame& v, const Points& points, size_t last) {
  const double s = t.s();
  const double px_per_km = 1000 * v.scale;
  // Numbered ticks at least 60 units apart, minor ones at least 8.
  double every = 1;
  for (const double n : {1.0, 2.0, 5.0, 10.0, 20.0, 50.0, 100.0, 200.0, 500.0}) {
    every = n;
    if (px_per_km * n >= 60 * s) break;
  }
  double smaller = every;
  for (const double n : {1.0, 2.0, 5.0, 10.0}) {
    if (px_per_km * n >= 8 * s) {
      smaller = std::min(n, every);
      break;
    }
  }
  const auto direction = [&](size_t i) -> std::optional<Point> {
    const size_t a = i > 0 ? i - 1 : i, b = std::min(i + 1, points.size() - 1);
    if (!points[a] || !points[b]) return std::nullopt;
    const double dx = v.px(points[b]->x) - v.px(points[a]->x),
                 dy = v.py(points[b]->y) - v.py(points[a]->y);
    const double l = std::hypot(dx, dy);
    if (!(l > 0)) return std::nullopt;
    return Point{dx / l, dy / l};
  };
  t.ch(9.5);
  std::vector<TickKm> numbered;
  for (size_t km = 0; km * 1000 <= last; ++km) {
    const bool numero = std::fmod(static_cast<double>(km), every) == 0;
    if (!numero && std::fmod(static_cast<double>(km), smaller) != 0) continue;
    const size_t i = km * 1000;
    if (!points[i]) continue;
    const auto d = direction(i);
    if (!d) continue;
    const double x = v.px(points[i]->x), y = v.py(points[i]->y);
    const double nx = -d->y, ny = d->x;  // to the right of the direction of travel
    t.color(black);
    const double l = numero ? 7 * s : 4 * s;
    t.linea(x - nx * l, y - ny * l, x + nx * l, y + ny * l, numero ? 1.4 : 0.8);
    if (numero) numbered.push_back({x, y, nx, ny, km});
  }
  return numbered;
}

// Kilometre numbers to the right of the direction of travel, or to its
// left when that leaves the frame; each taken place is added to `occupied`.
void km_numbers(Canvas& t, const std::vector<TickKm>& ticks, const Rect& frame,
                std::vector<Rect>& occupied) {
  const double s = t.s();
  t.ch(9.5);
  for (const TickKm& e : ticks) {
    const std::string et = std::to_string(e.km);
    const double w = t.width(et), h = t.digit_height();
    Rect r{};
    for (const double side : {16.0, -16.0}) {
      const double cx = e.x + e.nx * side * s, cy = e.y + e.ny * side * s;
      r = {cx - w / 2 - 2 * s, cy - h / 2 - 2 * s, cx + w / 2 + 2 * s, cy + h / 2 + 2 * s};
      if (inside(r, frame)) break;
    }
    t.color(grey_text);
    t.text_on_background((r.x0 + r.x1) / 2, (r.y0 + r.y1) / 2, et, 0.5, 0.5);
    occupied.push_back(r);
  }
}

// The ten places around a station's ring `p` where its name may go, in
// the order of preference.
constexpr size_t placed_names = 10;
std::array<Rect, placed_names> placed_around(const Point& p, double w, double h, double s) {
  const double g = 10 * s;
  const Point corners[placed_names] = {
      {p.x + g, p.y - h / 2},     {p.x - g - w, p.y - h / 2},
      {p.x - w / 2, p.y - g - h}, {p.x - w / 2, p.y + g},
      {p.x + g, p.y - g - h},     {p.x - g - w, p.y - g - h},
      {p.x + g, p.y + g},         {p.x - g - w, p.y + g},
      {p.x + 2 * g, p.y - h / 2}, {p.x - 2 * g - w, p.y - h / 2},
  };
  std::array<Rect, placed_names> placed{};
  for (size_t n = 0; n < placed_names; ++n) {
    placed[n] = {corners[n].x - 2 * s, corners[n].y - 2 * s, corners[n].x + w + 2 * s,
                 corners[n].y + h + 2 * s};
  }
  return placed;
}

// The place for a station's name of the ten `placed` that costs least:
// leaving `box` costs most, then meeting a taken place, then leaving
// the frame, then each track point covered (`covered`, by place), then the
// order of the places. None when even that place meets a name or number
// already placed.
std::optional<Rect> placed_name(const Rect* placed, const size_t* covered, const Rect& box,
                                const Rect& frame, const std::vector<Rect>& occupied) {
  double best = INFINITY;
  Rect chosen{};
  for (size_t n = 0; n < placed_names; ++n) {
    const Rect& r = placed[n];
    double cost = static_cast<double>(n);
    if (!inside(r, box)) cost += 100000;
    if (!inside(r, frame)) cost += 300;
    cost += 20 * static_cast<double>(covered[n]);
    for (const Rect& o : occupied) {
      if (touching(r, o)) cost += 1000;
    }
    if (cost < best) {
      best = cost;
      chosen = r;
    }
  }
  for (const Rect& o : occupied) {
    if (touching(chosen, o)) return std::nullopt;
  }
  return chosen;
}

}  // namespace

double draw_plan(Canvas& t, const CompiledScenario& sc, const Content& c, double bx0, double by0,
                 double bx1, double by1, bool measure_only) {
  cairo_t* cr = t.cr();
  const double s = t.s();
  const PlanPoints plan = plan_points(sc.tracciato);
  const Points& points = plan.points;
  const Extension e = extension(points);
  if (!measure_only) {
    t.ch(13, true);
    t.color(black);
    t.text(bx0, by0, "Plan view of the track", 0, 0);
    if (plan.excluded > 0) {
      // The rows left out, named after the title.
      const double after = bx0 + t.width("Plan view of the track") + 12 * s;
      t.ch(10.5);
      t.color(grey_text);
      t.text(after, by0 + 2 * s,
             "(" + std::to_string(plan.excluded) + (plan.excluded == 1 ? " row" : " rows") +
                 " not drawn: a value not a number or beyond 100000 km)",
             0, 0);
    }
  }
  by0 += 24 * s;
  if (e.vuota()) {
    const std::string none = "the track plan holds no points";
    t.ch(12);
    if (!measure_only) {
      t.color(grey_text);
      t.text(bx0, (by0 + by1) / 2, none, 0, 0.5);
    }
    return bx0 + t.width(none);
  }
  const Frame v = view(e, s, bx0, by0, bx1, by1);
  if (measure_only) return v.ox + v.wide;
  grid_plan(t, v);

  cairo_save(cr);
  cairo_rectangle(cr, v.ox, v.oy, v.wide, v.alt);
  cairo_clip(cr);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  // Tunnels as a grey casing under the track.
  t.color(plan_galleria);
  cairo_set_line_width(cr, 7 * s);
  for (const Range& g : c.tunnels) trace(cr, v, points, g.from, g.a, nullptr);
  cairo_stroke(cr);
  std::vector<Point> drawn_track;
  t.color(track);
  cairo_set_line_width(cr, 2 * s);
  trace(cr, v, points, 0, static_cast<double>(points.size() - 1), &drawn_track);
  cairo_stroke(cr);
  // The stretch the profile shows, when it is not the whole line.
  if (c.profile_start > 0 ||
      c.profile_end <
          static_cast<double>(sc.celle.size() > 3 ? sc.celle.size() - 3 : 0) * cella_metres) {
    t.color(Color{0.95, 0.55, 0.05, 0.75});
    cairo_set_line_width(cr, 6 * s);
    trace(cr, v, points, c.profile_start, c.profile_end, nullptr);
    cairo_stroke(cr);
  }
  const std::vector<TickKm> ticks = ticks_km(t, v, points, e.last);
  // Signals as small dots, stations as rings.
  t.color(segnale);
  for (const size_t i : c.segnali) {
    const auto p = point_at(plan, static_cast<double>(i) * cella_metres);
    if (p) t.circle(v.px(p->x), v.py(p->y), 2.4);
  }
  cairo_fill(cr);
  std::vector<std::pair<const Stazione*, Point>> rings;
  for (const Stazione& st : c.stazioni) {
    const auto p = point_at(plan, st.progressiva);
    if (!p) continue;
    const Point q{v.px(p->x), v.py(p->y)};
    t.ring(q.x, q.y, 5.5, stazione, 2.5);
    rings.push_back({&st, q});
  }
  cairo_restore(cr);

  // The axis numbers are taken; then the kilometre numbers, then the
  // station names, inside the frame if they can be.
  const Rect frame = v.frame();
  const Rect box{bx0, by0 - 20 * s, bx1 + 50 * s, by1};
  std::vector<Rect> occupied = {{bx0, v.oy - 8 * s, v.ox - 1 * s, v.oy + v.alt + 8 * s},
                                {v.ox - 20 * s, v.oy + v.alt + 1 * s, v.ox + v.wide + 20 * s, by1}};
  km_numbers(t, ticks, frame, occupied);
  t.ch(11, true);
  // The track points each place would cover, for all stations in one sweep.
  std::vector<Rect> placed;
  std::vector<std::string> labels;
  for (const auto& [st, p] : rings) {
    labels.push_back(st->nome.empty() ? std::to_string(st->numero) : st->nome);
    const double w = t.width(labels.back()), h = t.digit_height() * 1.3;
    const std::array<Rect, placed_names> around = placed_around(p, w, h, s);
    placed.insert(placed.end(), around.begin(), around.end());
  }
  const std::vector<size_t> covered = points_in_rects(drawn_track, placed, false);
  for (size_t k = 0; k < rings.size(); ++k) {
    const std::optional<Rect> chosen =
        placed_name(&placed[k * placed_names], &covered[k * placed_names], box, frame, occupied);
    if (!chosen) continue;  // drawn over another, it could not be read
    occupied.push_back(*chosen);
    t.color(stazione);
    t.text_on_background(chosen->x0 + 2 * s, chosen->y0 + 2 * s, labels[k], 0, 0);
  }
  return v.ox + v.wide;
}

}  // namespace sc::plot_detail
