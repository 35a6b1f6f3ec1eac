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
#include "format/posizioni.h"
#include "plot/plot_internal.h"

namespace sc::plot_detail {

namespace {

double kmh(const Cella& c) { return c.velocita * 5.0; }
double per_mille(const Cella& c) { return c.pendenza - 100.0; }
double metri(size_t cella) { return static_cast<double>(cella) * metri_cella; }

constexpr int righe_marche = 5;

// Where everything goes: metres across, speed in the upper panel, the rows
// of marks, gradient in the lower panel.
struct Profilo {
  double gx0, gx1, inizio, fine;  // the panels' left and right edges; metres shown
  double nomi;               // baseline of the station names
  double v0, v1;             // speed panel, top and bottom
  double m0, riga_marche;    // rows of marks: top, height of one row
  double p0, p1;             // gradient panel, top and bottom
  size_t mostrate;           // cells shown
  double vmax, vpasso, gmax, gpasso;

  // Metres outside [inizio, fine] fall outside the panels, where the clip
  // of the profile (clip_pannelli) hides them.
  double X(double m) const { return gx0 + (m - inizio) / (fine - inizio) * (gx1 - gx0); }
  bool visibile(double m) const { return m >= inizio && m <= fine; }
  double V(double v) const { return v1 - std::clamp(v, 0.0, vmax) / vmax * (v1 - v0); }
  double G(double g) const { return (p0 + p1) / 2 - std::clamp(g, -gmax, gmax) / gmax * (p1 - p0) / 2; }
  double riga_y(int r) const { return m0 + (r + 0.5) * riga_marche; }
};

Profilo profilo(const ScenarioCompilato& sc, const Contenuto& c, double s, double gx0, double gy0,
                double gx1, double gy1) {
  const auto& celle = sc.celle;
  Profilo p{};
  p.gx0 = gx0;
  p.gx1 = gx1;
  p.inizio = c.inizio_profilo;
  p.fine = std::max(c.fine_profilo, c.inizio_profilo + metri_cella);
  // Vertical layout: station names, speed, marks, gradient.
  p.nomi = gy0 + 34 * s;
  const double resto = gy1 - p.nomi;
  p.riga_marche = 17 * s;
  p.v0 = p.nomi + 4 * s;
  p.v1 = p.v0 + (resto - righe_marche * p.riga_marche - 8 * s) * 0.55;
  p.m0 = p.v1 + 4 * s;
  p.p0 = p.m0 + righe_marche * p.riga_marche + 4 * s;
  p.p1 = gy1;

  p.mostrate = std::min(celle.size(), static_cast<size_t>(std::ceil(p.fine / metri_cella)));
  // Value ranges: every speed shown, and a little room above.
  double vmax = 50;
  for (size_t i = 0; i < p.mostrate; ++i) vmax = std::max(vmax, kmh(celle[i]));
  for (const Rallentamento& r : c.rallentamenti) vmax = std::max(vmax, static_cast<double>(r.velocita));
  for (const size_t i : c.codici) {
    if (celle[i].tipo == tipo_cella::codice) vmax = std::max(vmax, static_cast<double>(celle[i].valore_1));
  }
  p.vpasso = passo_bello(vmax, 5);
  p.vmax = std::ceil(vmax * 1.08 / p.vpasso) * p.vpasso;
  double gmax = 5;
  for (size_t i = 0; i < p.mostrate; ++i) gmax = std::max(gmax, std::abs(per_mille(celle[i])));
  p.gpasso = passo_bello(2 * gmax, 4);
  p.gmax = std::ceil(gmax * 1.05 / p.gpasso) * p.gpasso;
  return p;
}

// Bands behind everything: tunnels and stations.
void bande(Tela& t, const Profilo& p, const Contenuto& c) {
  const double s = t.s();
  for (const Intervallo& g : c.gallerie) {
    t.colore(galleria);
    t.rettangolo(p.X(g.da), p.v0, std::max(p.X(g.a) - p.X(g.da), 0.8 * s), p.p1 - p.v0);
  }
  for (const Stazione& st : c.stazioni) {
    const double a = p.X(std::min(st.inizio, st.fine)), b = p.X(std::max(st.inizio, st.fine));
    t.colore(stazione_banda);
    t.rettangolo(a, p.v0, std::max(b - a, 2 * s), p.p1 - p.v0);
    t.colore(stazione);
    t.linea(p.X(st.progressiva), p.v0, p.X(st.progressiva), p.p1, 1);
  }
}

// Grid lines and the axes of both panels.
void griglia_profilo(Tela& t, const Profilo& p) {
  cairo_t* cr = t.cr();
  const double s = t.s();
  const double kmpasso = passo_bello((p.fine - p.inizio) / 1000, 14);
  t.carattere(10);
  const Multipli mkm = multipli(p.inizio / 1000, (p.fine + 1e-6) / 1000, kmpasso, 1000);
  for (int64_t k = 0; k < mkm.quanti; ++k) {
    const double km = mkm.valore(k) * kmpasso;
    const double x = p.X(km * 1000);
    t.colore(griglia);
    t.linea(x, p.v0, x, p.v1, 1);
    t.linea(x, p.p0, x, p.p1, 1);
    t.colore(grigio_testo);
    t.linea(x, p.p1, x, p.p1 + 4 * s, 1);
    t.testo(x, p.p1 + 6 * s, numero_asse(km, kmpasso), 0.5, 0);
  }
  const Multipli mv = multipli(0, p.vmax + 1e-9, p.vpasso, 1000);
  for (int64_t k = 0; k < mv.quanti; ++k) {
    const double v = mv.valore(k) * p.vpasso;
    t.colore(griglia);
    t.linea(p.gx0, p.V(v), p.gx1, p.V(v), 1);
    t.colore(grigio_testo);
    t.testo(p.gx0 - 6 * s, p.V(v), numero_asse(v, p.vpasso), 1, 0.5);
  }
  const Multipli mg = multipli(-p.gmax - 1e-9, p.gmax + 1e-9, p.gpasso, 1000);
  for (int64_t k = 0; k < mg.quanti; ++k) {
    const double g = mg.valore(k) * p.gpasso;
    t.colore(g == 0 ? Colore{0.6, 0.6, 0.62} : griglia);
    t.linea(p.gx0, p.G(g), p.gx1, p.G(g), 1);
    t.colore(grigio_testo);
    t.testo(p.gx0 - 6 * s, p.G(g), numero_asse(g, p.gpasso), 1, 0.5);
  }
  t.colore(grigio_testo);
  cairo_set_line_width(cr, 1 * s);
  cairo_rectangle(cr, p.gx0, p.v0, p.gx1 - p.gx0, p.v1 - p.v0);
  cairo_rectangle(cr, p.gx0, p.p0, p.gx1 - p.gx0, p.p1 - p.p0);
  cairo_stroke(cr);
  t.carattere(11);
  t.colore(nero);
  t.testo_verticale(p.gx0 - 50 * s, (p.v0 + p.v1) / 2, "speed (km/h)");
  t.testo_verticale(p.gx0 - 50 * s, (p.p0 + p.p1) / 2, "gradient (\u2030)");
  t.testo((p.gx0 + p.gx1) / 2, p.p1 + 22 * s, "distance along the line (km)", 0.5, 0);
}

// Adds to the path one step per cell shown, at the height `y(cella)`.
template <typename Y>
void gradini(cairo_t* cr, const Profilo& p, const std::vector<Cella>& celle, Y&& y) {
  for (size_t i = 0; i < p.mostrate; ++i) {
    const double h = y(celle[i]);
    cairo_line_to(cr, p.X(metri(i)), h);
    cairo_line_to(cr, p.X(metri(i) + metri_cella), h);
  }
}

// Gradient as the area between zero and the value of every cell; the
// speed limit as steps.
void curve(Tela& t, const Profilo& p, const std::vector<Cella>& celle) {
  if (p.mostrate == 0) return;
  cairo_t* cr = t.cr();
  const double s = t.s();
  cairo_move_to(cr, p.X(0), p.G(0));
  gradini(cr, p, celle, [&](const Cella& c) { return p.G(per_mille(c)); });
  cairo_line_to(cr, p.X(metri(p.mostrate)), p.G(0));
  cairo_close_path(cr);
  t.colore(pendenza_area);
  cairo_fill_preserve(cr);
  t.colore(pendenza);
  cairo_set_line_width(cr, 1.2 * s);
  cairo_stroke(cr);

  t.colore(velocita);
  cairo_set_line_width(cr, 2 * s);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
  cairo_move_to(cr, p.X(0), p.V(kmh(celle[0])));
  gradini(cr, p, celle, [&](const Cella& c) { return p.V(kmh(c)); });
  cairo_stroke(cr);
}

// Restrictions at their speed, with their speed written at the start.
void rallentamenti(Tela& t, const Profilo& p, const Contenuto& c) {
  const double s = t.s();
  for (const Rallentamento& r : c.rallentamenti) {
    t.colore(rallentamento);
    const double y = p.V(r.velocita);
    t.linea(p.X(r.da), y, std::max(p.X(r.a), p.X(r.da) + 3 * s), y, 4);
    t.linea(p.X(r.da), y - 6 * s, p.X(r.da), y + 6 * s, 1.5);
    t.linea(p.X(r.a), y - 6 * s, p.X(r.a), y + 6 * s, 1.5);
    t.carattere(9.5, true);
    t.testo_su_fondo(p.X(r.da), y - 8 * s, std::to_string(r.velocita), 0, 1);
  }
}

// Cab-code points at their speed, numbered right or left of the point
// where the number meets no other number nor point and stays in the panel.
void codici(Tela& t, const Profilo& p, const Contenuto& c, const std::vector<Cella>& celle) {
  cairo_t* cr = t.cr();
  const double s = t.s();
  const double mezzo = 5 * s;  // half the side of a point's diamond
  struct Codice {
    double x, y;
    std::string et;
    double w;
  };
  std::vector<Codice> cc;
  for (const size_t j : c.codici) {
    if (celle[j].tipo != tipo_cella::codice) continue;
    cc.push_back({p.X(metri(j)), p.V(celle[j].valore_1), std::to_string(celle[j].valore_1), 0});
  }
  t.carattere(9.5, true);
  const double h = t.altezza_cifre();
  double w_max = 0;
  for (Codice& k : cc) w_max = std::max(w_max, k.w = t.larghezza(k.et));
  // The two places of each number, right then left of its point, and the
  // points each would meet: a diamond meets the place when its centre lies
  // within the place widened by half a diamond.
  const auto posto = [&](const Codice& k, int lato) {
    const double dx = lato == 0 ? 7 * s : -7 * s - k.w;
    return Rett{k.x + dx - 1 * s, k.y - h / 2 - 1 * s, k.x + dx + k.w + 1 * s, k.y + h / 2 + 1 * s};
  };
  std::vector<Punto> centri;
  std::vector<Rett> allargati;
  for (const Codice& k : cc) {
    centri.push_back({k.x, k.y});
    for (int lato = 0; lato < 2; ++lato) {
      const Rett r = posto(k, lato);
      allargati.push_back({r.x0 - mezzo, r.y0 - mezzo, r.x1 + mezzo, r.y1 + mezzo});
    }
  }
  const std::vector<size_t> rombi = punti_nei_rettangoli(centri, allargati, true);
  // The numbers placed, by the x of their points (which only grows): a
  // number reaches at most w_max + 8s from its point, so only those of the
  // points from there on can meet a new one, and as they never overlap,
  // no more of them fit there than the panel has room for.
  std::vector<Rett> numeri;
  std::vector<double> da_x;
  for (size_t n = 0; n < cc.size(); ++n) {
    const Codice& k = cc[n];
    t.colore(codice);
    t.rombo(k.x, k.y, 5);
    cairo_fill(cr);
    for (int lato = 0; lato < 2; ++lato) {
      const Rett r = posto(k, lato);
      if (!(r.x0 >= p.gx0 && r.x1 <= p.gx1) || rombi[2 * n + static_cast<size_t>(lato)] > 0) continue;
      const auto primo = std::lower_bound(da_x.begin(), da_x.end(), r.x0 - w_max - 9 * s);
      bool libero = true;
      for (size_t m = static_cast<size_t>(primo - da_x.begin()); m < numeri.size() && libero; ++m) {
        libero = !si_toccano(r, numeri[m]);
      }
      if (libero) {
        t.testo_su_fondo(r.x0 + 1 * s, k.y, k.et, 0, 0.5);
        numeri.push_back(r);
        da_x.push_back(k.x);
        break;
      }
    }
  }
}

// A dashed line where the line ends, when it ends before the profile does.
void fine_della_linea(Tela& t, const Profilo& p, const Contenuto& c) {
  if (!(c.lunghezza_linea > 0 && c.lunghezza_linea < p.fine)) return;
  const double s = t.s();
  const double x = p.X(c.lunghezza_linea);
  t.colore(fine_linea);
  t.linea_tratteggiata(x, p.nomi, x, p.p1, 1.3, 5, 4);
  t.carattere(9.5);
  t.testo_su_fondo(x - 4 * s, p.v0 + 4 * s, "end of the line", 1, 0);
}

// The rows of marks between the panels, named on the left.
void righe_di_marche(Tela& t, const Profilo& p) {
  const double s = t.s();
  const char* nomi[righe_marche] = {"signals", "cab codes", "restrictions", "boards", "curves"};
  t.carattere(10);
  for (int r = 0; r < righe_marche; ++r) {
    t.colore(r % 2 == 0 ? Colore{0.96, 0.96, 0.97} : Colore{1, 1, 1});
    t.rettangolo(p.gx0, p.m0 + r * p.riga_marche, p.gx1 - p.gx0, p.riga_marche);
    t.colore(grigio_testo);
    t.testo(p.gx0 - 6 * s, p.riga_y(r), nomi[r], 1, 0.5);
  }
}

// The marks in their rows; speed boards with their speeds, indication
// boards with their texts, where the label meets no other.
void marche(Tela& t, const Profilo& p, const Contenuto& c, const ScenarioCompilato& sc) {
  const std::vector<Cella>& celle = sc.celle;
  cairo_t* cr = t.cr();
  const double s = t.s();
  // Each mark where the description places it (see format/posizioni.h).
  const auto x_di = [&](size_t i) { return p.X(static_cast<double>(metri_descrizione(celle[i], i))); };
  t.colore(segnale);
  for (const size_t i : c.segnali) t.triangolo(x_di(i), p.riga_y(0), 5);
  cairo_fill(cr);
  for (const size_t i : c.codici) {
    t.colore(codice);
    t.rombo(p.X(metri(i)), p.riga_y(1), 5);
    if (celle[i].tipo == tipo_cella::codice) {
      cairo_fill(cr);
    } else {  // a cab-code point without a speed: hollow
      cairo_set_line_width(cr, 1.3 * s);
      cairo_stroke(cr);
    }
  }
  t.colore(rallentamento);
  for (const Rallentamento& r : c.rallentamenti) {
    t.rettangolo(p.X(r.da), p.riga_y(2) - 3 * s, std::max(p.X(r.a) - p.X(r.da), 2 * s), 6 * s);
  }
  for (const size_t i : c.avvisi_rall) t.triangolo(x_di(i), p.riga_y(2), 5);
  cairo_fill(cr);
  // Speed-indicator boards filled, indication boards hollow.
  t.colore(cartello);
  for (const size_t i : c.cartelli_v) t.quadrato(x_di(i), p.riga_y(3), 3.5);
  cairo_fill(cr);
  cairo_set_line_width(cr, 1.3 * s);
  for (const size_t i : c.cartelli_testo) t.quadrato(x_di(i), p.riga_y(3), 3.5);
  cairo_stroke(cr);
  // Labels, left to right, each right of its board when it meets nothing.
  std::vector<std::pair<size_t, std::string>> etichette;
  for (const size_t i : c.cartelli_v) {
    const Cella& b = celle[i];
    etichette.emplace_back(i, velocita_cartello(b));
  }
  for (const size_t i : c.cartelli_testo) {
    const int r = celle[i].valore_1;
    if (r >= 0 && static_cast<size_t>(r) < sc.elementi.size())
      etichette.emplace_back(i, testo_su_una_riga(utf8_da_1252(sc.elementi[static_cast<size_t>(r)].nome)));
  }
  std::sort(etichette.begin(), etichette.end());
  t.carattere(8.5);
  t.colore(cartello);
  double libero_da = -INFINITY;
  for (size_t k = 0; k < etichette.size(); ++k) {
    const auto& [i, et] = etichette[k];
    const double x = x_di(i) + 6 * s, w = t.larghezza(et);
    // Up to the next board's mark, or the panel's edge.
    const double fino = k + 1 < etichette.size() ? x_di(etichette[k + 1].first) - 6 * s : p.gx1;
    if (x < libero_da || x + w > fino) continue;
    t.testo(x, p.riga_y(3), et, 0, 0.5);
    libero_da = x + w + 6 * s;
  }
}

// The curve stretches of the plan in the last row: right curves as bars
// above its middle, left ones below, labelled with radius and side ("R 2500
// d", "R 500 s") where the label fits inside the bar.
void curve_del_piano(Tela& t, const Profilo& p, const Contenuto& c) {
  const double s = t.s();
  const double y = p.riga_y(4);
  t.carattere(7.5);
  for (const TrattoCurva& k : c.curve) {
    if (k.a < p.inizio || k.da > p.fine) continue;
    const bool destra = k.lato == LatoCurva::destra;
    const double x0 = p.X(k.da), x1 = p.X(k.a);
    const double w = std::max(x1 - x0, 1.5 * s);
    t.colore(destra ? curva_destra : curva_sinistra);
    t.rettangolo(x0, destra ? y - 8 * s : y, w, 8 * s);
    const std::string et = "R " + std::to_string(k.raggio) + (destra ? " d" : " s");
    // The visible part of the bar.
    const double v0 = std::max(x0, p.gx0), v1 = std::min(x0 + w, p.gx1);
    if (t.larghezza(et) + 4 * s > v1 - v0) continue;
    t.colore(bianco);
    t.testo((v0 + v1) / 2, destra ? y - 4 * s : y + 4 * s, et, 0.5, 0.5);
  }
}

// Where the compile stopped at a fault: a red line and what it means.
void arresto(Tela& t, const Profilo& p, const Contenuto& c) {
  if (!c.arresto || !p.visibile(*c.arresto)) return;
  const double s = t.s();
  const double x = p.X(*c.arresto);
  t.colore(guasto);
  t.linea(x, p.nomi - 10 * s, x, p.p1, 2.5);
  t.carattere(10, true);
  t.testo_su_fondo(x + 4 * s, (p.v0 + p.v1) / 2, "compile stopped at a fault", 0, 0.5);
}

// Clips the drawing to the panels' width.
void clip_pannelli(Tela& t, const Profilo& p) {
  cairo_save(t.cr());
  cairo_rectangle(t.cr(), p.gx0, p.nomi - 40 * t.s(), p.gx1 - p.gx0, p.p1 - p.nomi + 40 * t.s());
  cairo_clip(t.cr());
}

// Station names above the speed panel, on two lines when they would meet;
// those that would still meet another are left out.
void nomi_stazioni(Tela& t, const Profilo& p, const Contenuto& c) {
  const double s = t.s();
  t.carattere(10.5, true);
  double fine_riga[2] = {-INFINITY, -INFINITY};
  for (const Stazione& st : c.stazioni) {
    if (!p.visibile(st.progressiva)) continue;
    const std::string et = st.nome.empty() ? "station " + std::to_string(st.numero) : st.nome;
    const double w = t.larghezza(et);
    // Centred on the station, kept within the page; a name wider than the
    // page starts at its left end.
    const double sinistra = p.gx0 - 40 * s;
    const double x = std::clamp(p.X(st.progressiva) - w / 2, sinistra, std::max(sinistra, p.gx1 + 20 * s - w));
    // A name that fits on neither line is left out rather than drawn over another.
    if (x <= fine_riga[0] && x <= fine_riga[1]) continue;
    const int r = x > fine_riga[0] ? 0 : 1;
    t.colore(stazione);
    t.testo(x, r == 0 ? p.nomi - 2 * s : p.nomi - 18 * s, et, 0, 1);
    fine_riga[r] = x + w + 8 * s;
  }
}

}  // namespace

void disegna_profilo(Tela& t, const ScenarioCompilato& sc, const Contenuto& c, double gx0, double gy0,
                     double gx1, double gy1) {
  const double s = t.s();
  t.carattere(13, true);
  t.colore(nero);
  t.testo(gx0 - 70 * s, gy0, "Profile along the line", 0, 0);
  const Profilo p = profilo(sc, c, s, gx0, gy0 + 22 * s, gx1, gy1);
  clip_pannelli(t, p);
  bande(t, p, c);
  cairo_restore(t.cr());
  griglia_profilo(t, p);
  righe_di_marche(t, p);
  clip_pannelli(t, p);
  curve(t, p, sc.celle);
  rallentamenti(t, p, c);
  codici(t, p, c, sc.celle);
  fine_della_linea(t, p, c);
  marche(t, p, c, sc);
  curve_del_piano(t, p, c);
  arresto(t, p, c);
  cairo_restore(t.cr());
  nomi_stazioni(t, p, c);
}

}  // namespace sc::plot_detail
