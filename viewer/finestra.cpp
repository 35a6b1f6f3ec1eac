#include "viewer/finestra.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Browser.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Hold_Browser.H>
#include <FL/Fl_Input.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "format/compiled_decode.h"
#include "format/posizioni.h"
#include "plot/palette.h"
#include "viewer/vista_geometria.h"
#include "watch/osserva.h"

namespace sc::vista {

namespace {

constexpr int larghezza_finestra = 1200, altezza_finestra = 820;
constexpr int barra = 34;          // the row of controls on top
constexpr int alto_piano = 300;    // plan view height
constexpr int alto_profilo = 330;  // profile height
constexpr int largo_info = 470;    // the cell pane beside the plan view

// A colour of the palette, which the plot draws in too.
Fl_Color to_fl_color(const palette::Colore& c) {
  return fl_rgb_color(palette::byte_of(c.r), palette::byte_of(c.g), palette::byte_of(c.b));
}

const Fl_Color colore_binario = to_fl_color(palette::binario);
const Fl_Color colore_finestra = fl_rgb_color(220, 30, 30);
const Fl_Color colore_velocita = to_fl_color(palette::velocita);
const Fl_Color colore_pendenza = to_fl_color(palette::pendenza);
const Fl_Color colore_galleria = fl_rgb_color(215, 215, 220);
const Fl_Color colore_stazione = to_fl_color(palette::stazione);
const Fl_Color colore_segnale = to_fl_color(palette::segnale);
const Fl_Color colore_rallentamento = to_fl_color(palette::rallentamento);
const Fl_Color colore_codice = to_fl_color(palette::codice);
const Fl_Color colore_cartello = to_fl_color(palette::cartello);
const Fl_Color colore_scelta = fl_rgb_color(255, 170, 0);
const Fl_Color colore_fault = fl_rgb_color(200, 0, 0);
const Fl_Color colore_avviso = fl_rgb_color(176, 96, 0);
const Fl_Color colore_nota = fl_rgb_color(90, 90, 100);

Fl_Color colore_di(Gravita g) {
  switch (g) {
    case Gravita::errore: return colore_fault;
    case Gravita::avviso: return colore_avviso;
    case Gravita::nota: return colore_nota;
  }
  return colore_fault;
}

class Vista;

// The state shared by the widgets.
struct Stato {
  Sorgente sorgente;
  OpzioniFinestra opzioni;
  Caricamento dati;
  Finestra finestra;
  std::optional<size_t> scelta;  // the cell picked
  double fine() const { return static_cast<double>(dati.scenario.celle.size()) * 50; }
};

// A double from the track plan at row `i` (metres), if both values are set.
bool punto_piano(const Tracciato& t, size_t i, double& x, double& y) {
  if (!t.presente() || i >= static_cast<size_t>(t.righe())) return false;
  const Numero nx = t.colonna(0)[i], ny = t.colonna(1)[i];
  if (nx.tag == Numero::Tag::vuoto || ny.tag == Numero::Tag::vuoto) return false;
  x = nx.valore;
  y = ny.valore;
  return std::isfinite(x) && std::isfinite(y);
}

// The plan view: the whole track at one scale on both axes, the stretch
// shown by the profile drawn over it in red. A click centres the profile on
// the nearest point of the track.
class Piano : public Fl_Widget {
 public:
  Piano(int x, int y, int w, int h, Stato& s, std::function<void()> cambiato)
      : Fl_Widget(x, y, w, h), s_(s), cambiato_(std::move(cambiato)) {}

  void draw() override {
    fl_push_clip(x(), y(), w(), h());
    fl_color(FL_WHITE);
    fl_rectf(x(), y(), w(), h());
    fl_color(FL_GRAY);
    fl_rect(x(), y(), w(), h());
    misura();
    const Tracciato& t = s_.dati.scenario.tracciato;
    if (!ok_) {
      fl_color(FL_DARK3);
      fl_font(FL_HELVETICA, 14);
      fl_draw(t.presente() ? "no track plan points" : "no track plan", x() + 10, y() + 24);
      fl_pop_clip();
      return;
    }
    const size_t n = static_cast<size_t>(t.righe());
    const size_t passo = std::max<size_t>(1, n / 4000);
    linea(0, n, passo, colore_binario, 2);
    const size_t da = static_cast<size_t>(std::max(0.0, s_.finestra.da));
    const size_t a = std::min(n, static_cast<size_t>(std::max(0.0, s_.finestra.a)) + 1);
    linea(da, a, std::max<size_t>(1, (a - da) / 2000), colore_finestra, 5);
    // Kilometre marks every 10 km (every km on short lines).
    const size_t ogni = n > 30000 ? 10000 : 1000;
    fl_font(FL_HELVETICA, 11);
    for (size_t m = 0; m < n; m += ogni) {
      double px, py;
      if (!punto_piano(t, m, px, py)) continue;
      const int sx = X(px), sy = Y(py);
      fl_color(FL_BLACK);
      fl_rectf(sx - 2, sy - 2, 5, 5);
      fl_color(FL_DARK3);
      fl_draw(std::to_string(m / 1000).c_str(), sx + 4, sy - 4);
    }
    fl_pop_clip();
  }

  int handle(int e) override {
    if (e == FL_PUSH && ok_) {
      const Tracciato& t = s_.dati.scenario.tracciato;
      double migliore = 1e300;
      size_t riga = 0;
      const size_t n = static_cast<size_t>(t.righe());
      for (size_t i = 0; i < n; i += 10) {
        double px, py;
        if (!punto_piano(t, i, px, py)) continue;
        const double dx = X(px) - Fl::event_x(), dy = Y(py) - Fl::event_y();
        if (dx * dx + dy * dy < migliore) migliore = dx * dx + dy * dy, riga = i;
      }
      s_.finestra.centra(static_cast<double>(riga), s_.fine());
      cambiato_();
      return 1;
    }
    return Fl_Widget::handle(e);
  }

 private:
  void misura() {
    const Tracciato& t = s_.dati.scenario.tracciato;
    ok_ = false;
    bool primo = true;
    const size_t n = t.presente() ? static_cast<size_t>(t.righe()) : 0;
    for (size_t i = 0; i < n; i += std::max<size_t>(1, n / 20000)) {
      double px, py;
      if (!punto_piano(t, i, px, py)) continue;
      if (primo) xmin_ = xmax_ = px, ymin_ = ymax_ = py, primo = false;
      xmin_ = std::min(xmin_, px), xmax_ = std::max(xmax_, px);
      ymin_ = std::min(ymin_, py), ymax_ = std::max(ymax_, py);
    }
    if (primo) return;
    const double margine = 16;
    const double sx = (w() - 2 * margine) / std::max(xmax_ - xmin_, 1.0);
    const double sy = (h() - 2 * margine) / std::max(ymax_ - ymin_, 1.0);
    scala_ = std::min(sx, sy);  // one scale on both axes
    ox_ = x() + w() / 2.0 - (xmin_ + xmax_) / 2 * scala_;
    oy_ = y() + h() / 2.0 + (ymin_ + ymax_) / 2 * scala_;
    ok_ = true;
  }
  int X(double px) const { return static_cast<int>(std::nearbyint(ox_ + px * scala_)); }
  int Y(double py) const { return static_cast<int>(std::nearbyint(oy_ - py * scala_)); }

  void linea(size_t da, size_t a, size_t passo, Fl_Color c, int spessore) {
    const Tracciato& t = s_.dati.scenario.tracciato;
    fl_color(c);
    fl_line_style(FL_SOLID | FL_CAP_ROUND | FL_JOIN_ROUND, spessore);
    bool aperta = false;
    for (size_t i = da; i < a; i += passo) {
      double px, py;
      if (!punto_piano(t, i, px, py)) {
        if (aperta) fl_end_line(), aperta = false;
        continue;
      }
      if (!aperta) fl_begin_line(), aperta = true;
      fl_vertex(X(px), Y(py));
    }
    if (aperta) fl_end_line();
    fl_line_style(0);
  }

  Stato& s_;
  std::function<void()> cambiato_;
  bool ok_ = false;
  double xmin_ = 0, xmax_ = 0, ymin_ = 0, ymax_ = 0, scala_ = 1, ox_ = 0, oy_ = 0;
};

// The profile along the metres of the window: speed above, gradient below,
// tunnels and stations as bands, signals, restrictions, cab codes and
// boards as marks. Wheel or +/- zoom, drag or arrows pan, a click picks a
// cell.
class Profilo : public Fl_Widget {
 public:
  Profilo(int x, int y, int w, int h, Stato& s, std::function<void()> cambiato,
          std::function<void(size_t)> scegli)
      : Fl_Widget(x, y, w, h), s_(s), cambiato_(std::move(cambiato)), scegli_(std::move(scegli)) {}

  void draw() override {
    fl_push_clip(x(), y(), w(), h());
    fl_color(FL_WHITE);
    fl_rectf(x(), y(), w(), h());
    fl_color(FL_GRAY);
    fl_rect(x(), y(), w(), h());
    const auto& celle = s_.dati.scenario.celle;
    if (celle.empty()) {
      fl_color(FL_DARK3);
      fl_font(FL_HELVETICA, 14);
      fl_draw("no cells: the compile stopped before the line length was read", x() + 10, y() + 24);
      fl_pop_clip();
      return;
    }
    const int gx0 = x() + 50, gx1 = x() + w() - 10;
    const int v0 = y() + 28, v1 = y() + h() * 55 / 100;
    const int m0 = v1 + 4, m1 = m0 + 4 * 14;
    const int p0 = m1 + 4, p1 = y() + h() - 22;
    const auto X = [&](double m) {
      return gx0 + static_cast<int>(
                       std::nearbyint((m - s_.finestra.da) / s_.finestra.ampiezza() * (gx1 - gx0)));
    };
    const size_t c0 = static_cast<size_t>(std::max(0.0, std::floor(s_.finestra.da / 50)));
    const size_t c1 =
        std::min(celle.size(), static_cast<size_t>(std::ceil(s_.finestra.a / 50)) + 1);
    // Bands: tunnels, stations.
    for (const Tratto& t :
         ritaglia(tratti(celle, sc::Profilo::galleria), static_cast<int64_t>(s_.finestra.da),
                  static_cast<int64_t>(s_.finestra.a) + 1)) {
      fl_color(colore_galleria);
      fl_rectf(X(static_cast<double>(t.da)), v0,
               std::max(1, X(static_cast<double>(t.a)) - X(static_cast<double>(t.da))), p1 - v0);
    }
    const auto& el = s_.dati.scenario.elementi;
    const RuoliElementi ruoli = ruoli_elementi(el);
    fl_font(FL_HELVETICA_BOLD, 11);
    for (int k = 1; k <= ruoli.stazioni; ++k) {
      const Elemento& e = el[static_cast<size_t>(k)];
      if (e.fine < s_.finestra.da || e.inizio > s_.finestra.a) continue;
      const int a = X(e.inizio), b = X(e.fine);
      fl_color(fl_color_average(colore_stazione, FL_WHITE, 0.25f));
      fl_rectf(a, v0, std::max(2, b - a), p1 - v0);
      fl_color(colore_stazione);
      fl_draw(utf8_da_1252(e.nome).c_str(), std::max(a, x() + 2), y() + 14);
    }
    // Speed and gradient, scaled to the largest values of the line.
    // The last three cells are never filled: left out of the scales.
    int vmax = 50, gmax = 5;
    for (size_t i = 0; i + 3 < celle.size(); ++i) {
      vmax = std::max(vmax, celle[i].velocita * 5 * 11 / 10);
      gmax = std::max(gmax, std::abs(celle[i].pendenza - 100) * 11 / 10 + 1);
    }
    griglia_e_assi(gx0, gx1, v0, v1, p0, p1, vmax, gmax, X);
    fl_push_clip(gx0, y(), gx1 - gx0, h());
    // The cell picked, under the lines, marks and labels drawn over it.
    if (s_.scelta && *s_.scelta < celle.size()) {
      const double m = static_cast<double>(*s_.scelta) * 50;
      fl_color(colore_scelta);
      fl_rectf(X(m), v0, std::max(2, X(m + 50) - X(m)), p1 - v0);
    }
    const auto V = [&](int kmh) { return v1 - std::clamp(kmh, 0, vmax) * (v1 - v0) / vmax; };
    const auto G = [&](int g) {
      return (p0 + p1) / 2 - std::clamp(g, -gmax, gmax) * (p1 - p0) / (2 * gmax);
    };
    fl_line_style(FL_SOLID, 2);
    fl_color(colore_velocita);
    fl_begin_line();
    for (size_t i = c0; i < c1; ++i) {
      const double m = static_cast<double>(i) * 50;
      fl_vertex(X(m), V(celle[i].velocita * 5));
      fl_vertex(X(m + 50), V(celle[i].velocita * 5));
    }
    fl_end_line();
    fl_color(colore_pendenza);
    fl_begin_line();
    for (size_t i = c0; i < c1; ++i) {
      const double m = static_cast<double>(i) * 50;
      fl_vertex(X(m), G(celle[i].pendenza - 100));
      fl_vertex(X(m + 50), G(celle[i].pendenza - 100));
    }
    fl_end_line();
    fl_line_style(0);
    // Marks: signals, restrictions, cab codes, boards, one row each.
    for (size_t i = c0; i < c1; ++i) {
      const Cella& c = celle[i];
      int riga = -1;
      Fl_Color col = FL_BLACK;
      switch (c.tipo) {
        case tipo_cella::segnale: riga = 0, col = colore_segnale; break;
        case tipo_cella::fine_rallentamento:
        case tipo_cella::inizio_rallentamento:
        case tipo_cella::avviso_rallentamento:
        case tipo_cella::approccio_rallentamento: riga = 1, col = colore_rallentamento; break;
        case tipo_cella::codice:
        case tipo_cella::codice_senza_velocita: riga = 2, col = colore_codice; break;
        case tipo_cella::indicatori_v_max:
        case tipo_cella::cartello_indicatore: riga = 3, col = colore_cartello; break;
        default: break;
      }
      if (riga < 0) continue;
      const int mx = X(static_cast<double>(metri_descrizione(c, i)) + 25);
      const int my = m0 + riga * 14;
      fl_color(col);
      fl_rectf(mx - 3, my + 2, 7, 10);
    }
    etichette_dei_cartelli(c0, c1, m0 + 3 * 14, gx1, X);
    // The positions of the faults and warnings.
    for (const VocePannello& v : s_.dati.pannello) {
      if (!v.posizione || v.gravita == Gravita::nota) continue;
      const double m = *v.posizione;
      if (m < s_.finestra.da || m > s_.finestra.a) continue;
      fl_color(colore_di(v.gravita));
      fl_line_style(FL_DASH, 2);
      fl_line(X(m), v0, X(m), p1);
      fl_line_style(0);
    }
    fl_pop_clip();
    fl_color(FL_DARK3);
    fl_font(FL_HELVETICA, 11);
    fl_draw("km/h", x() + 4, v0 + 10);
    fl_draw("\u2030", x() + 4, (p0 + p1) / 2);
    fl_draw("signals", x() + 2, m0 + 11);
    fl_draw("restr.", x() + 2, m0 + 25);
    fl_draw("codes", x() + 2, m0 + 39);
    fl_draw("boards", x() + 2, m0 + 53);
    fl_pop_clip();
  }

  int handle(int e) override {
    const double fine = s_.fine();
    const auto metro = [&](int px) {
      const int gx0 = x() + 50, gx1 = x() + w() - 10;
      return s_.finestra.da +
             static_cast<double>(px - gx0) / std::max(1, gx1 - gx0) * s_.finestra.ampiezza();
    };
    switch (e) {
      case FL_FOCUS:
      case FL_UNFOCUS: return 1;
      case FL_ENTER: return 1;
      case FL_MOUSEWHEEL:
        s_.finestra.zoom(Fl::event_dy() > 0 ? 1.25 : 0.8, metro(Fl::event_x()), fine);
        cambiato_();
        return 1;
      case FL_PUSH:
        take_focus();
        premuto_x_ = Fl::event_x();
        trascinato_ = false;
        return 1;
      case FL_DRAG: {
        const int dx = Fl::event_x() - premuto_x_;
        if (std::abs(dx) > 2) trascinato_ = true;
        if (trascinato_) {
          s_.finestra.sposta(metro(premuto_x_) - metro(Fl::event_x()), fine);
          premuto_x_ = Fl::event_x();
          cambiato_();
        }
        return 1;
      }
      case FL_RELEASE:
        if (!trascinato_) {
          const double m = metro(Fl::event_x());
          if (m >= 0 && m < fine) scegli_(static_cast<size_t>(m / 50));
        }
        return 1;
      case FL_KEYBOARD: {
        const int k = Fl::event_key();
        const double centro = (s_.finestra.da + s_.finestra.a) / 2;
        if (k == '+' || k == '=' || k == FL_KP + '+')
          s_.finestra.zoom(0.8, centro, fine);
        else if (k == '-' || k == FL_KP + '-')
          s_.finestra.zoom(1.25, centro, fine);
        else if (k == FL_Left)
          s_.finestra.sposta(-s_.finestra.ampiezza() / 5, fine);
        else if (k == FL_Right)
          s_.finestra.sposta(s_.finestra.ampiezza() / 5, fine);
        else if (k == FL_Home)
          s_.finestra = Finestra{0, fine};
        else
          return 0;
        cambiato_();
        return 1;
      }
      default: return Fl_Widget::handle(e);
    }
  }

 private:
  // Speed boards with their speeds, indication boards with their texts,
  // in the boards' row from `my` down: each label right of its mark, drawn
  // when it ends before the next board's mark.
  template <typename FX>
  void etichette_dei_cartelli(size_t c0, size_t c1, int my, int bordo, FX&& X) {
    const std::vector<EtichettaCartello> e = etichette_cartelli(s_.dati.scenario, c0, c1);
    std::vector<int> xs, larghezze;
    fl_font(FL_HELVETICA, 10);
    for (const EtichettaCartello& et : e) {
      xs.push_back(X(static_cast<double>(et.metri) + 25));
      larghezze.push_back(static_cast<int>(std::ceil(fl_width(et.testo.c_str()))));
    }
    const std::vector<bool> posto = etichette_con_posto(xs, larghezze, bordo, 6);
    fl_color(colore_cartello);
    for (size_t k = 0; k < e.size() && k < posto.size(); ++k)
      if (posto[k]) fl_draw(e[k].testo.c_str(), xs[k] + 6, my + 11);
  }

  template <typename FX>
  void griglia_e_assi(int gx0, int gx1, int v0, int v1, int p0, int p1, int vmax, int gmax,
                      FX&& X) {
    // Kilometre lines, 1, 2 or 5 times a power of ten apart.
    double passo = 1000;
    while (s_.finestra.ampiezza() / passo > 12)
      passo *= passo == 1000 || passo == 10000 || passo == 100000 ? 2 : 2.5;
    while (s_.finestra.ampiezza() / passo < 4 && passo > 50) passo /= 2;
    fl_font(FL_HELVETICA, 10);
    for (double m = std::ceil(s_.finestra.da / passo) * passo; m <= s_.finestra.a; m += passo) {
      const int px = X(m);
      if (px < gx0 || px > gx1) continue;
      fl_color(fl_rgb_color(230, 230, 232));
      fl_line(px, v0, px, p1);
      fl_color(FL_DARK3);
      char t[32];
      std::snprintf(t, sizeof t, passo >= 1000 ? "%.0f km" : "%.2f km", m / 1000);
      fl_draw(t, px - 14, p1 + 14);
    }
    fl_color(FL_DARK3);
    fl_line(gx0, v1, gx1, v1);
    fl_line(gx0, (p0 + p1) / 2, gx1, (p0 + p1) / 2);
    const int vpasso = vmax > 200 ? 100 : vmax > 80 ? 50 : 20;
    for (int v = vpasso; v < vmax; v += vpasso) {
      const int py = v1 - v * (v1 - v0) / vmax;
      fl_color(fl_rgb_color(230, 230, 232));
      fl_line(gx0, py, gx1, py);
      fl_color(FL_DARK3);
      fl_draw(std::to_string(v).c_str(), gx0 - 28, py + 4);
    }
    for (const int g : {-gmax * 10 / 11, gmax * 10 / 11}) {
      const int py = (p0 + p1) / 2 - g * (p1 - p0) / (2 * gmax);
      fl_color(FL_DARK3);
      fl_draw((g > 0 ? "+" + std::to_string(g) : std::to_string(g)).c_str(), gx0 - 28, py + 4);
    }
  }

  Stato& s_;
  std::function<void()> cambiato_;
  std::function<void(size_t)> scegli_;
  int premuto_x_ = 0;
  bool trascinato_ = false;
};

class Applicazione {
 public:
  Applicazione(const Sorgente& s, const OpzioniFinestra& o) : osservatore_(s.file_osservati()) {
    s_.sorgente = s;
    s_.opzioni = o;
    const int W = larghezza_finestra, H = altezza_finestra;
    w_ = std::make_unique<Fl_Double_Window>(W, H, "scenario-compiler view");
    new Fl_Box(6, 6, 40, 22, "km");
    posizione_ = new Fl_Input(40, 6, 90, 22);
    posizione_->when(FL_WHEN_ENTER_KEY_ALWAYS);
    posizione_->callback([](Fl_Widget*, void* a) { static_cast<Applicazione*>(a)->vai_al_km(); },
                         this);
    auto* vai = new Fl_Button(134, 6, 40, 22, "Go");
    vai->callback([](Fl_Widget*, void* a) { static_cast<Applicazione*>(a)->vai_al_km(); }, this);
    auto* tutto = new Fl_Button(180, 6, 80, 22, "Whole line");
    tutto->callback([](Fl_Widget*, void* a) { static_cast<Applicazione*>(a)->tutta_la_linea(); },
                    this);
    compila_ = new Fl_Button(266, 6, 120, 22, "Compile files");
    compila_->callback([](Fl_Widget*, void* a) { static_cast<Applicazione*>(a)->compila(); }, this);
    stato_ = new Fl_Box(394, 6, W - 400, 22);
    stato_->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    piano_ = new Piano(0, barra, W - largo_info, alto_piano, s_, [this] { aggiorna_vista(); });
    info_ = new Fl_Browser(W - largo_info, barra, largo_info, alto_piano);
    info_->textsize(12);
    profilo_ = new Profilo(
        0, barra + alto_piano, W, alto_profilo, s_, [this] { aggiorna_vista(); },
        [this](size_t c) { scegli(c); });
    faults_ = new Fl_Hold_Browser(0, barra + alto_piano + alto_profilo, W,
                                  H - barra - alto_piano - alto_profilo);
    faults_->textsize(12);
    faults_->callback([](Fl_Widget*, void* a) { static_cast<Applicazione*>(a)->fault_scelto(); },
                      this);
    w_->end();
    w_->resizable(profilo_);
    carica_dati(true);
  }

  int esegui() {
    w_->show();
    if (osservatore_.errore().empty() && osservatore_.fd() >= 0) {
      Fl::add_fd(
          osservatore_.fd(), FL_READ,
          [](int, void* a) { static_cast<Applicazione*>(a)->evento_file(); }, this);
    } else {
      riferisci("watch " + osservatore_.errore());
    }
    if (s_.opzioni.controllo) {
      Fl::add_fd(
          0, FL_READ, [](int, void* a) { static_cast<Applicazione*>(a)->comando(); }, this);
      // The window id once it is on the screen.
      while (!w_->shown() || !w_->visible()) Fl::wait(0.05);
      Fl::flush();
      XSync(fl_display, False);
      char t[64];
      std::snprintf(t, sizeof t, "window 0x%lx", static_cast<unsigned long>(fl_xid(w_.get())));
      riferisci(t);
    }
    return Fl::run() >= 0 ? 0 : 1;
  }

 private:
  void riferisci(const std::string& riga) {
    if (!s_.opzioni.controllo) return;
    std::cout << riga << std::endl;
  }

  void carica_dati(bool primo) {
    s_.dati = carica(s_.sorgente);
    if (primo) {
      s_.finestra = Finestra{0, std::max(s_.fine(), 1000.0)};
    }
    s_.finestra.limita(std::max(s_.fine(), 500.0));
    if (s_.scelta && *s_.scelta >= s_.dati.scenario.celle.size()) s_.scelta.reset();
    faults_->clear();
    for (const VocePannello& v : s_.dati.pannello) {
      // Colour by gravity; "@." ends the format codes, so the text is shown as it is.
      const std::string riga = "@C" + std::to_string(colore_di(v.gravita)) + "@." + v.testo;
      faults_->add(riga.c_str());
      riferisci("pane " + v.testo);
    }
    if (s_.dati.pannello.empty()) faults_->add("@iNo faults or warnings.");
    std::string stato = s_.dati.errore.empty() ? s_.dati.esito : s_.dati.errore;
    stato = ora_locale() + "  " + stato;
    if (s_.sorgente.da_descrizioni())
      stato += "  \u2013  " + nome(s_.sorgente.linea) + ", " + nome(s_.sorgente.treno);
    stato_->copy_label(stato.c_str());
    const bool avvisi =
        std::any_of(s_.dati.pannello.begin(), s_.dati.pannello.end(),
                    [](const VocePannello& v) { return v.gravita == Gravita::avviso; });
    stato_->labelcolor(!s_.dati.faults.empty() || !s_.dati.errore.empty() ? colore_fault
                       : avvisi                                           ? colore_avviso
                                                                          : FL_BLACK);
    compila_->activate();
    if (!s_.sorgente.da_descrizioni()) compila_->deactivate();
    if (s_.scelta) mostra_cella(*s_.scelta);
    w_->redraw();
    riferisci((primo ? "loaded " : "reloaded ") +
              std::string(s_.dati.errore.empty() ? s_.dati.esito : s_.dati.errore) + "; faults " +
              std::to_string(s_.dati.faults.size()) + "; " + finestra_testo());
  }

  static std::string nome(const std::string& p) {
    const size_t i = p.find_last_of('/');
    return i == std::string::npos ? p : p.substr(i + 1);
  }

  std::string finestra_testo() const {
    char t[96];
    std::snprintf(t, sizeof t, "showing %.0f to %.0f m", s_.finestra.da, s_.finestra.a);
    return t;
  }

  void aggiorna_vista() {
    char t[32];
    std::snprintf(t, sizeof t, "%.3f", (s_.finestra.da + s_.finestra.a) / 2000);
    posizione_->value(t);
    piano_->redraw();
    profilo_->redraw();
    riferisci(finestra_testo());
  }

  void vai_al_km() { vai_a(std::strtod(posizione_->value(), nullptr) * 1000); }

  void vai_a(double metri) {
    if (!std::isfinite(metri)) return;
    if (s_.finestra.ampiezza() >= s_.fine()) s_.finestra = Finestra{0, 4000};
    s_.finestra.centra(metri, s_.fine());
    aggiorna_vista();
  }

  void tutta_la_linea() {
    s_.finestra = Finestra{0, std::max(s_.fine(), 1000.0)};
    aggiorna_vista();
  }

  void scegli(size_t c) {
    s_.scelta = c;
    mostra_cella(c);
    profilo_->redraw();
  }

  void mostra_cella(size_t c) {
    info_->clear();
    for (const std::string& r : descrivi_cella(s_.dati, c)) {
      info_->add(r.c_str());
      riferisci("info " + r);
    }
  }

  // A line of the pane picked: its position shown, its cell picked.
  void fault_scelto() {
    const int riga = faults_->value();
    if (riga < 1 || static_cast<size_t>(riga) > s_.dati.pannello.size()) return;
    const VocePannello& v = s_.dati.pannello[static_cast<size_t>(riga - 1)];
    if (!v.posizione) return;
    vai_a(*v.posizione);
    if (*v.posizione >= 0) scegli(static_cast<size_t>(*v.posizione / 50));
  }

  void compila() {
    const std::string esito = scrivi_compilati(s_.sorgente);
    stato_->copy_label((ora_locale() + "  " + esito).c_str());
    riferisci("compile " + esito);
  }

  // A save is often several events: the reload waits for them to settle.
  void evento_file() {
    if (!osservatore_.leggi_eventi()) return;
    Fl::remove_timeout(ricarica_cb, this);
    Fl::add_timeout(0.15, ricarica_cb, this);
  }
  static void ricarica_cb(void* a) { static_cast<Applicazione*>(a)->carica_dati(false); }

  void comando() {
    char buf[512];
    const ssize_t n = ::read(0, buf, sizeof buf);
    if (n <= 0) {
      Fl::remove_fd(0);
      return;
    }
    in_arrivo_.append(buf, static_cast<size_t>(n));
    for (size_t fine; (fine = in_arrivo_.find('\n')) != std::string::npos;) {
      const std::string riga = in_arrivo_.substr(0, fine);
      in_arrivo_.erase(0, fine + 1);
      esegui_comando(riga);
    }
  }

  void esegui_comando(const std::string& riga) {
    char parola[32] = "";
    double a = 0, b = 0;
    const int letti = std::sscanf(riga.c_str(), "%31s %lf %lf", parola, &a, &b);
    const std::string cmd = parola;
    if (cmd == "goto" && letti >= 2) {
      posizione_->value(std::to_string(a).c_str());
      vai_al_km();
    } else if (cmd == "window" && letti >= 3) {
      s_.finestra = Finestra{a * 1000, b * 1000};
      s_.finestra.limita(s_.fine());
      aggiorna_vista();
    } else if (cmd == "select" && letti >= 2 && a >= 0) {
      scegli(static_cast<size_t>(a));
    } else if (cmd == "fault" && letti >= 2) {
      faults_->value(static_cast<int>(a));
      fault_scelto();
    } else if (cmd == "compile") {
      compila();
    } else if (cmd == "quit") {
      w_->hide();
    } else {
      riferisci("unknown command: " + riga);
    }
    Fl::flush();
    riferisci("done " + cmd);
  }

  Stato s_;
  Osservatore osservatore_;
  std::unique_ptr<Fl_Double_Window> w_;
  Fl_Input* posizione_ = nullptr;
  Fl_Button* compila_ = nullptr;
  Fl_Box* stato_ = nullptr;
  Piano* piano_ = nullptr;
  Fl_Browser* info_ = nullptr;
  Profilo* profilo_ = nullptr;
  Fl_Hold_Browser* faults_ = nullptr;
  std::string in_arrivo_;
};

}  // namespace

int esegui_finestra(const Sorgente& sorgente, const OpzioniFinestra& opzioni) {
  Fl::visual(FL_DOUBLE | FL_RGB);
  Applicazione app(sorgente, opzioni);
  return app.esegui();
}

}  // namespace sc::vista
