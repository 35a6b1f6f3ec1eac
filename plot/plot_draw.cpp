#include "plot/plot_draw.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace sc::plot_detail {

namespace {
constexpr const char* family = "DejaVu Sans";
}  // namespace

Canvas::Canvas(cairo_t* cr, double scale) : cr_(cr), s_(scale) {
  cairo_select_font_face(cr_, family, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
}

void Canvas::color(const Color& c) { cairo_set_source_rgba(cr_, c.r, c.g, c.b, c.a); }

void Canvas::ch(double size, bool bold) {
  cairo_select_font_face(cr_, family, CAIRO_FONT_SLANT_NORMAL,
                         bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr_, size * s_);
  size_ = size * s_;
  bold_ = bold;
}

double Canvas::width(const std::string& t) {
  cairo_text_extents_t e;
  cairo_text_extents(cr_, t.c_str(), &e);
  return e.x_advance;
}

double Canvas::digit_height() {
  cairo_text_extents_t e;
  cairo_text_extents(cr_, "0", &e);
  return -e.y_bearing;
}

double Canvas::linea_base(double y, double ay) {
  const double top = digit_height();
  if (ay == 0) return y + top;
  if (ay == 0.5) return y + top / 2;
  return y;
}

void Canvas::text(double x, double y, const std::string& t, double ax, double ay) {
  double px = x - width(t) * ax, py = linea_base(y, ay);
  if (texts_ == nullptr) {
    cairo_move_to(cr_, px, py);
    cairo_show_text(cr_, t.c_str());
    return;
  }
  if (!cairo_in_clip(cr_, px, py)) return;
  double dx = 1, dy = 0;
  cairo_user_to_device_distance(cr_, &dx, &dy);
  cairo_user_to_device(cr_, &px, &py);
  double r = 0, g = 0, b = 0, a = 1;
  cairo_pattern_get_rgba(cairo_get_source(cr_), &r, &g, &b, &a);
  texts_->push_back({px, py, std::atan2(dy, dx) * 180 / M_PI, t, size_, bold_, {r, g, b, a}});
}

std::string elementi_svg(const std::vector<SvgText>& texts) {
  std::string out;
  char buf[320];
  for (const SvgText& t : texts) {
    std::string text;
    for (const char c : t.text) {
      switch (c) {
        case '&': text += "&amp;"; break;
        case '<': text += "&lt;"; break;
        case '>': text += "&gt;"; break;
        case '"': text += "&quot;"; break;
        default: text += c;
      }
    }
    const auto channel = [](double v) {
      return static_cast<int>(std::nearbyint(std::clamp(v, 0.0, 1.0) * 255));
    };
    std::snprintf(buf, sizeof buf,
                  "<text x=\"%.2f\" y=\"%.2f\" font-family=\"%s\" font-size=\"%.2f\"%s "
                  "fill=\"rgb(%d,%d,%d)\"",
                  t.x, t.y, family, t.size, t.bold ? " font-weight=\"bold\"" : "",
                  channel(t.color.r), channel(t.color.g), channel(t.color.b));
    out += buf;
    if (t.color.a < 1) {
      std::snprintf(buf, sizeof buf, " fill-opacity=\"%.2f\"", t.color.a);
      out += buf;
    }
    if (std::abs(t.degrees) > 1e-9) {
      std::snprintf(buf, sizeof buf, " transform=\"rotate(%.2f %.2f %.2f)\"", t.degrees, t.x, t.y);
      out += buf;
    }
    out += " xml:space=\"preserve\">" + text + "</text>\n";
  }
  return out;
}

void Canvas::text_on_background(double x, double y, const std::string& t, double ax, double ay) {
  const double base = linea_base(y, ay);
  const double top = digit_height();
  const double w = width(t);
  cairo_save(cr_);
  cairo_set_source_rgba(cr_, 1, 1, 1, 0.85);
  cairo_rectangle(cr_, x - w * ax - 2 * s_, base - top - 2.5 * s_, w + 4 * s_,
                  top * 1.3 + 4.5 * s_);
  cairo_fill(cr_);
  cairo_restore(cr_);
  text(x, y, t, ax, ay);
}

void Canvas::vertical_text(double x, double y, const std::string& t) {
  cairo_save(cr_);
  cairo_translate(cr_, x, y);
  cairo_rotate(cr_, -M_PI / 2);
  text(0, 0, t, 0.5, 0.5);
  cairo_restore(cr_);
}

void Canvas::linea(double x1, double y1, double x2, double y2, double thickness) {
  cairo_set_line_width(cr_, thickness * s_);
  cairo_move_to(cr_, x1, y1);
  cairo_line_to(cr_, x2, y2);
  cairo_stroke(cr_);
}

void Canvas::dashed_stroke(double x1, double y1, double x2, double y2, double thickness,
                           double full, double empty) {
  const double dashes[] = {full * s_, empty * s_};
  cairo_set_dash(cr_, dashes, 2, 0);
  linea(x1, y1, x2, y2, thickness);
  cairo_set_dash(cr_, nullptr, 0, 0);
}

void Canvas::rect(double x, double y, double w, double h) {
  cairo_rectangle(cr_, x, y, w, h);
  cairo_fill(cr_);
}

void Canvas::circle(double x, double y, double r) {
  cairo_new_sub_path(cr_);
  cairo_arc(cr_, x, y, r * s_, 0, 2 * M_PI);
}

void Canvas::triangle(double x, double y, double r) {
  cairo_move_to(cr_, x, y - r * s_);
  cairo_line_to(cr_, x + r * s_ * 0.9, y + r * s_ * 0.7);
  cairo_line_to(cr_, x - r * s_ * 0.9, y + r * s_ * 0.7);
  cairo_close_path(cr_);
}

void Canvas::diamond(double x, double y, double r) {
  cairo_move_to(cr_, x, y - r * s_);
  cairo_line_to(cr_, x + r * s_, y);
  cairo_line_to(cr_, x, y + r * s_);
  cairo_line_to(cr_, x - r * s_, y);
  cairo_close_path(cr_);
}

void Canvas::square(double x, double y, double r) {
  cairo_rectangle(cr_, x - r * s_, y - r * s_, 2 * r * s_, 2 * r * s_);
}

void Canvas::ring(double x, double y, double r, const Color& border, double thickness) {
  color(white);
  circle(x, y, r);
  cairo_fill_preserve(cr_);
  color(border);
  cairo_set_line_width(cr_, thickness * s_);
  cairo_stroke(cr_);
}

double nice_step(double span, double how_many) {
  if (!(span > 0) || !std::isfinite(span)) return 1;
  const double grezzo = span / how_many;
  const double p = std::pow(10.0, std::floor(std::log10(grezzo)));
  for (const double m : {1.0, 2.0, 5.0, 10.0}) {
    if (grezzo <= m * p) return m * p;
  }
  return 10 * p;
}

std::string axis_number(double v, double step) {
  char buf[64];
  if (std::abs(v) < step * 1e-6) v = 0;  // no "-0"
  if (step >= 1 || v == 0) {
    std::snprintf(buf, sizeof buf, "%.0f", v);
  } else {
    const int decimals = std::min(6, static_cast<int>(std::ceil(-std::log10(step))));
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  }
  return buf;
}

Multiple multiple(double from, double a, double step, int64_t max) {
  if (!std::isfinite(from) || !std::isfinite(a) || !(step > 0) || !std::isfinite(step) || from > a)
    return {};
  const double k0 = std::ceil(from / step), k1 = std::floor(a / step);
  if (!std::isfinite(k0) || !std::isfinite(k1) || k1 < k0 || k1 - k0 >= static_cast<double>(max) ||
      std::abs(k0) > 1e15 || std::abs(k1) > 1e15) {
    return {};
  }
  return {static_cast<int64_t>(k0), static_cast<int64_t>(k1 - k0) + 1};
}

bool touching(const Rect& a, const Rect& b) {
  return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1;
}

bool inside(const Rect& a, const Rect& b) {
  return a.x0 >= b.x0 && a.x1 <= b.x1 && a.y0 >= b.y0 && a.y1 <= b.y1;
}

std::vector<size_t> points_in_rects(const std::vector<Point>& points,
                                    const std::vector<Rect>& rects, bool open) {
  // The points with finite coordinates (no other lies in a rectangle), by x.
  std::vector<Point> sorted;
  sorted.reserve(points.size());
  for (const Point& p : points) {
    if (std::isfinite(p.x) && std::isfinite(p.y)) sorted.push_back(p);
  }
  std::sort(sorted.begin(), sorted.end(), [](const Point& a, const Point& b) { return a.x < b.x; });
  // Their y values by rank, for a Fenwick tree of counts.
  std::vector<double> ys;
  ys.reserve(sorted.size());
  for (const Point& p : sorted) ys.push_back(p.y);
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  std::vector<size_t> tree(ys.size() + 1, 0);
  const auto append = [&](double y) {
    for (size_t i = static_cast<size_t>(std::lower_bound(ys.begin(), ys.end(), y) - ys.begin()) + 1;
         i < tree.size(); i += i & (~i + 1)) {
      ++tree[i];
    }
  };
  const auto up_to = [&](size_t rank) {  // points met with a y rank below `rank`
    size_t n = 0;
    for (size_t i = rank; i > 0; i -= i & (~i + 1)) n += tree[i];
    return n;
  };
  // Points met so far with y within the rectangle's rows.
  const auto in_lines = [&](const Rect& r) -> size_t {
    const auto b = open ? std::upper_bound(ys.begin(), ys.end(), r.y0)
                        : std::lower_bound(ys.begin(), ys.end(), r.y0);
    const auto e = open ? std::lower_bound(ys.begin(), ys.end(), r.y1)
                        : std::upper_bound(ys.begin(), ys.end(), r.y1);
    if (e <= b) return 0;
    return up_to(static_cast<size_t>(e - ys.begin())) - up_to(static_cast<size_t>(b - ys.begin()));
  };
  // Each rectangle is asked twice: at its left edge, where the points met
  // before it are taken away, and at its right edge, where those met up to
  // it are added. The points on an edge are inside unless `open`: at the
  // left edge those before it are met (and at it when open), at the right
  // edge those up to it (before it when open). At one x the question that
  // meets fewer points comes first, so the points are met in one pass.
  struct Question {
    double x;
    bool right;
    size_t indice;
    bool equal(bool open) const { return right != open; }  // meets the points at x
  };
  std::vector<Question> questions;
  questions.reserve(2 * rects.size());
  for (size_t i = 0; i < rects.size(); ++i) {
    const Rect& r = rects[i];
    // Empty or not a number: no point inside.
    const bool empty = open ? !(r.x0 < r.x1 && r.y0 < r.y1) : !(r.x0 <= r.x1 && r.y0 <= r.y1);
    if (empty) continue;
    questions.push_back({r.x0, false, i});
    questions.push_back({r.x1, true, i});
  }
  std::sort(questions.begin(), questions.end(), [open](const Question& a, const Question& b) {
    return a.x < b.x || (a.x == b.x && !a.equal(open) && b.equal(open));
  });
  std::vector<size_t> counts(rects.size(), 0);  // the left edge's count is taken first: modulo 2^64
  size_t after = 0;                             // the points met so far: ordinati[0, dopo)
  for (const Question& d : questions) {
    // Left edge: the points strictly before it (at it too when open) are
    // outside. Right edge: those at it are inside unless open.
    const bool take_equal = d.equal(open);
    while (after < sorted.size() &&
           (sorted[after].x < d.x || (take_equal && sorted[after].x == d.x))) {
      append(sorted[after].y);
      ++after;
    }
    const size_t n = in_lines(rects[d.indice]);
    if (d.right) {
      counts[d.indice] += n;
    } else {
      counts[d.indice] -= n;
    }
  }
  return counts;
}

}  // namespace sc::plot_detail
