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

Multipli multipli(double da, double a, double passo, int64_t massimo) {
  if (!std::isfinite(da) || !std::isfinite(a) || !(passo > 0) || !std::isfinite(passo) || da > a) return {};
  const double k0 = std::ceil(da / passo), k1 = std::floor(a / passo);
  if (!std::isfinite(k0) || !std::isfinite(k1) || k1 < k0 || k1 - k0 >= static_cast<double>(massimo) ||
      std::abs(k0) > 1e15 || std::abs(k1) > 1e15) {
    return {};
  }
  return {static_cast<int64_t>(k0), static_cast<int64_t>(k1 - k0) + 1};
}

bool si_toccano(const Rett& a, const Rett& b) { return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1; }

bool dentro(const Rett& a, const Rett& b) { return a.x0 >= b.x0 && a.x1 <= b.x1 && a.y0 >= b.y0 && a.y1 <= b.y1; }

std::vector<size_t> punti_nei_rettangoli(const std::vector<Punto>& punti, const std::vector<Rett>& rettangoli,
                                         bool aperti) {
  // The points with finite coordinates (no other lies in a rectangle), by x.
  std::vector<Punto> ordinati;
  ordinati.reserve(punti.size());
  for (const Punto& p : punti) {
    if (std::isfinite(p.x) && std::isfinite(p.y)) ordinati.push_back(p);
  }
  std::sort(ordinati.begin(), ordinati.end(), [](const Punto& a, const Punto& b) { return a.x < b.x; });
  // Their y values by rank, for a Fenwick tree of counts.
  std::vector<double> ys;
  ys.reserve(ordinati.size());
  for (const Punto& p : ordinati) ys.push_back(p.y);
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  std::vector<size_t> albero(ys.size() + 1, 0);
  const auto aggiungi = [&](double y) {
    for (size_t i = static_cast<size_t>(std::lower_bound(ys.begin(), ys.end(), y) - ys.begin()) + 1;
         i < albero.size(); i += i & (~i + 1)) {
      ++albero[i];
    }
  };
  const auto fino_a = [&](size_t rango) {  // points met with a y rank below `rango`
    size_t n = 0;
    for (size_t i = rango; i > 0; i -= i & (~i + 1)) n += albero[i];
    return n;
  };
  // Points met so far with y within the rectangle's rows.
  const auto nelle_righe = [&](const Rett& r) -> size_t {
    const auto b = aperti ? std::upper_bound(ys.begin(), ys.end(), r.y0) : std::lower_bound(ys.begin(), ys.end(), r.y0);
    const auto e = aperti ? std::lower_bound(ys.begin(), ys.end(), r.y1) : std::upper_bound(ys.begin(), ys.end(), r.y1);
    if (e <= b) return 0;
    return fino_a(static_cast<size_t>(e - ys.begin())) - fino_a(static_cast<size_t>(b - ys.begin()));
  };
  // Each rectangle is asked twice: at its left edge, where the points met
  // before it are taken away, and at its right edge, where those met up to
  // it are added. The points on an edge are inside unless `aperti`: at the
  // left edge those before it are met (and at it when open), at the right
  // edge those up to it (before it when open). At one x the question that
  // meets fewer points comes first, so the points are met in one pass.
  struct Domanda {
    double x;
    bool destra;
    size_t indice;
    bool uguali(bool aperti) const { return destra != aperti; }  // meets the points at x
  };
  std::vector<Domanda> domande;
  domande.reserve(2 * rettangoli.size());
  for (size_t i = 0; i < rettangoli.size(); ++i) {
    const Rett& r = rettangoli[i];
    // Empty or not a number: no point inside.
    const bool vuoto = aperti ? !(r.x0 < r.x1 && r.y0 < r.y1) : !(r.x0 <= r.x1 && r.y0 <= r.y1);
    if (vuoto) continue;
    domande.push_back({r.x0, false, i});
    domande.push_back({r.x1, true, i});
  }
  std::sort(domande.begin(), domande.end(), [aperti](const Domanda& a, const Domanda& b) {
    return a.x < b.x || (a.x == b.x && !a.uguali(aperti) && b.uguali(aperti));
  });
  std::vector<size_t> conti(rettangoli.size(), 0);  // the left edge's count is taken first: modulo 2^64
  size_t dopo = 0;  // the points met so far: ordinati[0, dopo)
  for (const Domanda& d : domande) {
    // Left edge: the points strictly before it (at it too when open) are
    // outside. Right edge: those at it are inside unless open.
    const bool prendi_uguali = d.uguali(aperti);
    while (dopo < ordinati.size() && (ordinati[dopo].x < d.x || (prendi_uguali && ordinati[dopo].x == d.x))) {
      aggiungi(ordinati[dopo].y);
      ++dopo;
    }
    const size_t n = nelle_righe(rettangoli[d.indice]);
    if (d.destra) {
      conti[d.indice] += n;
    } else {
      conti[d.indice] -= n;
    }
  }
  return conti;
}

}  // namespace sc::plot_detail
