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

using Punti = std::vector<std::optional<Punto>>;

// No plan the compile writes comes near this far from its origin (a line
// is at most 1000 km long); a value beyond it is left out of the picture,
// as is one that is not a number, so the view and its grid stay finite.
constexpr double metri_piano_massimi = 1e8;

struct PuntiPiano {
  Punti punti;             // by metre
  std::vector<int32_t> precedente;  // the last metre at or before each one with a point; -1 for none
  size_t esclusi = 0;      // rows with both values that are not drawn
};

// The plan's rows that hold two finite values within reach, by metre.
PuntiPiano punti_piano(const Tracciato& t) {
  PuntiPiano p;
  p.punti.resize(static_cast<size_t>(std::max(0, t.righe())));
  p.precedente.assign(p.punti.size(), -1);
  int32_t ultimo = -1;
  for (size_t i = 0; i < p.punti.size(); ++i) {
    const Numero& cx = t.colonna(0)[i];
    const Numero& cy = t.colonna(1)[i];
    if (cx.tag != Numero::Tag::vuoto && cy.tag != Numero::Tag::vuoto) {
      const double x = cx.valore, y = cy.valore;
      if (std::abs(x) <= metri_piano_massimi && std::abs(y) <= metri_piano_massimi) {  // false for NaN
        p.punti[i] = Punto{x, y};
        ultimo = static_cast<int32_t>(i);
      } else {
        ++p.esclusi;
      }
    }
    p.precedente[i] = ultimo;
  }
  return p;
}

// The point of metre m, or the nearest point before it within 2000 m.
std::optional<Punto> punto_a(const PuntiPiano& p, double metri) {
  if (p.punti.empty() || !std::isfinite(metri)) return std::nullopt;
  const auto i = static_cast<int32_t>(std::llround(std::clamp(metri, 0.0, static_cast<double>(p.punti.size() - 1))));
  const int32_t j = p.precedente[static_cast<size_t>(i)];
  if (j < 0 || j <= i - 2000) return std::nullopt;
  return p.punti[static_cast<size_t>(j)];
}

// The extent of the points in metres, and the last metre that has one.
struct Estensione {
  double xmin = INFINITY, xmax = -INFINITY, ymin = INFINITY, ymax = -INFINITY;
  size_t ultimo = 0;
  bool vuota() const { return !(xmin <= xmax); }
};

Estensione estensione(const Punti& punti) {
  Estensione e;
  for (size_t i = 0; i < punti.size(); ++i) {
    if (!punti[i]) continue;
    e.xmin = std::min(e.xmin, punti[i]->x);
    e.xmax = std::max(e.xmax, punti[i]->x);
    e.ymin = std::min(e.ymin, punti[i]->y);
    e.ymax = std::max(e.ymax, punti[i]->y);
    e.ultimo = i;
  }
  return e;
}

// The frame of the plan in pixels and the metres it shows.
struct Vista {
  double xmin, xmax, ymin, ymax;  // metres
  double scala;                   // pixels per metre, the same across and up
  double ox, oy, larg, alt;       // the frame
  double px(double x) const { return ox + (x - xmin) * scala; }
  double py(double y) const { return oy + (ymax - y) * scala; }
  Rett cornice() const { return {ox, oy, ox + larg, oy + alt}; }
};

// The extent, widened so that neither side is thinner than 6 % of the
// other, with room for the names around it, fitted into the box below
// the title and beside the axis numbers.
Vista vista(Estensione e, double s, double bx0, double by0, double bx1, double by1) {
  const double lato = std::max({e.xmax - e.xmin, e.ymax - e.ymin, 100.0});
  const double minimo = lato * 0.06;
  const auto allarga = [minimo](double& da, double& a) {
    if (a - da < minimo) {
      const double m = (da + a) / 2;
      da = m - minimo / 2;
      a = m + minimo / 2;
    }
  };
  allarga(e.xmin, e.xmax);
  allarga(e.ymin, e.ymax);
  const double margine = lato * 0.07;  // room for the names
  e.xmin -= margine;
  e.xmax += margine;
  e.ymin -= margine;
  e.ymax += margine;
  const double ax0 = bx0 + 58 * s, ay0 = by0, ax1 = bx1, ay1 = by1 - 40 * s;
  const double scala = std::min((ax1 - ax0) / (e.xmax - e.xmin), (ay1 - ay0) / (e.ymax - e.ymin));
  return {e.xmin, e.xmax, e.ymin, e.ymax, scala, ax0, ay0, (e.xmax - e.xmin) * scala, (e.ymax - e.ymin) * scala};
}

// Grid and axes in kilometres, and the frame.
void griglia_piano(Tela& t, const Vista& v) {
  cairo_t* cr = t.cr();
  const double s = t.s();
  const double passo = passo_bello(std::max(v.xmax - v.xmin, v.ymax - v.ymin), 8);
  t.carattere(10);
  cairo_save(cr);
  const Multipli mx = multipli(v.xmin, v.xmax, passo, 1000), my = multipli(v.ymin, v.ymax, passo, 1000);
  for (int64_t k = 0; k < mx.quanti; ++k) {
    const double m = mx.valore(k) * passo;
    t.colore(griglia);
    t.linea(v.px(m), v.oy, v.px(m), v.oy + v.alt, 1);
    t.colore(grigio_testo);
    t.linea(v.px(m), v.oy + v.alt, v.px(m), v.oy + v.alt + 4 * s, 1);
    t.testo(v.px(m), v.oy + v.alt + 6 * s, numero_asse(m / 1000, passo / 1000), 0.5, 0);
  }
  for (int64_t k = 0; k < my.quanti; ++k) {
    const double m = my.valore(k) * passo;
    t.colore(griglia);
    t.linea(v.ox, v.py(m), v.ox + v.larg, v.py(m), 1);
    t.colore(grigio_testo);
    t.linea(v.ox - 4 * s, v.py(m), v.ox, v.py(m), 1);
    t.testo(v.ox - 6 * s, v.py(m), numero_asse(m / 1000, passo / 1000), 1, 0.5);
  }
  cairo_restore(cr);
  t.colore(grigio_testo);
  cairo_set_line_width(cr, 1 * s);
  cairo_rectangle(cr, v.ox, v.oy, v.larg, v.alt);
  cairo_stroke(cr);
  t.carattere(11);
  t.colore(nero);
  t.testo(v.ox + v.larg / 2, v.oy + v.alt + 22 * s, "x (km)", 0.5, 0);
  t.testo_verticale(v.ox - 44 * s, v.oy + v.alt / 2, "y (km)");
}

// Adds to the path a polyline through the points of metres `da` to `a`,
// dropping those closer than half a pixel to the one before; the points
// drawn are added to `disegnati` when it is given.
void traccia(cairo_t* cr, const Vista& v, const Punti& punti, double da, double a,
             std::vector<Punto>* disegnati) {
  bool aperta = false;
  double ux = 0, uy = 0;
  const size_t i0 = static_cast<size_t>(std::clamp(da, 0.0, static_cast<double>(punti.size() - 1)));
  const size_t i1 = static_cast<size_t>(std::clamp(a, 0.0, static_cast<double>(punti.size() - 1)));
  for (size_t i = i0; i <= i1; ++i) {
    if (!punti[i]) {
      aperta = false;
      continue;
    }
    const double x = v.px(punti[i]->x), y = v.py(punti[i]->y);
    if (!aperta) {
      cairo_move_to(cr, x, y);
      aperta = true;
    } else if (std::hypot(x - ux, y - uy) >= 0.5 || i == i1) {
      cairo_line_to(cr, x, y);
    } else {
      continue;
    }
    ux = x;
    uy = y;
    if (disegnati) disegnati->push_back({x, y});
  }
}

struct TaccaKm {
  double x, y, nx, ny;  // on the track; the unit normal to the right of travel
  size_t km;
};

// Kilometre ticks across the track; returns the numbered ones.
std::vector<TaccaKm> tacche_km(Tela& t, const Vista& v, const Punti& punti, size_t ultimo) {
  const double s = t.s();
  const double px_per_km = 1000 * v.scala;
  // Numbered ticks at least 60 units apart, minor ones at least 8.
  double ogni = 1;
  for (const double n : {1.0, 2.0, 5.0, 10.0, 20.0, 50.0, 100.0, 200.0, 500.0}) {
    ogni = n;
    if (px_per_km * n >= 60 * s) break;
  }
  double minori = ogni;
  for (const double n : {1.0, 2.0, 5.0, 10.0}) {
    if (px_per_km * n >= 8 * s) {
      minori = std::min(n, ogni);
      break;
    }
  }
  const auto direzione = [&](size_t i) -> std::optional<Punto> {
    const size_t a = i > 0 ? i - 1 : i, b = std::min(i + 1, punti.size() - 1);
    if (!punti[a] || !punti[b]) return std::nullopt;
    const double dx = v.px(punti[b]->x) - v.px(punti[a]->x), dy = v.py(punti[b]->y) - v.py(punti[a]->y);
    const double l = std::hypot(dx, dy);
    if (!(l > 0)) return std::nullopt;
    return Punto{dx / l, dy / l};
  };
  t.carattere(9.5);
  std::vector<TaccaKm> numerate;
  for (size_t km = 0; km * 1000 <= ultimo; ++km) {
    const bool numero = std::fmod(static_cast<double>(km), ogni) == 0;
    if (!numero && std::fmod(static_cast<double>(km), minori) != 0) continue;
    const size_t i = km * 1000;
    if (!punti[i]) continue;
    const auto d = direzione(i);
    if (!d) continue;
    const double x = v.px(punti[i]->x), y = v.py(punti[i]->y);
    const double nx = -d->y, ny = d->x;  // to the right of the direction of travel
    t.colore(nero);
    const double l = numero ? 7 * s : 4 * s;
    t.linea(x - nx * l, y - ny * l, x + nx * l, y + ny * l, numero ? 1.4 : 0.8);
    if (numero) numerate.push_back({x, y, nx, ny, km});
  }
  return numerate;
}

// Kilometre numbers to the right of the direction of travel, or to its
// left when that leaves the frame; each taken place is added to `occupati`.
void numeri_km(Tela& t, const std::vector<TaccaKm>& tacche, const Rett& cornice, std::vector<Rett>& occupati) {
  const double s = t.s();
  t.carattere(9.5);
  for (const TaccaKm& e : tacche) {
    const std::string et = std::to_string(e.km);
    const double w = t.larghezza(et), h = t.altezza_cifre();
    Rett r{};
    for (const double lato : {16.0, -16.0}) {
      const double cx = e.x + e.nx * lato * s, cy = e.y + e.ny * lato * s;
      r = {cx - w / 2 - 2 * s, cy - h / 2 - 2 * s, cx + w / 2 + 2 * s, cy + h / 2 + 2 * s};
      if (dentro(r, cornice)) break;
    }
    t.colore(grigio_testo);
    t.testo_su_fondo((r.x0 + r.x1) / 2, (r.y0 + r.y1) / 2, et, 0.5, 0.5);
    occupati.push_back(r);
  }
}

// The ten places around a station's ring `p` where its name may go, in
// the order of preference.
constexpr size_t posti_nome = 10;
std::array<Rett, posti_nome> posti_attorno(const Punto& p, double w, double h, double s) {
  const double g = 10 * s;
  const Punto angoli[posti_nome] = {
      {p.x + g, p.y - h / 2},     {p.x - g - w, p.y - h / 2}, {p.x - w / 2, p.y - g - h},
      {p.x - w / 2, p.y + g},     {p.x + g, p.y - g - h},     {p.x - g - w, p.y - g - h},
      {p.x + g, p.y + g},         {p.x - g - w, p.y + g},     {p.x + 2 * g, p.y - h / 2},
      {p.x - 2 * g - w, p.y - h / 2},
  };
  std::array<Rett, posti_nome> posti{};
  for (size_t n = 0; n < posti_nome; ++n) {
    posti[n] = {angoli[n].x - 2 * s, angoli[n].y - 2 * s, angoli[n].x + w + 2 * s, angoli[n].y + h + 2 * s};
  }
  return posti;
}

// The place for a station's name of the ten `posti` that costs least:
// leaving `riquadro` costs most, then meeting a taken place, then leaving
// the frame, then each track point covered (`coperti`, by place), then the
// order of the places.
Rett posto_nome(const Rett* posti, const size_t* coperti, const Rett& riquadro, const Rett& cornice,
                const std::vector<Rett>& occupati) {
  double migliore = INFINITY;
  Rett scelto{};
  for (size_t n = 0; n < posti_nome; ++n) {
    const Rett& r = posti[n];
    double costo = static_cast<double>(n);
    if (!dentro(r, riquadro)) costo += 100000;
    if (!dentro(r, cornice)) costo += 300;
    costo += 20 * static_cast<double>(coperti[n]);
    for (const Rett& o : occupati) {
      if (si_toccano(r, o)) costo += 1000;
    }
    if (costo < migliore) {
      migliore = costo;
      scelto = r;
    }
  }
  return scelto;
}

}  // namespace

double disegna_piano(Tela& t, const ScenarioCompilato& sc, const Contenuto& c, double bx0, double by0,
                     double bx1, double by1, bool solo_misura) {
  cairo_t* cr = t.cr();
  const double s = t.s();
  const PuntiPiano piano = punti_piano(sc.tracciato);
  const Punti& punti = piano.punti;
  const Estensione e = estensione(punti);
  if (!solo_misura) {
    t.carattere(13, true);
    t.colore(nero);
    t.testo(bx0, by0, "Plan view of the track", 0, 0);
    if (piano.esclusi > 0) {
      // The rows left out, named after the title.
      const double dopo = bx0 + t.larghezza("Plan view of the track") + 12 * s;
      t.carattere(10.5);
      t.colore(grigio_testo);
      t.testo(dopo, by0 + 2 * s,
              "(" + std::to_string(piano.esclusi) + (piano.esclusi == 1 ? " row" : " rows") +
                  " not drawn: a value not a number or beyond 100000 km)",
              0, 0);
    }
  }
  by0 += 24 * s;
  if (e.vuota()) {
    const std::string nessuno = "the track plan holds no points";
    t.carattere(12);
    if (!solo_misura) {
      t.colore(grigio_testo);
      t.testo(bx0, (by0 + by1) / 2, nessuno, 0, 0.5);
    }
    return bx0 + t.larghezza(nessuno);
  }
  const Vista v = vista(e, s, bx0, by0, bx1, by1);
  if (solo_misura) return v.ox + v.larg;
  griglia_piano(t, v);

  cairo_save(cr);
  cairo_rectangle(cr, v.ox, v.oy, v.larg, v.alt);
  cairo_clip(cr);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  // Tunnels as a grey casing under the track.
  t.colore(galleria_piano);
  cairo_set_line_width(cr, 7 * s);
  for (const Intervallo& g : c.gallerie) traccia(cr, v, punti, g.da, g.a, nullptr);
  cairo_stroke(cr);
  std::vector<Punto> binario_disegnato;
  t.colore(binario);
  cairo_set_line_width(cr, 2 * s);
  traccia(cr, v, punti, 0, static_cast<double>(punti.size() - 1), &binario_disegnato);
  cairo_stroke(cr);
  const std::vector<TaccaKm> tacche = tacche_km(t, v, punti, e.ultimo);
  // Signals as small dots, stations as rings.
  t.colore(segnale);
  for (const size_t i : c.segnali) {
    const auto p = punto_a(piano, static_cast<double>(i) * metri_cella);
    if (p) t.cerchio(v.px(p->x), v.py(p->y), 2.4);
  }
  cairo_fill(cr);
  std::vector<std::pair<const Stazione*, Punto>> anelli;
  for (const Stazione& st : c.stazioni) {
    const auto p = punto_a(piano, st.progressiva);
    if (!p) continue;
    const Punto q{v.px(p->x), v.py(p->y)};
    t.anello(q.x, q.y, 5.5, stazione, 2.5);
    anelli.push_back({&st, q});
  }
  cairo_restore(cr);

  // The axis numbers are taken; then the kilometre numbers, then the
  // station names, inside the frame if they can be.
  const Rett cornice = v.cornice();
  const Rett riquadro{bx0, by0 - 20 * s, bx1 + 50 * s, by1};
  std::vector<Rett> occupati = {{bx0, v.oy - 8 * s, v.ox - 1 * s, v.oy + v.alt + 8 * s},
                                {v.ox - 20 * s, v.oy + v.alt + 1 * s, v.ox + v.larg + 20 * s, by1}};
  numeri_km(t, tacche, cornice, occupati);
  t.carattere(11, true);
  // The track points each place would cover, for all stations in one sweep.
  std::vector<Rett> posti;
  std::vector<std::string> etichette;
  for (const auto& [st, p] : anelli) {
    etichette.push_back(st->nome.empty() ? std::to_string(st->numero) : st->nome);
    const double w = t.larghezza(etichette.back()), h = t.altezza_cifre() * 1.3;
    const std::array<Rett, posti_nome> attorno = posti_attorno(p, w, h, s);
    posti.insert(posti.end(), attorno.begin(), attorno.end());
  }
  const std::vector<size_t> coperti = punti_nei_rettangoli(binario_disegnato, posti, false);
  for (size_t k = 0; k < anelli.size(); ++k) {
    const Rett scelto =
        posto_nome(&posti[k * posti_nome], &coperti[k * posti_nome], riquadro, cornice, occupati);
    occupati.push_back(scelto);
    t.colore(stazione);
    t.testo_su_fondo(scelto.x0 + 2 * s, scelto.y0 + 2 * s, etichette[k], 0, 0);
  }
  return v.ox + v.larg;
}

}  // namespace sc::plot_detail
