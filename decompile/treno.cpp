// The train description: general values, profiles, stations, restrictions,
// signals and cab-code points.
#include <climits>

#include "decompile/decoders.h"
#include "decompile/reconstruction.h"

namespace sc::decompile {
namespace {

// A 32-bit value from a 64-bit sum, or nothing when it does not fit.
std::optional<int32_t> to_i32(int64_t v) {
  if (v < INT32_MIN || v > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(v);
}

void stazioni(const Data& d, TrenoDescription& out, Note& note) {
  const int n = element_roles(d.elementi).stazioni;
  for (int k = 1; k <= n; ++k) {
    const Elemento& r = d.elementi[static_cast<size_t>(k)];
    const std::string dove = "record " + std::to_string(k);
    const int64_t p = r.progressiva;
    int64_t lunghezza = 0;
    int dato_6 = r.dato_6;
    int64_t wait_end = 0;
    if (r.tipo == 5 || r.tipo == 6) {
      lunghezza = p - r.inizio;
      wait_end = p + 150;
    } else if (r.tipo == 7 || r.tipo == 8) {
      lunghezza = p - r.inizio;
      wait_end = p + lunghezza;
    } else {
      lunghezza = 2 * (p - r.inizio);
      const int64_t beyond = int64_t{r.fine} - (p + lunghezza / 2);
      // The first station is stored with dato_6 0 even when it made its
      // extent 50 m longer.
      if (k == 1 && beyond == 50) dato_6 = 1;
      wait_end = p + lunghezza / 2 + (dato_6 != 0 ? 50 : 0);
    }
    if (wait_end != r.fine) {
      note.add(dove + ": station of type " + std::to_string(r.tipo) + " from " +
               std::to_string(r.inizio) + " to " + std::to_string(r.fine) +
               " m is not the extent its position " + std::to_string(r.progressiva) + " m gives");
    }
    if (!to_i32(lunghezza) || lunghezza % 100 != 0) {
      note.add(dove + ": station length " + std::to_string(lunghezza) +
               " m is not a multiple of 100");
    }
    if (p % 50 != 0)
      note.add(dove + ": station position " + std::to_string(p) + " m is not a multiple of 50");
    if (!field_text(r.nome)) {
      note.add(dove +
               ": a station name with a comma, a line end or blanks at an end cannot be read back "
               "as written");
    }
    const int32_t orario = r.orario;
    const bool marks = r.tipo < 25 && r.tipo != 5 && r.tipo != 6 && r.fine % 50 == 0;
    out.stazioni_markers.push_back(
        {true, out.stazioni.size(), marks ? int64_t{r.fine} / 50 - 1 : -1, 0});
    out.stazioni.push_back(
        printf_string(
            "stazione, %7d, %2d, %4lld, %2d, %d, %d,  %d,%d,%d,  %d,%d,%d, %4d, %3d,%2d, %d, ",
            r.progressiva, r.tipo, static_cast<long long>(to_i32(lunghezza).value_or(0)), r.dato_4,
            r.dato_5, dato_6, r.dato_7, r.dato_8, r.dato_9, r.dato_10, r.dato_11, r.dato_12,
            r.dato_13, orario / 3600, orario % 3600 / 60, orario % 60) +
        r.nome);
  }
}

void rallentamenti(const std::vector<Cella>& c, TrenoDescription& out, Note& note) {
  const int64_t u = static_cast<int64_t>(c.size()) - 1;
  std::vector<bool> used(c.size());
  const auto cella = [&](int64_t i) -> const Cella* {
    return i >= 0 && i <= u ? &c[static_cast<size_t>(i)] : nullptr;
  };
  for (int64_t s = 0; s <= u; ++s) {
    const Cella& inizio = c[static_cast<size_t>(s)];
    if (inizio.tipo != tipo_cella::inizio_rallentamento) continue;
    used[static_cast<size_t>(s)] = true;
    const int v = inizio.valore_1, d_v = inizio.valore_2, f_tt = inizio.valore_3;
    // Its end: the first end cell after it with the same values; none for a
    // restriction whose end fell into its start cell.
    int64_t e = s;
    for (int64_t q = s + 1; q <= u; ++q) {
      const Cella& f = c[static_cast<size_t>(q)];
      if (f.tipo == tipo_cella::fine_rallentamento && !used[static_cast<size_t>(q)] &&
          f.valore_1 == v && f.valore_2 == d_v && f.valore_3 == f_tt) {
        e = q;
        used[static_cast<size_t>(q)] = true;
        break;
      }
    }
    const int64_t x = 50 * (s - 1);
    int f_ta = 0;
    if (x > 1500) {
      const int64_t w = s - 24;
      const Cella* avviso = cella(w);
      if (avviso == nullptr || avviso->tipo != tipo_cella::avviso_rallentamento ||
          avviso->valore_1 != v) {
        note.add(cella_at(s) + ": a restriction start without its warning cell 1200 m before");
      } else {
        f_ta = 1;
        for (int j = 1; j <= 4; ++j) {
          const Cella* a = cella(w - j);
          if (a == nullptr || a->tipo != tipo_cella::approccio_rallentamento || a->valore_1 != j)
            f_ta = 0;
        }
      }
    }
    out.rallentamenti.push_back(printf_string(
        "rallentamento,   %lld,   %d,   %lld,   %d, %d, %d", static_cast<long long>(x), v,
        static_cast<long long>(50 * (e - s)), f_tt, f_ta, d_v));
  }
  for (int64_t q = 0; q <= u; ++q) {
    if (c[static_cast<size_t>(q)].tipo == tipo_cella::fine_rallentamento &&
        !used[static_cast<size_t>(q)]) {
      note.add(cella_at(q) + ": a restriction end without its start");
    }
  }
}

// floor(v / 10) and v - 10 floor(v / 10).
int tens(int v) { return v >= 0 ? v / 10 : -((-v + 9) / 10); }
int unit(int v) { return v - 10 * tens(v); }

void segnali(const std::vector<Cella>& c, TrenoDescription& out) {
  for (size_t i = 0; i < c.size(); ++i) {
    const Cella& x = c[i];
    if (x.tipo != tipo_cella::segnale) continue;
    // valore_4 = rapp * 10 + sx * 3 + dx; the other three pack s * 10 + d.
    const int side = unit(x.valore_4), rapp = tens(x.valore_4);
    const int sx = side / 3, dx = side % 3;
    // Times 1 to 100 are stored as 101: the cell's byte is the time itself
    // when it reads back unchanged, else the same byte above 255.
    int tempo = 0;
    if (sx == 2) tempo = x.tempo >= 1 && x.tempo <= 100 ? x.tempo + 256 : x.tempo;
    out.segnali_markers.push_back(
        {false, out.segnali.size(), static_cast<int64_t>(i), unit(x.valore_4)});
    out.segnali.push_back(
        printf_string("segnale, %7lld,   %d, %d, %d,  %d, %d,    %d,  %d,%d,%d, %d",
                      static_cast<long long>(50 * (static_cast<int64_t>(i) - 1)), sx,
                      tens(x.valore_1), tens(x.valore_2), tens(x.valore_3), rapp, dx,
                      unit(x.valore_1), unit(x.valore_2), unit(x.valore_3), tempo));
  }
}

void codes(const std::vector<Cella>& c, const std::vector<bool>& of_step, TrenoDescription& out,
           Note& note) {
  const int64_t u = static_cast<int64_t>(c.size()) - 1;
  for (int64_t i = 0; i <= u; ++i) {
    const Cella& x = c[static_cast<size_t>(i)];
    if (x.tipo != tipo_cella::codice && x.tipo != tipo_cella::codice_senza_velocita) continue;
    if (of_step[static_cast<size_t>(i)]) continue;
    if (i > u - 2) {
      note.add(cella_at(i) +
               ": a cab-code cell in the last two cells, where no position on the line puts one");
      continue;
    }
    int32_t v = 0;
    if (x.tipo == tipo_cella::codice) {
      // Stored as its low 16 bits; a value of 0 or below needs the same bits above 0.
      v = x.valore_1 > 0 ? x.valore_1 : x.valore_1 + 65536;
    } else if (x.valore_1 != 0) {
      note.add(cella_at(i) + ": a cab-code cell without speed that holds a speed");
    }
    // The cell holding the position itself.
    out.codes.push_back(
        printf_string("abbattimento, %7lld,   %d", static_cast<long long>(50 * i), v));
  }
}

}  // namespace

void treno(const Data& d, const std::vector<bool>& pass_added, TrenoDescription& out, Note& note) {
  const Elemento& treno_linea = d.elementi[record_treno_linea];
  const Elemento& rip = d.elementi[record_ripetizione];
  out.generale.push_back(printf_string("numero vetture,    %d", treno_linea.progressiva));
  out.generale.push_back(printf_string("percentuale massa frenata,    %d", treno_linea.inizio));
  out.generale.push_back(printf_string("sabbia,    %d", rip.dato_7));
  out.generale.push_back(printf_string("orologio,    %d              %d            %d ",
                                       rip.dato_10, rip.dato_11, rip.dato_12));

  profile(
      d.celle, [](const Cella& c) { return c.aderenza; },
      [](int64_t pos, uint8_t b) {
        return printf_string("aderenza,   %lld,    %d", static_cast<long long>(pos), b);
      },
      out.aderenze);
  profile(
      d.celle, [](const Cella& c) { return c.velocita; },
      [](int64_t pos, uint8_t b) {
        return printf_string(pos == 0 ? "velocita,   %lld,    %d" : "velocita,    %lld,   %d",
                             static_cast<long long>(pos), 5 * b);
      },
      out.vel_limite);

  stazioni(d, out, note);
  rallentamenti(d.celle, out, note);
  segnali(d.celle, out);
  codes(d.celle, pass_added, out, note);
}

}  // namespace sc::decompile
