#include "app/plot.h"

#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>

#include "app/compiled_decode.h"
#include "compiler/testo.h"

namespace sc {
namespace {

namespace fs = std::filesystem;

// ---------------------------------------------------------------- files

std::string elenco(const std::vector<fs::path>& files) {
  std::string s;
  for (const fs::path& f : files) s += (s.empty() ? "" : ", ") + f.string();
  return s;
}

FileCompilati trova_in_cartella(const fs::path& cartella) {
  std::vector<fs::path> sim, piani;
  std::map<std::string, fs::path> dat;
  std::error_code ec;
  for (const auto& voce : fs::directory_iterator(cartella, ec)) {
    if (!voce.is_regular_file(ec)) continue;
    const std::string nome = voce.path().filename().string();
    const auto tipo = riconosci_file(nome);
    if (!tipo) continue;
    if (*tipo == FileCompilato::elementi) sim.push_back(voce.path());
    if (*tipo == FileCompilato::tracciato) piani.push_back(voce.path());
    if (*tipo == FileCompilato::celle) dat[nome] = voce.path();
  }
  if (ec) throw std::runtime_error("cannot list " + cartella.string() + ": " + ec.message());
  std::sort(sim.begin(), sim.end());
  if (sim.empty()) {
    throw std::invalid_argument(cartella.string() + " holds no compiled element table (NAME_NUMBER.sim)");
  }
  if (sim.size() > 1) {
    throw std::invalid_argument(cartella.string() + " holds several scenarios (" + elenco(sim) +
                                "); name the three files of one of them instead");
  }
  FileCompilati f;
  f.elementi = sim.front();
  const std::string base = f.elementi.stem().string();  // NAME_NUMBER
  const auto celle = dat.find(base + ".dat");
  if (celle == dat.end()) {
    throw std::invalid_argument(cartella.string() + " holds " + f.elementi.filename().string() +
                                " but not its cells file " + base + ".dat");
  }
  f.celle = celle->second;
  // The plan is NAME_linea.dat, where NAME_ begins NAME_NUMBER; the longest
  // such NAME wins.
  size_t migliore = 0;
  for (const fs::path& p : piani) {
    const std::string nome = p.filename().string();
    const std::string scenario = nome.substr(0, nome.size() - std::string("_linea.dat").size());
    if (base.size() > scenario.size() + 1 && base.compare(0, scenario.size() + 1, scenario + "_") == 0 &&
        scenario.size() + 1 > migliore) {
      migliore = scenario.size() + 1;
      f.tracciato = p;
    }
  }
  if (f.tracciato.empty()) {
    throw std::invalid_argument(cartella.string() + " holds " + f.elementi.filename().string() +
                                " but no track plan NAME_linea.dat of the same scenario");
  }
  return f;
}

// ---------------------------------------------------------------- drawing helpers

struct Colore {
  double r, g, b, a = 1.0;
};

constexpr Colore nero{0.10, 0.10, 0.12};
constexpr Colore grigio_testo{0.35, 0.35, 0.38};
constexpr Colore griglia{0.88, 0.88, 0.90};
constexpr Colore binario{0.10, 0.22, 0.55};
constexpr Colore galleria{0.55, 0.55, 0.58, 0.30};
constexpr Colore galleria_piano{0.55, 0.55, 0.58};
constexpr Colore stazione{0.20, 0.62, 0.30};
constexpr Colore stazione_banda{0.20, 0.62, 0.30, 0.16};
constexpr Colore segnale{0.85, 0.12, 0.12};
constexpr Colore codice{0.55, 0.20, 0.70};
constexpr Colore rallentamento{0.95, 0.55, 0.05};
constexpr Colore velocita{0.10, 0.22, 0.55};
constexpr Colore pendenza{0.05, 0.55, 0.60};
constexpr Colore pendenza_area{0.05, 0.55, 0.60, 0.30};
constexpr Colore cartello{0.15, 0.45, 0.85};
constexpr Colore fine_linea{0.30, 0.30, 0.30};

class Tela {
 public:
  Tela(cairo_t* cr, double scala) : cr_(cr), s_(scala) {
    cairo_select_font_face(cr_, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  }
  cairo_t* cr() const { return cr_; }
  double s() const { return s_; }

  void colore(const Colore& c) { cairo_set_source_rgba(cr_, c.r, c.g, c.b, c.a); }

  void carattere(double dimensione, bool grassetto = false) {
    cairo_select_font_face(cr_, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL,
                           grassetto ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr_, dimensione * s_);
  }

  double larghezza(const std::string& t) {
    cairo_text_extents_t e;
    cairo_text_extents(cr_, t.c_str(), &e);
    return e.x_advance;
  }

  // Text anchored at (x, y): ax 0 left, 0.5 centre, 1 right; ay 0 top,
  // 0.5 middle, 1 baseline.
  void testo(double x, double y, const std::string& t, double ax = 0, double ay = 1) {
    cairo_move_to(cr_, x - larghezza(t) * ax, linea_base(y, ay));
    cairo_show_text(cr_, t.c_str());
  }

  // Text with a white box behind it.
  void testo_su_fondo(double x, double y, const std::string& t, double ax, double ay) {
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

  void testo_verticale(double x, double y, const std::string& t) {
    cairo_save(cr_);
    cairo_translate(cr_, x, y);
    cairo_rotate(cr_, -M_PI / 2);
    testo(0, 0, t, 0.5, 0.5);
    cairo_restore(cr_);
  }

  void linea(double x1, double y1, double x2, double y2, double spessore) {
    cairo_set_line_width(cr_, spessore * s_);
    cairo_move_to(cr_, x1, y1);
    cairo_line_to(cr_, x2, y2);
    cairo_stroke(cr_);
  }

  void rettangolo(double x, double y, double w, double h) {
    cairo_rectangle(cr_, x, y, w, h);
    cairo_fill(cr_);
  }

  void cerchio(double x, double y, double r) {
    cairo_new_sub_path(cr_);
    cairo_arc(cr_, x, y, r * s_, 0, 2 * M_PI);
  }

  void triangolo(double x, double y, double r) {
    cairo_move_to(cr_, x, y - r * s_);
    cairo_line_to(cr_, x + r * s_ * 0.9, y + r * s_ * 0.7);
    cairo_line_to(cr_, x - r * s_ * 0.9, y + r * s_ * 0.7);
    cairo_close_path(cr_);
  }

  void rombo(double x, double y, double r) {
    cairo_move_to(cr_, x, y - r * s_);
    cairo_line_to(cr_, x + r * s_, y);
    cairo_line_to(cr_, x, y + r * s_);
    cairo_line_to(cr_, x - r * s_, y);
    cairo_close_path(cr_);
  }

  // Height of the digits and capitals of the current font.
  double altezza_cifre() {
    cairo_text_extents_t e;
    cairo_text_extents(cr_, "0", &e);
    return -e.y_bearing;
  }
 private:
  double linea_base(double y, double ay) {
    const double alto = altezza_cifre();
    if (ay == 0) return y + alto;
    if (ay == 0.5) return y + alto / 2;
    return y;
  }

  cairo_t* cr_;
  double s_;
};

// 1, 2 or 5 times a power of ten, so that about `quanti` steps span `ampiezza`.
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

std::string quanti(size_t n, const std::string& cosa) {
  return std::to_string(n) + " " + cosa + (n == 1 ? "" : "s");
}

std::string ora(int64_t secondi) {
  char buf[48];
  const int64_t s = secondi < 0 ? 0 : secondi;
  std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", static_cast<long long>(s / 3600),
                static_cast<long long>((s / 60) % 60), static_cast<long long>(s % 60));
  return buf;
}

// ---------------------------------------------------------------- what the picture shows

struct Stazione {
  int numero;
  std::string nome;  // UTF-8
  double inizio, fine, progressiva;
  int32_t orario;
};

struct Rallentamento {
  double da, a;
  int velocita;
};

struct Intervallo {
  double da, a;
};

struct Contenuto {
  std::string nome_scenario, numero_treno;
  double lunghezza_linea = 0;  // record 84, metres; 0 when unknown
  double fine_profilo = 0;     // metres shown along the profile
  std::vector<Stazione> stazioni;
  std::vector<size_t> segnali, codici, cartelli_v, cartelli_testo, avvisi_rall;
  std::vector<Rallentamento> rallentamenti;
  std::vector<Intervallo> gallerie;  // metres
  int vetture = 0, massa_frenata = 0, sabbia = 0;
  int ore = 0, minuti = 0, secondi = 0;
};

Contenuto raccogli(const ScenarioCompilato& sc) {
  Contenuto c;
  const auto& el = sc.elementi;
  c.nome_scenario = utf8_da_1252(el.at(record_sfondo_identita).nome);
  c.numero_treno = utf8_da_1252(el.at(record_ripetizione).nome);
  c.lunghezza_linea = std::max(0, el.at(record_treno_linea).fine);
  c.massa_frenata = el.at(record_treno_linea).inizio;
  c.vetture = el.at(record_treno_linea).progressiva;
  c.sabbia = el.at(record_ripetizione).dato_7;
  c.ore = el.at(record_ripetizione).dato_10;
  c.minuti = el.at(record_ripetizione).dato_11;
  c.secondi = el.at(record_ripetizione).dato_12;
  const RuoliElementi ruoli = ruoli_elementi(el);
  for (int k = 1; k <= ruoli.stazioni; ++k) {
    const Elemento& e = el.at(static_cast<size_t>(k));
    c.stazioni.push_back({k, utf8_da_1252(e.nome), static_cast<double>(e.inizio),
                          static_cast<double>(e.fine), static_cast<double>(e.progressiva), e.orario});
  }
  const auto& celle = sc.celle;
  const size_t n = celle.size();
  // The profile stops before the last three cells, which the fills leave at 0.
  const size_t mostrate = n > 3 ? n - 3 : n;
  c.fine_profilo = std::max(1000.0, static_cast<double>(mostrate) * 50);
  for (size_t i = 0; i < n; ++i) {
    const Cella& x = celle[i];
    switch (x.tipo) {
      case tipo_cella::segnale: c.segnali.push_back(i); break;
      case tipo_cella::codice:
      case tipo_cella::codice_senza_velocita: c.codici.push_back(i); break;
      case tipo_cella::indicatori_v_max: c.cartelli_v.push_back(i); break;
      case tipo_cella::cartello_indicatore: c.cartelli_testo.push_back(i); break;
      case tipo_cella::avviso_rallentamento: c.avvisi_rall.push_back(i); break;
      case tipo_cella::inizio_rallentamento: {
        size_t j = i + 1;
        while (j < n && celle[j].tipo != tipo_cella::fine_rallentamento) ++j;
        const double fine = j < n ? static_cast<double>(j) * 50 + 50 : static_cast<double>(i) * 50 + 50;
        c.rallentamenti.push_back({static_cast<double>(i) * 50, fine, x.valore_1});
        break;
      }
      default: break;
    }
    if (x.galleria != 0) {
      const double da = static_cast<double>(i) * 50;
      if (!c.gallerie.empty() && c.gallerie.back().a == da) {
        c.gallerie.back().a = da + 50;
      } else {
        c.gallerie.push_back({da, da + 50});
      }
    }
  }
  return c;
}

// ---------------------------------------------------------------- plan view

struct Punto {
  double x, y;
};

// The plan's rows that hold two finite values, by metre.
std::vector<std::optional<Punto>> punti_piano(const Tracciato& t) {
  std::vector<std::optional<Punto>> punti(static_cast<size_t>(std::max(0, t.righe())));
  for (size_t i = 0; i < punti.size(); ++i) {
    const Numero& x = t.colonna(0)[i];
    const Numero& y = t.colonna(1)[i];
    if (x.tag == Numero::Tag::vuoto || y.tag == Numero::Tag::vuoto) continue;
    if (!std::isfinite(x.valore) || !std::isfinite(y.valore)) continue;
    punti[i] = Punto{x.valore, y.valore};
  }
  return punti;
}

// The point of metre m, or the nearest point before it.
std::optional<Punto> punto_a(const std::vector<std::optional<Punto>>& punti, double metri) {
  if (punti.empty() || !std::isfinite(metri)) return std::nullopt;
  long long i = std::llround(std::clamp(metri, 0.0, static_cast<double>(punti.size() - 1)));
  for (long long j = i; j >= 0 && j > i - 2000; --j) {
    if (punti[static_cast<size_t>(j)]) return punti[static_cast<size_t>(j)];
  }
  return std::nullopt;
}

struct Rett {
  double x0, y0, x1, y1;
};

bool si_toccano(const Rett& a, const Rett& b) { return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1; }
bool dentro(const Rett& a, const Rett& b) { return a.x0 >= b.x0 && a.x1 <= b.x1 && a.y0 >= b.y0 && a.y1 <= b.y1; }

// Draws the plan view in the box, left-aligned; returns its right edge.
double disegna_piano(Tela& t, const ScenarioCompilato& sc, const Contenuto& c, double bx0, double by0,
                     double bx1, double by1, bool solo_misura = false) {
  cairo_t* cr = t.cr();
  const double s = t.s();
  const auto punti = punti_piano(sc.tracciato);
  double xmin = INFINITY, xmax = -INFINITY, ymin = INFINITY, ymax = -INFINITY;
  size_t ultimo = 0;
  for (size_t i = 0; i < punti.size(); ++i) {
    if (!punti[i]) continue;
    xmin = std::min(xmin, punti[i]->x);
    xmax = std::max(xmax, punti[i]->x);
    ymin = std::min(ymin, punti[i]->y);
    ymax = std::max(ymax, punti[i]->y);
    ultimo = i;
  }
  if (!solo_misura) {
    t.carattere(13, true);
    t.colore(nero);
    t.testo(bx0, by0, "Plan view of the track", 0, 0);
  }
  by0 += 24 * s;
  if (!(xmin <= xmax)) {
    t.carattere(12);
    if (solo_misura) return bx0 + t.larghezza("the track plan holds no points");
    t.colore(grigio_testo);
    t.testo(bx0, (by0 + by1) / 2, "the track plan holds no points", 0, 0.5);
    return bx0 + t.larghezza("the track plan holds no points");
  }
  // Equal scales: one metre is as long across as up.
  const double lato = std::max({xmax - xmin, ymax - ymin, 100.0});
  const double minimo = lato * 0.06;
  if (xmax - xmin < minimo) {
    const double m = (xmin + xmax) / 2;
    xmin = m - minimo / 2;
    xmax = m + minimo / 2;
  }
  if (ymax - ymin < minimo) {
    const double m = (ymin + ymax) / 2;
    ymin = m - minimo / 2;
    ymax = m + minimo / 2;
  }
  const double margine = lato * 0.07;  // room for the names
  xmin -= margine;
  xmax += margine;
  ymin -= margine;
  ymax += margine;
  const double ax0 = bx0 + 58 * s, ay0 = by0, ax1 = bx1, ay1 = by1 - 40 * s;
  const double scala = std::min((ax1 - ax0) / (xmax - xmin), (ay1 - ay0) / (ymax - ymin));
  const double larg = (xmax - xmin) * scala, alt = (ymax - ymin) * scala;
  const double ox = ax0, oy = ay0;
  if (solo_misura) return ox + larg;
  const auto px = [&](double x) { return ox + (x - xmin) * scala; };
  const auto py = [&](double y) { return oy + (ymax - y) * scala; };

  // Grid and axes in kilometres.
  const double passo = passo_bello(std::max(xmax - xmin, ymax - ymin), 8);
  t.carattere(10);
  cairo_save(cr);
  for (double v = std::ceil(xmin / passo) * passo; v <= xmax; v += passo) {
    t.colore(griglia);
    t.linea(px(v), oy, px(v), oy + alt, 1);
    t.colore(grigio_testo);
    t.linea(px(v), oy + alt, px(v), oy + alt + 4 * s, 1);
    t.testo(px(v), oy + alt + 6 * s, numero_asse(v / 1000, passo / 1000), 0.5, 0);
  }
  for (double v = std::ceil(ymin / passo) * passo; v <= ymax; v += passo) {
    t.colore(griglia);
    t.linea(ox, py(v), ox + larg, py(v), 1);
    t.colore(grigio_testo);
    t.linea(ox - 4 * s, py(v), ox, py(v), 1);
    t.testo(ox - 6 * s, py(v), numero_asse(v / 1000, passo / 1000), 1, 0.5);
  }
  cairo_restore(cr);
  t.colore(grigio_testo);
  cairo_set_line_width(cr, 1 * s);
  cairo_rectangle(cr, ox, oy, larg, alt);
  cairo_stroke(cr);
  t.carattere(11);
  t.colore(nero);
  t.testo(ox + larg / 2, oy + alt + 22 * s, "x (km)", 0.5, 0);
  t.testo_verticale(ox - 44 * s, oy + alt / 2, "y (km)");

  cairo_save(cr);
  cairo_rectangle(cr, ox, oy, larg, alt);
  cairo_clip(cr);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  // A polyline through the points, dropping those closer than half a pixel.
  std::vector<Punto> pixel_binario;
  const auto traccia = [&](double da, double a, bool raccogli) {
    bool aperta = false;
    double ux = 0, uy = 0;
    const size_t i0 = static_cast<size_t>(std::clamp(da, 0.0, static_cast<double>(punti.size() - 1)));
    const size_t i1 = static_cast<size_t>(std::clamp(a, 0.0, static_cast<double>(punti.size() - 1)));
    for (size_t i = i0; i <= i1; ++i) {
      if (!punti[i]) {
        aperta = false;
        continue;
      }
      const double x = px(punti[i]->x), y = py(punti[i]->y);
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
      if (raccogli) pixel_binario.push_back({x, y});
    }
  };
  // Tunnels as a grey casing under the track.
  t.colore(galleria_piano);
  cairo_set_line_width(cr, 7 * s);
  for (const Intervallo& g : c.gallerie) traccia(g.da, g.a, false);
  cairo_stroke(cr);
  t.colore(binario);
  cairo_set_line_width(cr, 2 * s);
  traccia(0, static_cast<double>(punti.size() - 1), true);
  cairo_stroke(cr);

  // Kilometre ticks across the track, numbered where there is room.
  struct EtichettaKm {
    double x, y, nx, ny;
    size_t km;
  };
  std::vector<EtichettaKm> etichette_km;
  const double px_per_km = 1000 * scala;
  double ogni = 1;
  for (const double n : {1.0, 2.0, 5.0, 10.0, 20.0, 50.0, 100.0, 200.0, 500.0}) {
    ogni = n;
    if (px_per_km * n >= 60 * s) break;
  }
  const auto direzione = [&](size_t i) -> std::optional<Punto> {
    const size_t a = i > 0 ? i - 1 : i, b = std::min(i + 1, punti.size() - 1);
    if (!punti[a] || !punti[b]) return std::nullopt;
    const double dx = px(punti[b]->x) - px(punti[a]->x), dy = py(punti[b]->y) - py(punti[a]->y);
    const double l = std::hypot(dx, dy);
    if (!(l > 0)) return std::nullopt;
    return Punto{dx / l, dy / l};
  };
  t.carattere(9.5);
  // Minor ticks at least 8 units apart, numbered ones at least 60.
  double minori = ogni;
  for (const double n : {1.0, 2.0, 5.0, 10.0}) {
    if (px_per_km * n >= 8 * s) {
      minori = std::min(n, ogni);
      break;
    }
  }
  for (size_t km = 0; km * 1000 <= ultimo; ++km) {
    const bool numero = std::fmod(static_cast<double>(km), ogni) == 0;
    if (!numero && std::fmod(static_cast<double>(km), minori) != 0) continue;
    const size_t i = km * 1000;
    if (!punti[i]) continue;
    const auto d = direzione(i);
    if (!d) continue;
    const double x = px(punti[i]->x), y = py(punti[i]->y);
    const double nx = -d->y, ny = d->x;  // to the right of the direction of travel
    t.colore(nero);
    const double l = numero ? 7 * s : 4 * s;
    t.linea(x - nx * l, y - ny * l, x + nx * l, y + ny * l, numero ? 1.4 : 0.8);
    if (numero) etichette_km.push_back({x, y, nx, ny, km});
  }
  // Signals as small dots, stations as rings.
  t.colore(segnale);
  for (const size_t i : c.segnali) {
    if (const auto p = punto_a(punti, static_cast<double>(i) * 50)) t.cerchio(px(p->x), py(p->y), 2.4);
  }
  cairo_fill(cr);
  std::vector<Punto> anelli;
  for (const Stazione& st : c.stazioni) {
    const auto p = punto_a(punti, st.progressiva);
    if (!p) continue;
    const double x = px(p->x), y = py(p->y);
    t.colore({1, 1, 1});
    t.cerchio(x, y, 5.5);
    cairo_fill_preserve(cr);
    t.colore(stazione);
    cairo_set_line_width(cr, 2.5 * s);
    cairo_stroke(cr);
    anelli.push_back({x, y});
  }
  cairo_restore(cr);

  // The axis numbers are taken; kilometre numbers go to the right of the
  // direction of travel, or to its left when that leaves the frame.
  const Rett cornice{ox, oy, ox + larg, oy + alt};
  const Rett riquadro{bx0, by0 - 20 * s, bx1 + 50 * s, by1};
  std::vector<Rett> occupati = {{bx0, oy - 8 * s, ox - 1 * s, oy + alt + 8 * s},
                                {ox - 20 * s, oy + alt + 1 * s, ox + larg + 20 * s, by1}};
  t.carattere(9.5);
  for (const EtichettaKm& e : etichette_km) {
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

  // Station names where they cover least of the track and of other labels,
  // inside the frame if they can be.
  t.carattere(11, true);
  size_t k = 0;
  for (const Stazione& st : c.stazioni) {
    if (!punto_a(punti, st.progressiva)) continue;
    const Punto p = anelli.at(k++);
    const std::string et = st.nome.empty() ? std::to_string(st.numero) : st.nome;
    const double w = t.larghezza(et), h = t.altezza_cifre() * 1.3;
    const double g = 10 * s;
    const Punto angoli[] = {
        {p.x + g, p.y - h / 2},     {p.x - g - w, p.y - h / 2}, {p.x - w / 2, p.y - g - h},
        {p.x - w / 2, p.y + g},     {p.x + g, p.y - g - h},     {p.x - g - w, p.y - g - h},
        {p.x + g, p.y + g},         {p.x - g - w, p.y + g},     {p.x + 2 * g, p.y - h / 2},
        {p.x - 2 * g - w, p.y - h / 2},
    };
    double migliore = INFINITY;
    Rett scelto{};
    for (size_t n = 0; n < std::size(angoli); ++n) {
      const Rett r{angoli[n].x - 2 * s, angoli[n].y - 2 * s, angoli[n].x + w + 2 * s, angoli[n].y + h + 2 * s};
      double costo = static_cast<double>(n);
      if (!dentro(r, riquadro)) costo += 100000;
      if (!dentro(r, cornice)) costo += 300;
      for (const Punto& q : pixel_binario) {
        if (q.x >= r.x0 && q.x <= r.x1 && q.y >= r.y0 && q.y <= r.y1) costo += 20;
      }
      for (const Rett& o : occupati) {
        if (si_toccano(r, o)) costo += 1000;
      }
      if (costo < migliore) {
        migliore = costo;
        scelto = r;
      }
    }
    occupati.push_back(scelto);
    t.colore(stazione);
    t.testo_su_fondo(scelto.x0 + 2 * s, scelto.y0 + 2 * s, et, 0, 0);
  }
  return ox + larg;
}

// ---------------------------------------------------------------- legend

void voce_legenda(Tela& t, double x, double y, const std::string& testo, int simbolo) {
  cairo_t* cr = t.cr();
  const double s = t.s();
  const double cx = x + 14 * s;
  switch (simbolo) {
    case 0:  // track
      t.colore(binario);
      t.linea(x, y, x + 28 * s, y, 2);
      break;
    case 1:  // tunnel
      t.colore(galleria);
      t.rettangolo(x, y - 7 * s, 28 * s, 14 * s);
      t.colore(galleria_piano);
      t.linea(x, y, x + 28 * s, y, 5);
      break;
    case 2:  // station
      t.colore(stazione_banda);
      t.rettangolo(x, y - 7 * s, 28 * s, 14 * s);
      t.colore({1, 1, 1});
      t.cerchio(cx, y, 4.5);
      cairo_fill_preserve(cr);
      t.colore(stazione);
      cairo_set_line_width(cr, 2 * s);
      cairo_stroke(cr);
      break;
    case 3:  // signal
      t.colore(segnale);
      t.triangolo(cx, y, 5);
      cairo_fill(cr);
      break;
    case 4:  // cab code
      t.colore(codice);
      t.rombo(cx, y, 5);
      cairo_fill(cr);
      break;
    case 5:  // restriction
      t.colore(rallentamento);
      t.linea(x, y, x + 28 * s, y, 4);
      break;
    case 6:  // speed limit
      t.colore(velocita);
      cairo_set_line_width(cr, 2 * s);
      cairo_move_to(cr, x, y + 4 * s);
      cairo_line_to(cr, cx, y + 4 * s);
      cairo_line_to(cr, cx, y - 4 * s);
      cairo_line_to(cr, x + 28 * s, y - 4 * s);
      cairo_stroke(cr);
      break;
    case 7:  // gradient
      t.colore(pendenza_area);
      t.rettangolo(x, y - 2 * s, 28 * s, 8 * s);
      t.colore(pendenza);
      t.linea(x, y - 2 * s, x + 28 * s, y - 2 * s, 1.5);
      break;
    case 8:  // boards
      t.colore(cartello);
      cairo_rectangle(cr, cx - 4 * s, y - 4 * s, 8 * s, 8 * s);
      cairo_fill(cr);
      break;
    case 9:  // end of line
      t.colore(fine_linea);
      {
        const double trattini[] = {4 * s, 3 * s};
        cairo_set_dash(cr, trattini, 2, 0);
        t.linea(cx, y - 8 * s, cx, y + 8 * s, 1.5);
        cairo_set_dash(cr, nullptr, 0, 0);
      }
      break;
    case 10:  // kilometre marks
      t.colore(binario);
      t.linea(x, y, x + 28 * s, y, 2);
      t.colore(nero);
      t.linea(x + 7 * s, y - 4 * s, x + 7 * s, y + 4 * s, 0.8);
      t.linea(x + 21 * s, y - 7 * s, x + 21 * s, y + 7 * s, 1.4);
      break;
    default: break;
  }
  t.colore(nero);
  t.testo(x + 38 * s, y, testo, 0, 0.5);
}

// The symbols; returns where the next block may start.
double disegna_legenda(Tela& t, double x, double y0, double y1) {
  const double s = t.s();
  double y = y0;
  t.carattere(13, true);
  t.colore(nero);
  t.testo(x, y, "Legend", 0, 0);
  y += 30 * s;
  const std::pair<const char*, int> voci[] = {
      {"track (plan view)", 0},
      {"kilometre marks (plan view)", 10},
      {"tunnel", 1},
      {"station: extent and position", 2},
      {"signal", 3},
      {"cab-code point (km/h)", 4},
      {"speed restriction (km/h)", 5},
      {"speed limit (km/h)", 6},
      {"gradient (per mille)", 7},
      {"speed / indication board", 8},
      {"end of the line", 9},
  };
  t.carattere(11);
  for (const auto& [testo, simbolo] : voci) {
    if (y > y1) break;
    voce_legenda(t, x, y, testo, simbolo);
    y += 20 * s;
  }
  return y;
}

// The stations with their times and the train's values.
void disegna_info(Tela& t, const Contenuto& c, double x, double y0, double y1) {
  const double s = t.s();
  double y = y0;
  if (y + 40 * s > y1) return;
  t.carattere(13, true);
  t.colore(nero);
  t.testo(x, y, "Stations", 0, 0);
  y += 22 * s;
  t.carattere(10.5);
  size_t mostrate = 0;
  for (const Stazione& st : c.stazioni) {
    if (y + 16 * s > y1 - 64 * s) break;
    char km[32];
    std::snprintf(km, sizeof km, "km %.1f", st.progressiva / 1000);
    t.colore(stazione);
    t.testo(x, y, std::to_string(st.numero), 0, 0);
    t.colore(nero);
    t.testo(x + 20 * s, y, st.nome, 0, 0);
    t.colore(grigio_testo);
    t.testo(x + 250 * s, y, km, 1, 0);
    t.testo(x + 320 * s, y, ora(st.orario), 1, 0);
    y += 16 * s;
    ++mostrate;
  }
  if (mostrate < c.stazioni.size()) {
    t.colore(grigio_testo);
    t.testo(x, y, "... and " + std::to_string(c.stazioni.size() - mostrate) + " more", 0, 0);
    y += 16 * s;
  }
  if (c.stazioni.empty()) {
    t.colore(grigio_testo);
    t.testo(x, y, "none", 0, 0);
    y += 16 * s;
  }
  y += 12 * s;
  if (y + 36 * s > y1) return;
  t.carattere(13, true);
  t.colore(nero);
  t.testo(x, y, "Train", 0, 0);
  y += 22 * s;
  t.carattere(10.5);
  char riga[200];
  std::snprintf(riga, sizeof riga, "%d coaches, braked mass %d %%, sand %d", c.vetture, c.massa_frenata,
                c.sabbia);
  t.testo(x, y, riga, 0, 0);
  y += 16 * s;
  std::snprintf(riga, sizeof riga, "clock at the start %02d:%02d:%02d", c.ore, c.minuti, c.secondi);
  if (y + 16 * s <= y1) t.testo(x, y, riga, 0, 0);
}

// ---------------------------------------------------------------- profile

void disegna_profilo(Tela& t, const ScenarioCompilato& sc, const Contenuto& c, double gx0, double gy0,
                     double gx1, double gy1) {
  cairo_t* cr = t.cr();
  const double s = t.s();
  const auto& celle = sc.celle;
  const double fine = c.fine_profilo;
  const auto X = [&](double m) { return gx0 + std::clamp(m, 0.0, fine) / fine * (gx1 - gx0); };

  t.carattere(13, true);
  t.colore(nero);
  t.testo(gx0 - 70 * s, gy0, "Profile along the line", 0, 0);
  gy0 += 22 * s;

  // Vertical layout: station names, speed, marks, gradient.
  const double nomi1 = gy0 + 34 * s;
  const double resto = gy1 - nomi1;
  const double riga_marche = 17 * s;
  const double v0 = nomi1 + 4 * s, v1 = v0 + (resto - 4 * riga_marche - 8 * s) * 0.55;
  const double m0 = v1 + 4 * s, m1 = m0 + 4 * riga_marche;
  const double p0 = m1 + 4 * s, p1 = gy1;

  const size_t mostrate = std::min(celle.size(), static_cast<size_t>(fine / 50));
  // Value ranges.
  double vmax = 50;
  for (size_t i = 0; i < mostrate; ++i) vmax = std::max(vmax, celle[i].velocita * 5.0);
  for (const Rallentamento& r : c.rallentamenti) vmax = std::max(vmax, static_cast<double>(r.velocita));
  for (const size_t i : c.codici) {
    if (celle[i].tipo == tipo_cella::codice) vmax = std::max(vmax, static_cast<double>(celle[i].valore_1));
  }
  const double vpasso = passo_bello(vmax, 5);
  vmax = std::ceil(vmax * 1.08 / vpasso) * vpasso;
  double gmax = 5;
  for (size_t i = 0; i < mostrate; ++i) gmax = std::max(gmax, std::abs(celle[i].pendenza - 100.0));
  const double gpasso = passo_bello(2 * gmax, 4);
  gmax = std::ceil(gmax * 1.05 / gpasso) * gpasso;
  const auto V = [&](double v) { return v1 - std::clamp(v, 0.0, vmax) / vmax * (v1 - v0); };
  const auto G = [&](double g) { return (p0 + p1) / 2 - std::clamp(g, -gmax, gmax) / gmax * (p1 - p0) / 2; };

  // Bands behind everything: tunnels and stations.
  for (const Intervallo& g : c.gallerie) {
    t.colore(galleria);
    t.rettangolo(X(g.da), v0, std::max(X(g.a) - X(g.da), 0.8 * s), p1 - v0);
  }
  for (const Stazione& st : c.stazioni) {
    const double a = X(std::min(st.inizio, st.fine)), b = X(std::max(st.inizio, st.fine));
    t.colore(stazione_banda);
    t.rettangolo(a, v0, std::max(b - a, 2 * s), p1 - v0);
    t.colore(stazione);
    t.linea(X(st.progressiva), v0, X(st.progressiva), p1, 1);
  }

  // Horizontal grid and the axes of both panels.
  const double kmpasso = passo_bello(fine / 1000, 14);
  t.carattere(10);
  for (double km = 0; km * 1000 <= fine + 1e-6; km += kmpasso) {
    const double x = X(km * 1000);
    t.colore(griglia);
    t.linea(x, v0, x, v1, 1);
    t.linea(x, p0, x, p1, 1);
    t.colore(grigio_testo);
    t.linea(x, p1, x, p1 + 4 * s, 1);
    t.testo(x, p1 + 6 * s, numero_asse(km, kmpasso), 0.5, 0);
  }
  for (double v = 0; v <= vmax + 1e-9; v += vpasso) {
    t.colore(griglia);
    t.linea(gx0, V(v), gx1, V(v), 1);
    t.colore(grigio_testo);
    t.testo(gx0 - 6 * s, V(v), numero_asse(v, vpasso), 1, 0.5);
  }
  for (double g = -gmax; g <= gmax + 1e-9; g += gpasso) {
    t.colore(g == 0 ? Colore{0.6, 0.6, 0.62} : griglia);
    t.linea(gx0, G(g), gx1, G(g), 1);
    t.colore(grigio_testo);
    t.testo(gx0 - 6 * s, G(g), numero_asse(g, gpasso), 1, 0.5);
  }
  t.colore(grigio_testo);
  cairo_set_line_width(cr, 1 * s);
  cairo_rectangle(cr, gx0, v0, gx1 - gx0, v1 - v0);
  cairo_rectangle(cr, gx0, p0, gx1 - gx0, p1 - p0);
  cairo_stroke(cr);
  t.carattere(11);
  t.colore(nero);
  t.testo_verticale(gx0 - 50 * s, (v0 + v1) / 2, "speed (km/h)");
  t.testo_verticale(gx0 - 50 * s, (p0 + p1) / 2, "gradient (\u2030)");
  t.testo((gx0 + gx1) / 2, p1 + 22 * s, "distance along the line (km)", 0.5, 0);

  // Gradient: area between zero and the value of every cell.
  if (mostrate > 0) {
    cairo_move_to(cr, X(0), G(0));
    for (size_t i = 0; i < mostrate; ++i) {
      const double g = celle[i].pendenza - 100.0;
      cairo_line_to(cr, X(i * 50.0), G(g));
      cairo_line_to(cr, X(i * 50.0 + 50), G(g));
    }
    cairo_line_to(cr, X(mostrate * 50.0), G(0));
    cairo_close_path(cr);
    t.colore(pendenza_area);
    cairo_fill_preserve(cr);
    t.colore(pendenza);
    cairo_set_line_width(cr, 1.2 * s);
    cairo_stroke(cr);
  }
  // Speed limit as steps.
  if (mostrate > 0) {
    t.colore(velocita);
    cairo_set_line_width(cr, 2 * s);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    cairo_move_to(cr, X(0), V(celle[0].velocita * 5.0));
    for (size_t i = 0; i < mostrate; ++i) {
      const double v = celle[i].velocita * 5.0;
      cairo_line_to(cr, X(i * 50.0), V(v));
      cairo_line_to(cr, X(i * 50.0 + 50), V(v));
    }
    cairo_stroke(cr);
  }
  // Restrictions at their speed.
  for (const Rallentamento& r : c.rallentamenti) {
    t.colore(rallentamento);
    const double y = V(r.velocita);
    t.linea(X(r.da), y, std::max(X(r.a), X(r.da) + 3 * s), y, 4);
    t.linea(X(r.da), y - 6 * s, X(r.da), y + 6 * s, 1.5);
    t.linea(X(r.a), y - 6 * s, X(r.a), y + 6 * s, 1.5);
    t.carattere(9.5, true);
    t.testo_su_fondo(X(r.da), y - 8 * s, std::to_string(r.velocita), 0, 1);
  }
  // Cab-code points at their speed, numbered where the number fits.
  t.carattere(9.5, true);
  std::vector<Rett> numeri;
  for (const size_t i : c.codici) {
    if (celle[i].tipo != tipo_cella::codice) continue;
    const double x = X(i * 50.0), y = V(celle[i].valore_1);
    t.colore(codice);
    t.rombo(x, y, 5);
    cairo_fill(cr);
    const std::string et = std::to_string(celle[i].valore_1);
    const double w = t.larghezza(et), h = t.altezza_cifre();
    for (const double dx : {7 * s, -7 * s - w}) {
      const Rett r{x + dx - 1 * s, y - h / 2 - 1 * s, x + dx + w + 1 * s, y + h / 2 + 1 * s};
      bool libero = r.x0 >= gx0 && r.x1 <= gx1;
      for (const Rett& o : numeri) libero = libero && !si_toccano(r, o);
      for (const size_t j : c.codici) {
        if (celle[j].tipo != tipo_cella::codice) continue;
        const Rett rombo{X(j * 50.0) - 5 * s, V(celle[j].valore_1) - 5 * s, X(j * 50.0) + 5 * s,
                         V(celle[j].valore_1) + 5 * s};
        libero = libero && !si_toccano(r, rombo);
      }
      if (libero) {
        t.testo_su_fondo(x + dx, y, et, 0, 0.5);
        numeri.push_back(r);
        break;
      }
    }
  }
  // End of the line.
  if (c.lunghezza_linea > 0 && c.lunghezza_linea < fine) {
    t.colore(fine_linea);
    const double trattini[] = {5 * s, 4 * s};
    cairo_set_dash(cr, trattini, 2, 0);
    t.linea(X(c.lunghezza_linea), nomi1, X(c.lunghezza_linea), p1, 1.3);
    cairo_set_dash(cr, nullptr, 0, 0);
    t.carattere(9.5);
    t.testo_su_fondo(X(c.lunghezza_linea) - 4 * s, v0 + 4 * s, "end of the line", 1, 0);
  }

  // Rows of marks between the panels.
  const char* righe[] = {"signals", "cab codes", "restrictions", "boards"};
  t.carattere(10);
  for (int r = 0; r < 4; ++r) {
    const double y = m0 + (r + 0.5) * riga_marche;
    t.colore(r % 2 == 0 ? Colore{0.96, 0.96, 0.97} : Colore{1, 1, 1});
    t.rettangolo(gx0, m0 + r * riga_marche, gx1 - gx0, riga_marche);
    t.colore(grigio_testo);
    t.testo(gx0 - 6 * s, y, righe[r], 1, 0.5);
  }
  const auto riga_y = [&](int r) { return m0 + (r + 0.5) * riga_marche; };
  t.colore(segnale);
  for (const size_t i : c.segnali) t.triangolo(X(i * 50.0), riga_y(0), 5);
  cairo_fill(cr);
  for (const size_t i : c.codici) {
    t.colore(codice);
    t.rombo(X(i * 50.0), riga_y(1), 5);
    if (celle[i].tipo == tipo_cella::codice) {
      cairo_fill(cr);
    } else {  // a cab-code point without a speed: hollow
      cairo_set_line_width(cr, 1.3 * s);
      cairo_stroke(cr);
    }
  }
  t.colore(rallentamento);
  for (const Rallentamento& r : c.rallentamenti) {
    t.rettangolo(X(r.da), riga_y(2) - 3 * s, std::max(X(r.a) - X(r.da), 2 * s), 6 * s);
  }
  for (const size_t i : c.avvisi_rall) t.triangolo(X(i * 50.0), riga_y(2), 5);
  cairo_fill(cr);
  t.colore(cartello);
  for (const size_t i : c.cartelli_v) {
    cairo_rectangle(cr, X(i * 50.0) - 3.5 * s, riga_y(3) - 3.5 * s, 7 * s, 7 * s);
  }
  cairo_fill(cr);
  cairo_set_line_width(cr, 1.3 * s);
  for (const size_t i : c.cartelli_testo) {
    cairo_rectangle(cr, X(i * 50.0) - 3.5 * s, riga_y(3) - 3.5 * s, 7 * s, 7 * s);
  }
  cairo_stroke(cr);

  // Station names above the speed panel, on two lines when they would meet.
  t.carattere(10.5, true);
  double fine_riga[2] = {-INFINITY, -INFINITY};
  for (const Stazione& st : c.stazioni) {
    const std::string et = st.nome.empty() ? "station " + std::to_string(st.numero) : st.nome;
    const double w = t.larghezza(et);
    const double x = std::clamp(X(st.progressiva) - w / 2, gx0 - 40 * s, gx1 + 20 * s - w);
    const int r = x > fine_riga[0] ? 0 : x > fine_riga[1] ? 1 : (fine_riga[0] < fine_riga[1] ? 0 : 1);
    t.colore(stazione);
    t.testo(x, r == 0 ? nomi1 - 2 * s : nomi1 - 18 * s, et, 0, 1);
    fine_riga[r] = x + w + 8 * s;
  }
}

// ---------------------------------------------------------------- the whole picture

void disegna(cairo_t* cr, const ScenarioCompilato& sc, double w, double h) {
  // Everything scales with the picture, but text never below 3/4 of its
  // size at 1600x1000.
  const double s = std::max(0.75, std::min(w / 1600, h / 1000));
  Tela t(cr, s);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  const Contenuto c = raccogli(sc);

  std::string titolo = c.nome_scenario.empty() ? "Compiled scenario" : c.nome_scenario;
  if (!c.numero_treno.empty()) titolo += "  \u2013  train " + c.numero_treno;
  t.carattere(20, true);
  t.colore(nero);
  t.testo(24 * s, 16 * s, titolo, 0, 0);
  char sotto[256];
  std::snprintf(sotto, sizeof sotto,
                "line %.1f km, %s, %s, %s, %s, %s, %s", c.lunghezza_linea / 1000,
                quanti(sc.celle.size(), "cell").c_str(), quanti(c.stazioni.size(), "station").c_str(),
                quanti(c.segnali.size(), "signal").c_str(), quanti(c.gallerie.size(), "tunnel").c_str(),
                quanti(c.rallentamenti.size(), "restriction").c_str(),
                quanti(c.codici.size(), "cab-code point").c_str());
  t.carattere(11.5);
  t.colore(grigio_testo);
  t.testo(24 * s, 44 * s, sotto, 0, 0);

  // The plan on the left; legend and station list beside it, side by side
  // when there is room, else one below the other.
  const double alto0 = 76 * s, alto1 = h * 0.50;
  const double colonna = 340 * s, spazio = 70 * s;
  const double limite = w - 24 * s - colonna - spazio;
  const double piano = disegna_piano(t, sc, c, 24 * s, alto0, limite, alto1, true) - 24 * s;
  if (w - 48 * s >= piano + 2 * (colonna + spazio)) {
    // The three side by side, centred.
    const double x0 = (w - piano - 2 * (colonna + spazio)) / 2;
    const double x = disegna_piano(t, sc, c, x0, alto0, x0 + piano + 1, alto1) + spazio;
    disegna_legenda(t, x, alto0, alto1 + 20 * s);
    disegna_info(t, c, x + colonna + spazio, alto0, alto1 + 20 * s);
  } else {
    const double x = disegna_piano(t, sc, c, 24 * s, alto0, limite, alto1) + spazio;
    const double fine = disegna_legenda(t, x, alto0, alto1 + 20 * s);
    disegna_info(t, c, x, fine + 12 * s, alto1 + 20 * s);
  }
  cairo_set_source_rgb(cr, 0.8, 0.8, 0.82);
  t.linea(24 * s, alto1 + 22 * s, w - 24 * s, alto1 + 22 * s, 1);
  disegna_profilo(t, sc, c, 110 * s, alto1 + 32 * s, w - 30 * s, h - 48 * s);
}

std::string minuscolo(std::string s) { return minuscole_1252(s); }

}  // namespace

FileCompilati trova_file_scenario(const std::vector<fs::path>& ingressi) {
  if (ingressi.empty()) throw std::invalid_argument("no directory or files to plot");
  std::error_code ec;
  if (ingressi.size() == 1 && fs::is_directory(ingressi.front(), ec)) {
    return trova_in_cartella(ingressi.front());
  }
  std::optional<fs::path> trovati[3];
  const char* attesi[3] = {"a cells file (NAME_NUMBER.dat)", "an element table (NAME_NUMBER.sim)",
                           "a track plan (NAME_linea.dat)"};
  for (const fs::path& p : ingressi) {
    if (fs::is_directory(p, ec)) {
      throw std::invalid_argument("give either one directory or the three files, not " + p.string() +
                                  " among other names");
    }
    const auto tipo = riconosci_file(p.filename().string());
    if (!tipo) {
      throw std::invalid_argument("\"" + p.string() +
                                  "\" is not a compiled file: the name must end in \"_linea.dat\", "
                                  "\".sim\" or \".dat\"");
    }
    auto& posto = trovati[static_cast<int>(*tipo)];
    if (posto) {
      throw std::invalid_argument("two " + std::string(nome_file_compilato(*tipo)) + " files given: " +
                                  posto->string() + " and " + p.string());
    }
    posto = p;
  }
  std::string mancano;
  for (int i = 0; i < 3; ++i) {
    if (!trovati[i]) mancano += (mancano.empty() ? "" : ", ") + std::string(attesi[i]);
  }
  if (!mancano.empty()) throw std::invalid_argument("missing " + mancano);
  return {*trovati[static_cast<int>(FileCompilato::celle)],
          *trovati[static_cast<int>(FileCompilato::elementi)],
          *trovati[static_cast<int>(FileCompilato::tracciato)]};
}

ScenarioCompilato leggi_scenario(const FileCompilati& file) {
  const auto con_nome = [](const fs::path& p, auto&& decodifica) {
    const std::string dati = leggi_file_binario(p);
    try {
      return decodifica(dati);
    } catch (const DecodeError& e) {
      throw DecodeError(e.offset(), p.string() + ": " + e.what());
    }
  };
  ScenarioCompilato sc;
  sc.celle = con_nome(file.celle, [](const std::string& d) { return decodifica_celle(d); });
  sc.elementi = con_nome(file.elementi, [](const std::string& d) { return decodifica_elementi(d); });
  sc.tracciato = con_nome(file.tracciato, [](const std::string& d) { return decodifica_tracciato(d); });
  return sc;
}

void disegna_scenario(const ScenarioCompilato& scenario, const fs::path& uscita, const OpzioniPlot& o) {
  if (o.larghezza < 400 || o.altezza < 300 || o.larghezza > 10000 || o.altezza > 10000) {
    throw std::invalid_argument("picture size " + std::to_string(o.larghezza) + "x" +
                                std::to_string(o.altezza) + " is outside 400x300 to 10000x10000");
  }
  const std::string estensione = minuscolo(uscita.extension().string());
  const bool svg = estensione == ".svg";
  if (!svg && estensione != ".png") {
    throw std::invalid_argument("output \"" + uscita.string() + "\" must end in .svg or .png");
  }
  const auto distruggi = [](cairo_surface_t* s) { cairo_surface_destroy(s); };
  std::unique_ptr<cairo_surface_t, decltype(distruggi)> superficie(
      svg ? cairo_svg_surface_create(uscita.c_str(), o.larghezza, o.altezza)
          : cairo_image_surface_create(CAIRO_FORMAT_ARGB32, o.larghezza, o.altezza),
      distruggi);
  if (svg && cairo_surface_status(superficie.get()) == CAIRO_STATUS_SUCCESS) {
    cairo_svg_surface_set_document_unit(superficie.get(), CAIRO_SVG_UNIT_PX);  // the size in pixels
  }
  if (cairo_surface_status(superficie.get()) != CAIRO_STATUS_SUCCESS) {
    throw std::runtime_error("cannot create " + uscita.string() + ": " +
                             cairo_status_to_string(cairo_surface_status(superficie.get())));
  }
  cairo_t* cr = cairo_create(superficie.get());
  disegna(cr, scenario, o.larghezza, o.altezza);
  const cairo_status_t stato = cairo_status(cr);
  cairo_destroy(cr);
  if (stato != CAIRO_STATUS_SUCCESS) {
    throw std::runtime_error(std::string("drawing failed: ") + cairo_status_to_string(stato));
  }
  cairo_status_t scritto;
  if (svg) {
    cairo_surface_finish(superficie.get());
    scritto = cairo_surface_status(superficie.get());
  } else {
    scritto = cairo_surface_write_to_png(superficie.get(), uscita.c_str());
  }
  if (scritto != CAIRO_STATUS_SUCCESS) {
    throw std::runtime_error("cannot write " + uscita.string() + ": " + cairo_status_to_string(scritto));
  }
}

void plot_scenario(const std::vector<fs::path>& ingressi, const fs::path& uscita, const OpzioniPlot& o) {
  disegna_scenario(leggi_scenario(trova_file_scenario(ingressi)), uscita, o);
}

}  // namespace sc
