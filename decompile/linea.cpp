// The line description: general values, tunnels and boards.
#include <algorithm>
#include <array>
#include <climits>
#include <map>

#include "compiler/line_placement.h"
#include "decompile/formato.h"
#include "decompile/ricostruzione.h"

namespace sc::decompila {
namespace {

struct Terna {
  int32_t a = 0, b = 0, c = 0;
  bool operator==(const Terna&) const = default;
};

Terna terna(const Elemento& e) { return {e.inizio, e.fine, e.progressiva}; }

// The references as read, that the ordering turns into records 81 to 83;
// nothing when no assignment of the three to the keys does.
std::optional<std::array<Terna, 3>> riferimenti_letti(const std::array<Elemento, numero_elementi>& el) {
  std::array<Terna, 3> dopo{terna(el[record_progressiva_tre]), terna(el[record_progressiva_due]),
                            terna(el[record_progressiva_uno])};
  // The ordering adds 100 to the second value of a reference whose third is 1.
  std::array<Terna, 3> letti = dopo;
  for (Terna& t : letti) {
    if (t.c != 1) continue;
    if (t.b < INT32_MIN + 100) return std::nullopt;
    t.b -= 100;
  }
  // Keys tre, due, uno get the references in every order; the first order
  // that the ordering maps back onto the records wins.
  std::array<int, 3> ordine{0, 1, 2};
  do {
    Percorso p;
    for (int r = 0; r < 3; ++r) {
      Elemento& e = p.elementi[static_cast<size_t>(record_progressiva_tre + r)];
      const Terna& t = letti[static_cast<size_t>(ordine[static_cast<size_t>(r)])];
      e.inizio = t.a, e.fine = t.b, e.progressiva = t.c;
    }
    try {
      progressive_ordina(p);
    } catch (const std::exception&) {
      continue;
    }
    bool uguale = true;
    for (int r = 0; r < 3; ++r) {
      uguale = uguale && terna(p.elementi[static_cast<size_t>(record_progressiva_tre + r)]) == dopo[static_cast<size_t>(r)];
    }
    if (uguale) {
      std::array<Terna, 3> per_chiave;  // tre, due, uno
      for (int r = 0; r < 3; ++r) per_chiave[static_cast<size_t>(r)] = letti[static_cast<size_t>(ordine[static_cast<size_t>(r)])];
      return per_chiave;
    }
  } while (std::next_permutation(ordine.begin(), ordine.end()));
  return std::nullopt;
}

}  // namespace

void generale_linea(const Dati& d, DescrizioneLinea& out, Note& note) {
  const auto& el = d.elementi;
  const int32_t lunghezza = el[record_treno_linea].fine;
  out.generale.push_back(printf_string("lunghezza percorso,    %d", lunghezza));
  if (lunghezza < 0 || lunghezza > lunghezza_massima || ultima_cella_per(lunghezza) != d.ultima_cella()) {
    note.aggiungi("record 84: line length " + std::to_string(lunghezza) + " m does not give the " +
                  std::to_string(d.celle.size()) + " cells of the cells file");
  }

  const auto riferimenti = riferimenti_letti(el);
  if (!riferimenti) {
    note.aggiungi("records 81 to 83: no three kilometre references are put in this order by the compile");
  }
  const std::array<Terna, 3> r = riferimenti.value_or(
      std::array<Terna, 3>{terna(el[record_progressiva_tre]), terna(el[record_progressiva_due]),
                           terna(el[record_progressiva_uno])});
  out.generale.push_back(printf_string("progressiva chilometrica uno,    %d,    %d,    %d", r[2].a, r[2].b, r[2].c));
  out.generale.push_back(printf_string("progressiva chilometrica due,    %d,    %d,    %d", r[1].a, r[1].b, r[1].c));
  out.generale.push_back(printf_string("progressiva chilometrica tre,    %d,    %d,    %d", r[0].a, r[0].b, r[0].c));

  const Elemento& sfondo = el[record_sfondo_identita];
  out.generale.push_back(printf_string("sfondo uno,    %d", sfondo.inizio));
  out.generale.push_back(printf_string("sfondo due,    %d", sfondo.progressiva));
  out.generale.push_back(printf_string("sfondo tre,    %d", sfondo.fine));

  const Elemento& rip = el[record_ripetizione];
  int codici = rip.progressiva;
  if (!(codici == 4 || codici == 9 || (codici == 0 && rip.fine == 0)) || (codici != 0 && rip.fine == 0)) {
    note.aggiungi("record 86: " + std::to_string(rip.progressiva) + " repeated codes with a second value of " +
                  std::to_string(rip.fine) + " (the compile stores 4 or 9, or 0 when that value is 0)");
  }
  if (codici != 4) codici = 9;
  out.generale.push_back(printf_string("ripetizione segnali %d codici,    %d,    %d", codici, rip.inizio, rip.fine));
}

namespace {

// One tunnel entry: cells `prima` to `ultima`, with or without markers.
struct Tratto {
  int64_t prima, ultima;
  bool marche;
};

// The stretches that leave the tunnel markers of cells a to b as they are:
// a marked stretch puts a marker (type 11) on every fourth cell counted
// from its first, where the cell is still empty; later elements may take
// a marker's cell. Where the markers change phase a new stretch begins,
// overlapping the one before when it must.
std::vector<Tratto> dividi(const std::vector<Cella>& c, int64_t a, int64_t b, Note& note) {
  const auto tipo = [&](int64_t i) { return c[static_cast<size_t>(i)].tipo; };
  std::vector<Tratto> out;
  int64_t s = a;
  int64_t spiegato = a - 1;  // cells up to here belong to a stretch already
  for (;;) {
    const int64_t da = std::max(s, spiegato + 1);
    int64_t m = da;
    while (m <= b && tipo(m) != tipo_cella::marca_galleria) ++m;
    if (m > b) {
      out.push_back({s, b, false});
      return out;
    }
    if (m - 3 < s) {
      if (m - 3 < a) {
        note.aggiungi(cella_at(m) + ": a tunnel marker no tunnel stretch within the tunnel puts there");
        out.push_back({s, b, false});
        return out;
      }
      s = m - 3;  // overlaps the stretch before
    }
    // The stretch from s must place m and find taken cells at its earlier
    // marker places; otherwise a stretch without markers comes first.
    bool fino_a_m = (m - s) % 4 == 3;
    for (int64_t x = std::max(s, spiegato + 1); fino_a_m && x < m; ++x) {
      if ((x - s) % 4 == 3 && tipo(x) == tipo_cella::vuota) fino_a_m = false;
    }
    if (!fino_a_m) {
      out.push_back({s, m - 4, false});
      spiegato = m - 4;
      s = m - 3;
    }
    int64_t e = std::max(s, spiegato + 1);
    for (; e <= b; ++e) {
      const bool posto = (e - s) % 4 == 3;
      if (posto ? tipo(e) == tipo_cella::vuota : tipo(e) == tipo_cella::marca_galleria) break;
    }
    out.push_back({s, e - 1, true});
    spiegato = e - 1;
    if (e > b) return out;
    s = tipo(e) == tipo_cella::marca_galleria ? e - 3 : e;
  }
}

}  // namespace

// The end of a tunnel entry that covers no cell, far before the line.
constexpr int fine_vuota = -1000;

// A cab-code cell of the consistency pass takes a marker's cell like any
// other element, so the pass's cells need no telling apart here.
void montagne(const Dati& d, DescrizioneLinea& out, Note& note) {
  const std::vector<Cella>& c = d.celle;
  const int64_t u = d.ultima_cella();
  std::optional<int64_t> fine_prima;
  for (int64_t i = 0; i <= u;) {
    const uint8_t g = c[static_cast<size_t>(i)].galleria;
    if (g == 0) {
      if (c[static_cast<size_t>(i)].tipo == tipo_cella::marca_galleria) {
        note.aggiungi(cella_at(i) + ": a tunnel marker outside any tunnel");
      }
      ++i;
      continue;
    }
    const int64_t a = i;
    while (i <= u && c[static_cast<size_t>(i)].galleria == g) ++i;
    for (const Tratto& t : dividi(c, a, i - 1, note)) {
      if (t.prima > t.ultima) continue;
      const int64_t inizio = 50 * t.prima, fine = 50 * (t.ultima + 1);
      // A stretch that begins 150 m or less after the end of the entry
      // before it gets kind 3 whatever its entry says. Another kind there
      // needs an entry before it that ends far away: one that covers no
      // cell.
      if (fine_prima && inizio - *fine_prima <= 150 && g != 3) {
        out.montagne.push_back(printf_string("montagna,   0,  %d,  0", fine_vuota));
        fine_prima = fine_vuota;
      }
      if (t.prima > u - 2) note.aggiungi(cella_at(t.prima) + ": a tunnel that begins in the last two cells");
      const int tipo = t.marche ? g + 10 : (g <= 10 ? g : g - 256);
      out.montagne.push_back(printf_string("montagna,   %lld,  %lld,  %d", static_cast<long long>(inizio),
                                  static_cast<long long>(fine), tipo));
      fine_prima = fine;
    }
  }
}

void cartelli(const Dati& d, DescrizioneLinea& out, Note& note) {
  const std::vector<Cella>& c = d.celle;
  const int64_t u = d.ultima_cella();
  std::map<int, int64_t, std::greater<>> per_record;  // board text record -> cell
  for (int64_t i = 0; i <= u; ++i) {
    const Cella& x = c[static_cast<size_t>(i)];
    if (x.tipo != tipo_cella::indicatori_v_max && x.tipo != tipo_cella::cartello_indicatore) continue;
    // The board lies in the cell after the one holding its position (cell
    // 0 for a position of -50 m).
    if (i > u - 1) {
      note.aggiungi(cella_at(i) + ": a board where no position on the line puts one");
      continue;
    }
    const long long pos = 50 * (i - 1);
    if (x.tipo == tipo_cella::indicatori_v_max) {
      // Left speed / 5 in the hundreds, right speed / 5 below.
      const auto sinistra = [](int v) { return 5 * (v >= 0 ? v / 100 : -((-v + 99) / 100)); };
      const auto destra = [&](int v) { return 5 * (v - sinistra(v) / 5 * 100); };
      const auto strisce_s = [](int v) { return v >= 0 ? v / 10 : -((-v + 9) / 10); };
      out.cartelli.push_back(printf_string("indicatori_vmax,  %lld,  %d,  %d,  %d,  %d,  %d,  %d,  %d,  %d", pos,
                                  sinistra(x.valore_1), sinistra(x.valore_2), sinistra(x.valore_3),
                                  strisce_s(x.valore_4), destra(x.valore_1), destra(x.valore_2),
                                  destra(x.valore_3), x.valore_4 - 10 * strisce_s(x.valore_4)));
      continue;
    }
    const int r = x.valore_1;
    if (r < 1 || r > record_primo_cartello || per_record.count(r) != 0) {
      note.aggiungi(cella_at(i) + ": an indication board naming record " + std::to_string(r) +
                    (per_record.count(r) != 0 ? ", which another board names too" : ", where no board text lies"));
      continue;
    }
    per_record[r] = i;
  }
  const RuoliElementi ruoli = ruoli_elementi(d.elementi);
  for (int r = record_primo_cartello; ruoli.ultimo_cartello > 0 && r >= ruoli.ultimo_cartello; --r) {
    if (per_record.count(r) == 0) {
      note.aggiungi("record " + std::to_string(r) + ": a board text that no indication-board cell names");
    }
  }
  // Texts take records 80, 79, ... in the order of the entries.
  int atteso = record_primo_cartello;
  for (const auto& [r, i] : per_record) {
    if (r != atteso) {
      note.aggiungi(cella_at(i) + ": indication board text in record " + std::to_string(r) + " where the next board takes record " +
                    std::to_string(atteso));
    }
    atteso = r - 1;
    const std::string& testo = d.elementi[static_cast<size_t>(r)].nome;
    if (!testo_di_campo(testo)) {
      note.aggiungi("record " + std::to_string(r) +
                    ": a board text with a comma, a line end or blanks at an end cannot be read back as written");
    }
    out.indicazioni.push_back(printf_string("cartello_indicatore,  %lld,   ", static_cast<long long>(50 * (i - 1))) + testo);
  }
}

}  // namespace sc::decompila
