#include "plot/plot_draw.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace sc::plot_detail {

namespace {
constexpr const char* famiglia = "DejaVu Sans";
}  // namespace

Tela::Tela(cairo_t* cr, double scala) : cr_(cr), s_(scala) {
  cairo_select_font_face(cr_, famiglia, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
}

void Tela::colore(const Colore& c) { cairo_set_source_rgba(cr_, c.r, c.g, c.b, c.a); }

void Tela::carattere(double dimensione, bool grassetto) {
  cairo_select_font_face(cr_, famiglia, CAIRO_FONT_SLANT_NORMAL,
                         grassetto ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr_, dimensione * s_);
}

double Tela::larghezza(const std::string& t) {
  cairo_text_extents_t e;
  cairo_text_extents(cr_, t.c_str(), &e);
  return e.x_advance;
}

double Tela::altezza_cifre() {
  cairo_text_extents_t e;
  cairo_text_extents(cr_, "0", &e);
  return -e.y_bearing;
}

double Tela::linea_base(double y, double ay) {
  const double alto = altezza_cifre();
  if (ay == 0) return y + alto;
  if (ay == 0.5) return y + alto / 2;
  return y;
}

void Tela::testo(double x, double y, const std::string& t, double ax, double ay) {
  cairo_move_to(cr_, x - larghezza(t) * ax, linea_base(y, ay));
  cairo_show_text(cr_, t.c_str());
}

void Tela::testo_su_fondo(double x, double y, const std::string& t, double ax, double ay) {
  const double base = linea_base(y, ay);
  const double alto = altezza_cifre();
  const double w = larghezza(t);
  cairo_save(cr_);
  cairo_set_source_rgba(cr_, 1, 1, 1, 0.85);
  cairo_rectangle(cr_, x - w * ax - 2 * s_, base - alto - 2.5 * s_, w + 4 * s_, alto * 1.3 + 4.5 * s_);
  cairo_fill(cr_);
  cairo_restore(cr_);
  testo(x, y, t, ax, ay);
}

void Tela::testo_verticale(double x, double y, const std::string& t) {
  cairo_save(cr_);
  cairo_translate(cr_, x, y);
  cairo_rotate(cr_, -M_PI / 2);
  testo(0, 0, t, 0.5, 0.5);
  cairo_restore(cr_);
}

void Tela::linea(double x1, double y1, double x2, double y2, double spessore) {
  cairo_set_line_width(cr_, spessore * s_);
  cairo_move_to(cr_, x1, y1);
  cairo_line_to(cr_, x2, y2);
  cairo_stroke(cr_);
}

void Tela::linea_tratteggiata(double x1, double y1, double x2, double y2, double spessore, double pieno,
                              double vuoto) {
  const double trattini[] = {pieno * s_, vuoto * s_};
  cairo_set_dash(cr_, trattini, 2, 0);
  linea(x1, y1, x2, y2, spessore);
  cairo_set_dash(cr_, nullptr, 0, 0);
}

void Tela::rettangolo(double x, double y, double w, double h) {
  cairo_rectangle(cr_, x, y, w, h);
  cairo_fill(cr_);
}

void Tela::cerchio(double x, double y, double r) {
  cairo_new_sub_path(cr_);
  cairo_arc(cr_, x, y, r * s_, 0, 2 * M_PI);
}

void Tela::triangolo(double x, double y, double r) {
  cairo_move_to(cr_, x, y - r * s_);
  cairo_line_to(cr_, x + r * s_ * 0.9, y + r * s_ * 0.7);
  cairo_line_to(cr_, x - r * s_ * 0.9, y + r * s_ * 0.7);
  cairo_close_path(cr_);
}

void Tela::rombo(double x, double y, double r) {
  cairo_move_to(cr_, x, y - r * s_);
  cairo_line_to(cr_, x + r * s_, y);
  cairo_line_to(cr_, x, y + r * s_);
  cairo_line_to(cr_, x - r * s_, y);
  cairo_close_path(cr_);
}

void Tela::quadrato(double x, double y, double r) {
  cairo_rectangle(cr_, x - r * s_, y - r * s_, 2 * r * s_, 2 * r * s_);
}

void Tela::anello(double x, double y, double r, const Colore& bordo, double spessore) {
  colore(bianco);
  cerchio(x, y, r);
  cairo_fill_preserve(cr_);
  colore(bordo);
  cairo_set_line_width(cr_, spessore * s_);
  cairo_stroke(cr_);
}

double passo_bello(double ampiezza, double quanti) {
  if (!(ampiezza > 0) || !std::isfinite(ampiezza)) return 1;
  const double grezzo = ampiezza / quanti;
  const double p = std::pow(10.0, std::floor(std::log10(grezzo)));
  for (const double m : {1.0, 2.0, 5.0, 10.0}) {
    if (grezzo <= m * p) return m * p;
  }
  return 10 * p;
}

std::string numero_asse(double v, double passo) {
  char buf[64];
  if (std::abs(v) < passo * 1e-6) v = 0;  // no "-0"
  if (passo >= 1 || v == 0) {
    std::snprintf(buf, sizeof buf, "%.0f", v);
  } else {
    const int decimali = std::min(6, static_cast<int>(std::ceil(-std::log10(passo))));
    std::snprintf(buf, sizeof buf, "%.*f", decimali, v);
  }
  return buf;
}

bool si_toccano(const Rett& a, const Rett& b) { return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1; }

bool dentro(const Rett& a, const Rett& b) { return a.x0 >= b.x0 && a.x1 <= b.x1 && a.y0 >= b.y0 && a.y1 <= b.y1; }

}  // namespace sc::plot_detail
