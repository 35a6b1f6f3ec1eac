// The blocks beside the plan view: the legend of the symbols, the station
// list with times, and the train's values.
#include <cstdio>
#include <utility>

#include "plot/plot_internal.h"

namespace sc::plot_detail {

namespace {

enum class Symbol {
  track,
  ticks_km,
  galleria,
  stazione,
  segnale,
  codice,
  rallentamento,
  curve,
  velocita,
  pendenza,
  cartelli,
  linea_end_color
};

// One line of the legend: the symbol in a 28-unit box at (x, y), its text after it.
void legend_entry(Canvas& t, double x, double y, const std::string& text, Symbol symbol) {
  cairo_t* cr = t.cr();
  const double s = t.s();
  const double cx = x + 14 * s;
  const double x1 = x + 28 * s;
  switch (symbol) {
    case Symbol::track:
      t.color(track);
      t.linea(x, y, x1, y, 2);
      break;
    case Symbol::galleria:
      t.color(galleria);
      t.rect(x, y - 7 * s, 28 * s, 14 * s);
      t.color(plan_galleria);
      t.linea(x, y, x1, y, 5);
      break;
    case Symbol::stazione:
      t.color(stazione_band);
      t.rect(x, y - 7 * s, 28 * s, 14 * s);
      t.ring(cx, y, 4.5, stazione, 2);
      break;
    case Symbol::segnale:
      t.color(segnale);
      t.triangle(cx, y, 5);
      cairo_fill(cr);
      break;
    case Symbol::codice:
      t.color(codice);
      t.diamond(cx, y, 5);
      cairo_fill(cr);
      break;
    case Symbol::rallentamento:
      t.color(rallentamento);
      t.linea(x, y, x1, y, 4);
      break;
    case Symbol::curve:  // a right curve above, a left one below
      t.color(right_curva);
      t.rect(x, y - 5 * s, 14 * s, 4 * s);
      t.color(left_curva);
      t.rect(cx, y + 1 * s, 14 * s, 4 * s);
      break;
    case Symbol::velocita:  // a step up
      t.color(velocita);
      cairo_set_line_width(cr, 2 * s);
      cairo_move_to(cr, x, y + 4 * s);
      cairo_line_to(cr, cx, y + 4 * s);
      cairo_line_to(cr, cx, y - 4 * s);
      cairo_line_to(cr, x1, y - 4 * s);
      cairo_stroke(cr);
      break;
    case Symbol::pendenza:
      t.color(pendenza_area);
      t.rect(x, y - 2 * s, 28 * s, 8 * s);
      t.color(pendenza);
      t.linea(x, y - 2 * s, x1, y - 2 * s, 1.5);
      break;
    case Symbol::cartelli:
      t.color(cartello);
      t.square(cx, y, 4);
      cairo_fill(cr);
      break;
    case Symbol::linea_end_color:
      t.color(linea_end_color);
      t.dashed_stroke(cx, y - 8 * s, cx, y + 8 * s, 1.5, 4, 3);
      break;
    case Symbol::ticks_km:  // a minor and a numbered mark across the track
      t.color(track);
      t.linea(x, y, x1, y, 2);
      t.color(black);
      t.linea(x + 7 * s, y - 4 * s, x + 7 * s, y + 4 * s, 0.8);
      t.linea(x + 21 * s, y - 7 * s, x + 21 * s, y + 7 * s, 1.4);
      break;
  }
  t.color(black);
  t.text(x + 38 * s, y, text, 0, 0.5);
}

// hh:mm:ss, from 00:00:00 for a negative time.
std::string time(int64_t seconds) {
  char buf[48];
  const int64_t s = seconds < 0 ? 0 : seconds;
  std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", static_cast<long long>(s / 3600),
                static_cast<long long>((s / 60) % 60), static_cast<long long>(s % 60));
  return buf;
}

// A block title in bold.
void title(Canvas& t, double x, double y, const char* text) {
  t.ch(13, true);
  t.color(black);
  t.text(x, y, text, 0, 0);
}

}  // namespace

double draw_legend(Canvas& t, double x, double y0, double y1) {
  const double s = t.s();
  double y = y0;
  title(t, x, y, "Legend");
  y += 30 * s;
  const std::pair<const char*, Symbol> entries[] = {
      {"track (plan view)", Symbol::track},
      {"kilometre marks (plan view)", Symbol::ticks_km},
      {"tunnel", Symbol::galleria},
      {"station: extent and position", Symbol::stazione},
      {"signal", Symbol::segnale},
      {"cab-code point (km/h)", Symbol::codice},
      {"speed restriction (km/h)", Symbol::rallentamento},
      {"curve: right above, left below (radius m)", Symbol::curve},
      {"speed limit (km/h)", Symbol::velocita},
      {"gradient (per mille)", Symbol::pendenza},
      {"speed / indication board", Symbol::cartelli},
      {"end of the line", Symbol::linea_end_color},
  };
  t.ch(11);
  for (const auto& [text, symbol] : entries) {
    if (y > y1) break;
    legend_entry(t, x, y, text, symbol);
    y += 20 * s;
  }
  return y;
}

void draw_info(Canvas& t, const Content& c, double x, double y0, double y1) {
  const double s = t.s();
  const double riga = 16 * s;
  double y = y0;
  if (y + 40 * s > y1) return;
  title(t, x, y, "Stations");
  y += 22 * s;
  t.ch(10.5);
  size_t shown = 0;
  for (const Stazione& st : c.stazioni) {
    if (y + riga > y1 - 64 * s) break;  // room kept for the train
    char km[32];
    std::snprintf(km, sizeof km, "km %.1f", st.progressiva / 1000);
    t.color(stazione);
    t.text(x, y, std::to_string(st.numero), 0, 0);
    t.color(black);
    t.text(x + 20 * s, y, st.nome, 0, 0);
    t.color(grey_text);
    t.text(x + 250 * s, y, km, 1, 0);
    t.text(x + 320 * s, y, time(st.orario), 1, 0);
    y += riga;
    ++shown;
  }
  const auto note = [&](const std::string& text) {
    t.color(grey_text);
    t.text(x, y, text, 0, 0);
    y += riga;
  };
  if (shown < c.stazioni.size())
    note("... and " + std::to_string(c.stazioni.size() - shown) + " more");
  if (c.stazioni.empty()) note("none");
  y += 12 * s;
  if (y + 36 * s > y1) return;
  title(t, x, y, "Train");
  y += 22 * s;
  t.ch(10.5);
  char text[200];
  std::snprintf(text, sizeof text, "%d coaches, braked mass %d %%, sand %d", c.vetture,
                c.massa_frenata, c.sabbia);
  t.text(x, y, text, 0, 0);
  y += riga;
  std::snprintf(text, sizeof text, "clock at the start %02d:%02d:%02d", c.ore, c.minutes,
                c.seconds);
  if (y + riga <= y1) t.text(x, y, text, 0, 0);
}

}  // namespace sc::plot_detail
