// Drawing helpers of the scenario picture: a canvas that
// scales lines and text with the picture, axis steps and numbers, and the
// rectangles that label placement checks for overlap.
#pragma once

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "plot/palette.h"

namespace sc::plot_detail {

// The picture's colours are the palette's.
using palette::Color;
using namespace palette;

// A text as an SVG <text> element holds it: the start of its baseline in
// the picture's pixels, its turn in degrees, its font and colour.
struct SvgText {
  double x, y, degrees;
  std::string text;  // UTF-8
  double size;
  bool bold;
  Color color;
};

// The <text> elements of `texts`, one per line, for the end of an SVG file.
std::string elementi_svg(const std::vector<SvgText>& texts);

// A Cairo context with the picture's scale `s`: line widths, font sizes and
// symbol sizes are given as at 1600x1000 and multiplied by it; positions
// are in pixels.
class Canvas {
 public:
  Canvas(cairo_t* cr, double scale);
  // With `texts`, texts are not drawn but gathered there (inside the
  // current clip only), to be written as text elements of an SVG file.
  Canvas(cairo_t* cr, double scale, std::vector<SvgText>* texts) : Canvas(cr, scale) {
    texts_ = texts;
  }
  cairo_t* cr() const { return cr_; }
  double s() const { return s_; }

  void color(const Color& c);
  void ch(double size, bool bold = false);
  double width(const std::string& t);
  // Height of the digits and capitals of the current font.
  double digit_height();

  // Text anchored at (x, y): ax 0 left, 0.5 centre, 1 right; ay 0 top,
  // 0.5 middle, 1 baseline.
  void text(double x, double y, const std::string& t, double ax = 0, double ay = 1);
  // Text with a white box behind it.
  void text_on_background(double x, double y, const std::string& t, double ax, double ay);
  // Text turned a quarter left, centred on (x, y).
  void vertical_text(double x, double y, const std::string& t);

  void linea(double x1, double y1, double x2, double y2, double thickness);
  // Same with a dash of `full` on, `empty` off (scaled).
  void dashed_stroke(double x1, double y1, double x2, double y2, double thickness, double full,
                     double empty);
  void rect(double x, double y, double w, double h);  // filled
  // Paths, for the caller to fill or stroke: a circle, a triangle pointing
  // up, a diamond and a square of (scaled) radius or half side r.
  void circle(double x, double y, double r);
  void triangle(double x, double y, double r);
  void diamond(double x, double y, double r);
  void square(double x, double y, double r);
  // A white disc with a coloured rim of width `thickness`.
  void ring(double x, double y, double r, const Color& border, double thickness);

 private:
  double linea_base(double y, double ay);

  cairo_t* cr_;
  double s_;
  std::vector<SvgText>* texts_ = nullptr;
  double size_ = 10;
  bool bold_ = false;
};

// 1, 2 or 5 times a power of ten, so that about `how_many` steps span `span`.
double nice_step(double span, double how_many);

// The multiples k x passo of a grid that lie within [da, a]: the first k
// and how many, counted as integers so that a step too small to change
// the value cannot loop; none when the values are not finite or the count
// would pass `max` (a grid of so many lines says nothing).
struct Multiple {
  int64_t first = 0, how_many = 0;
  double valore(int64_t i) const { return static_cast<double>(first + i); }
};
Multiple multiple(double from, double a, double step, int64_t max);

// An axis number with as many decimals as the step needs, never "-0".
std::string axis_number(double v, double step);

struct Point {
  double x, y;
};

struct Rect {
  double x0, y0, x1, y1;
};

bool touching(const Rect& a, const Rect& b);
// Whether `a` lies wholly inside `b`.
bool inside(const Rect& a, const Rect& b);

// How many of `points` lie in each of `rects`: on its edges too, or
// (`open`) strictly inside. One sweep across x keeping a count of the y
// values met so far: (points + rectangles) x log time, whatever the layout.
std::vector<size_t> points_in_rects(const std::vector<Point>& points,
                                    const std::vector<Rect>& rects, bool open);

}  // namespace sc::plot_detail
