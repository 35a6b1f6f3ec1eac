// The blocks beside the plan view: the legend of the symbols, the station
// list with times, and the train's values.
#include <cstdio>
#include <utility>

#include "plot/plot_internal.h"

namespace sc::plot_detail {

namespace {

enum class Simbolo { binario, tacche_km, galleria, stazione, segnale, codice, rallentamento,
                     curve, velocita, pendenza, cartelli, fine_linea };

// One line of the legend: the symbol in a 28-unit box at (x, y), its text after it.
void voce_legenda(Tela& t, double x, double y, const std::string& testo, Simbolo simbolo) {
  cairo_t* cr = t.cr();
  const double s = t.s();
  const double cx = x + 14 * s;
  const double x1 = x + 28 * s;
  switch (simbolo) {
    case Simbolo::binario:
      t.colore(binario);
      t.linea(x, y, x1, y, 2);
      break;
    case Simbolo::galleria:
      t.colore(galleria);
      t.rettangolo(x, y - 7 * s, 28 * s, 14 * s);
      t.colore(galleria_piano);
      t.linea(x, y, x1, y, 5);
      break;
    case Simbolo::stazione:
      t.colore(stazione_banda);
      t.rettangolo(x, y - 7 * s, 28 * s, 14 * s);
      t.anello(cx, y, 4.5, stazione, 2);
      break;
    case Simbolo::segnale:
      t.colore(segnale);
      t.triangolo(cx, y, 5);
      cairo_fill(cr);
      break;
    case Simbolo::codice:
      t.colore(codice);
      t.rombo(cx, y, 5);
      cairo_fill(cr);
      break;
    case Simbolo::rallentamento:
      t.colore(rallentamento);
      t.linea(x, y, x1, y, 4);
      break;
    case Simbolo::curve:  // a right curve above, a left one below
      t.colore(curva_destra);
      t.rettangolo(x, y - 5 * s, 14 * s, 4 * s);
      t.colore(curva_sinistra);
      t.rettangolo(cx, y + 1 * s, 14 * s, 4 * s);
      break;
    case Simbolo::velocita:  // a step up
      t.colore(velocita);
      cairo_set_line_width(cr, 2 * s);
      cairo_move_to(cr, x, y + 4 * s);
      cairo_line_to(cr, cx, y + 4 * s);
      cairo_line_to(cr, cx, y - 4 * s);
      cairo_line_to(cr, x1, y - 4 * s);
      cairo_stroke(cr);
      break;
    case Simbolo::pendenza:
      t.colore(pendenza_area);
      t.rettangolo(x, y - 2 * s, 28 * s, 8 * s);
      t.colore(pendenza);
      t.linea(x, y - 2 * s, x1, y - 2 * s, 1.5);
      break;
    case Simbolo::cartelli:
      t.colore(cartello);
      t.quadrato(cx, y, 4);
      cairo_fill(cr);
      break;
    case Simbolo::fine_linea:
      t.colore(fine_linea);
      t.linea_tratteggiata(cx, y - 8 * s, cx, y + 8 * s, 1.5, 4, 3);
      break;
    case Simbolo::tacche_km:  // a minor and a numbered mark across the track
      t.colore(binario);
      t.linea(x, y, x1, y, 2);
      t.colore(nero);
      t.linea(x + 7 * s, y - 4 * s, x + 7 * s, y + 4 * s, 0.8);
      t.linea(x + 21 * s, y - 7 * s, x + 21 * s, y + 7 * s, 1.4);
      break;
  }
  t.colore(nero);
  t.testo(x + 38 * s, y, testo, 0, 0.5);
}

// hh:mm:ss, from 00:00:00 for a negative time.
std::string ora(int64_t secondi) {
  char buf[48];
  const int64_t s = secondi < 0 ? 0 : secondi;
  std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", static_cast<long long>(s / 3600),
                static_cast<long long>((s / 60) % 60), static_cast<long long>(s % 60));
  return buf;
}

// A block title in bold.
void titolo(Tela& t, double x, double y, const char* testo) {
  t.carattere(13, true);
  t.colore(nero);
  t.testo(x, y, testo, 0, 0);
}

}  // namespace

double disegna_legenda(Tela& t, double x, double y0, double y1) {
  const double s = t.s();
  double y = y0;
  titolo(t, x, y, "Legend");
  y += 30 * s;
  const std::pair<const char*, Simbolo> voci[] = {
      {"track (plan view)", Simbolo::binario},
      {"kilometre marks (plan view)", Simbolo::tacche_km},
      {"tunnel", Simbolo::galleria},
      {"station: extent and position", Simbolo::stazione},
      {"signal", Simbolo::segnale},
      {"cab-code point (km/h)", Simbolo::codice},
      {"speed restriction (km/h)", Simbolo::rallentamento},
      {"curve: right above, left below (radius m)", Simbolo::curve},
      {"speed limit (km/h)", Simbolo::velocita},
      {"gradient (per mille)", Simbolo::pendenza},
      {"speed / indication board", Simbolo::cartelli},
      {"end of the line", Simbolo::fine_linea},
  };
  t.carattere(11);
  for (const auto& [testo, simbolo] : voci) {
    if (y > y1) break;
    voce_legenda(t, x, y, testo, simbolo);
    y += 20 * s;
  }
  return y;
}

void disegna_info(Tela& t, const Contenuto& c, double x, double y0, double y1) {
  const double s = t.s();
  const double riga = 16 * s;
  double y = y0;
  if (y + 40 * s > y1) return;
  titolo(t, x, y, "Stations");
  y += 22 * s;
  t.carattere(10.5);
  size_t mostrate = 0;
  for (const Stazione& st : c.stazioni) {
    if (y + riga > y1 - 64 * s) break;  // room kept for the train
    char km[32];
    std::snprintf(km, sizeof km, "km %.1f", st.progressiva / 1000);
    t.colore(stazione);
    t.testo(x, y, std::to_string(st.numero), 0, 0);
    t.colore(nero);
    t.testo(x + 20 * s, y, st.nome, 0, 0);
    t.colore(grigio_testo);
    t.testo(x + 250 * s, y, km, 1, 0);
    t.testo(x + 320 * s, y, ora(st.orario), 1, 0);
    y += riga;
    ++mostrate;
  }
  const auto nota = [&](const std::string& testo) {
    t.colore(grigio_testo);
    t.testo(x, y, testo, 0, 0);
    y += riga;
  };
  if (mostrate < c.stazioni.size()) nota("... and " + std::to_string(c.stazioni.size() - mostrate) + " more");
  if (c.stazioni.empty()) nota("none");
  y += 12 * s;
  if (y + 36 * s > y1) return;
  titolo(t, x, y, "Train");
  y += 22 * s;
  t.carattere(10.5);
  char testo[200];
  std::snprintf(testo, sizeof testo, "%d coaches, braked mass %d %%, sand %d", c.vetture, c.massa_frenata,
                c.sabbia);
  t.testo(x, y, testo, 0, 0);
  y += riga;
  std::snprintf(testo, sizeof testo, "clock at the start %02d:%02d:%02d", c.ore, c.minuti, c.secondi);
  if (y + riga <= y1) t.testo(x, y, testo, 0, 0);
}

}  // namespace sc::plot_detail
