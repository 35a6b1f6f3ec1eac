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
using palette::Colore;
using namespace palette;

// A text as an SVG <text> element holds it: the start of its baseline in
// the picture's pixels, its turn in degrees, its font and colour.
struct TestoSvg {
  double x, y, gradi;
  std::string testo;  // UTF-8
  double dimensione;
  bool grassetto;
  Colore colore;
};

// The <text> elements of `testi`, one per line, for the end of an SVG file.
std::string elementi_svg(const std::vector<TestoSvg>& testi);

// A Cairo context with the picture's scale `s`: line widths, font sizes and
// symbol sizes are given as at 1600x1000 and multiplied by it; positions
// are in pixels.
class Tela {
 public:
  Tela(cairo_t* cr, double scala);
  // With `testi`, texts are not drawn but gathered there (inside the
  // current clip only), to be written as text elements of an SVG file.
  Tela(cairo_t* cr, double scala, std::vector<TestoSvg>* testi) : Tela(cr, scala) { testi_ = testi; }
  cairo_t* cr() const { return cr_; }
  double s() const { return s_; }

  void colore(const Colore& c);
  void carattere(double dimensione, bool grassetto = false);
  double larghezza(const std::string& t);
  // Height of the digits and capitals of the current font.
  double altezza_cifre();

  // Text anchored at (x, y): ax 0 left, 0.5 centre, 1 right; ay 0 top,
  // 0.5 middle, 1 baseline.
  void testo(double x, double y, const std::string& t, double ax = 0, double ay = 1);
  // Text with a white box behind it.
  void testo_su_fondo(double x, double y, const std::string& t, double ax, double ay);
  // Text turned a quarter left, centred on (x, y).
  void testo_verticale(double x, double y, const std::string& t);

  void linea(double x1, double y1, double x2, double y2, double spessore);
  // Same with a dash of `pieno` on, `vuoto` off (scaled).
  void linea_tratteggiata(double x1, double y1, double x2, double y2, double spessore, double pieno,
                          double vuoto);
  void rettangolo(double x, double y, double w, double h);  // filled
  // Paths, for the caller to fill or stroke: a circle, a triangle pointing
  // up, a diamond and a square of (scaled) radius or half side r.
  void cerchio(double x, double y, double r);
  void triangolo(double x, double y, double r);
  void rombo(double x, double y, double r);
  void quadrato(double x, double y, double r);
  // A white disc with a coloured rim of width `spessore`.
  void anello(double x, double y, double r, const Colore& bordo, double spessore);

 private:
  double linea_base(double y, double ay);

  cairo_t* cr_;
  double s_;
  std::vector<TestoSvg>* testi_ = nullptr;
  double dimensione_ = 10;
  bool grassetto_ = false;
};

// 1, 2 or 5 times a power of ten, so that about `quanti` steps span `ampiezza`.
double passo_bello(double ampiezza, double quanti);

// The multiples k x passo of a grid that lie within [da, a]: the first k
// and how many, counted as integers so that a step too small to change
// the value cannot loop; none when the values are not finite or the count
// would pass `massimo` (a grid of so many lines says nothing).
struct Multipli {
  int64_t primo = 0, quanti = 0;
  double valore(int64_t i) const { return static_cast<double>(primo + i); }
};
Multipli multipli(double da, double a, double passo, int64_t massimo);

// An axis number with as many decimals as the step needs, never "-0".
std::string numero_asse(double v, double passo);

struct Punto {
  double x, y;
};

struct Rett {
  double x0, y0, x1, y1;
};

bool si_toccano(const Rett& a, const Rett& b);
// Whether `a` lies wholly inside `b`.
bool dentro(const Rett& a, const Rett& b);

// How many of `punti` lie in each of `rettangoli`: on its edges too, or
// (`aperti`) strictly inside. One sweep across x keeping a count of the y
// values met so far: (points + rectangles) x log time, whatever the layout.
std::vector<size_t> punti_nei_rettangoli(const std::vector<Punto>& punti, const std::vector<Rett>& rettangoli,
                                         bool aperti);

}  // namespace sc::plot_detail
