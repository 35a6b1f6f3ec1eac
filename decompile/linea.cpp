// The line description: general values, tunnels and boards.
#include <algorithm>
#include <array>
#include <climits>
#include <map>

#include "compiler/line_placement.h"
#include "decompile/decoders.h"
#include "decompile/reconstruction.h"

namespace sc::decompile {
namespace {

struct Triple {
  int32_t a = 0, b = 0, c = 0;
  bool operator==(const Triple&) const = default;
};

Triple triple(const Elemento& e) { return {e.inizio, e.fine, e.progressiva}; }

// The references as read, that the ordering turns into records 81 to 83;
// nothing when no assignment of the three to the keys does.
std::optional<std::array<Triple, 3>> read_references(
    const std::array<Elemento, numero_elementi>& el) {
  std::array<Triple, 3> after{triple(el[record_progressiva_tre]),
                              triple(el[record_progressiva_due]),
                              triple(el[record_progressiva_uno])};
  // The ordering adds 100 to the second value of a reference whose third is 1.
  std::array<Triple, 3> parsed = after;
  for (Triple& t : parsed) {
    if (t.c != 1) continue;
    if (t.b < INT32_MIN + 100) return std::nullopt;
    t.b -= 100;
  }
  // Keys tre, due, uno get the references in every order; the first order
  // that the ordering maps back onto the records wins.
  std::array<int, 3> order{0, 1, 2};
  do {
    Percorso p;
    for (int r = 0; r < 3; ++r) {
      Elemento& e = p.elementi[static_cast<size_t>(record_progressiva_tre + r)];
      const Triple& t = parsed[static_cast<size_t>(order[static_cast<size_t>(r)])];
      e.inizio = t.a, e.fine = t.b, e.progressiva = t.c;
    }
    try {
      progressive_ordina(p);
    } catch (const std::exception&) {
      continue;
    }
    bool equal = true;
    for (int r = 0; r < 3; ++r) {
      equal = equal && triple(p.elementi[static_cast<size_t>(record_progressiva_tre + r)]) ==
                           after[static_cast<size_t>(r)];
    }
    if (equal) {
      std::array<Triple, 3> by_key;  // tre, due, uno
      for (int r = 0; r < 3; ++r)
        by_key[static_cast<size_t>(r)] = parsed[static_cast<size_t>(order[static_cast<size_t>(r)])];
      return by_key;
    }
  } while (std::next_permutation(order.begin(), order.end()));
  return std::nullopt;
}

}  // namespace

void generale_linea(const Data& d, LineaDescription& out, Note& note) {
  const auto& el = d.elementi;
  const int32_t lunghezza = el[record_treno_linea].fine;
  out.generale.push_back(printf_string("lunghezza percorso,    %d", lunghezza));
  if (lunghezza < 0 || lunghezza > max_length || last_cell_for(lunghezza) != d.last_cell()) {
    note.add("record 84: line length " + std::to_string(lunghezza) + " m does not give the " +
             std::to_string(d.celle.size()) + " cells of the cells file");
  }

  const auto references = read_references(el);
  if (!references) {
    note.add(
        "records 81 to 83: no three kilometre references are put in this order by the compile");
  }
  const std::array<Triple, 3> r = references.value_or(
      std::array<Triple, 3>{triple(el[record_progressiva_tre]), triple(el[record_progressiva_due]),
                            triple(el[record_progressiva_uno])});
  out.generale.push_back(
      printf_string("progressiva chilometrica uno,    %d,    %d,    %d", r[2].a, r[2].b, r[2].c));
  out.generale.push_back(
      printf_string("progressiva chilometrica due,    %d,    %d,    %d", r[1].a, r[1].b, r[1].c));
  out.generale.push_back(
      printf_string("progressiva chilometrica tre,    %d,    %d,    %d", r[0].a, r[0].b, r[0].c));

  const Elemento& sfondo = el[record_sfondo_identita];
  out.generale.push_back(printf_string("sfondo uno,    %d", sfondo.inizio));
  out.generale.push_back(printf_string("sfondo due,    %d", sfondo.progressiva));
  out.generale.push_back(printf_string("sfondo tre,    %d", sfondo.fine));

  const Elemento& rip = el[record_ripetizione];
  int codes = rip.progressiva;
  if (!(codes == 4 || codes == 9 || (codes == 0 && rip.fine == 0)) ||
      (codes != 0 && rip.fine == 0)) {
    note.add("record 86: " + std::to_string(rip.progressiva) +
             " repeated codes with a second value of " + std::to_string(rip.fine) +
             " (the compile stores 4 or 9, or 0 when that value is 0)");
  }
  if (codes != 4) codes = 9;
  out.generale.push_back(
      printf_string("ripetizione segnali %d codici,    %d,    %d", codes, rip.inizio, rip.fine));
}

namespace {

// One tunnel entry: cells `before` to `last`, with or without markers.
struct Stretch {
  int64_t before, last;
  bool marks;
};

// The stretches that leave the tunnel markers of cells a to b as they are:
// a marked stretch puts a marker (type 11) on every fourth cell counted
// from its first, where the cell is still empty; later elements may take
// a marker's cell. Where the markers change phase a new stretch begins,
// overlapping the one before when it must.
std::vector<Stretch> split(const std::vector<Cella>& c, int64_t a, int64_t b, Note& note) {
  const auto tipo = [&](int64_t i) { return c[static_cast<size_t>(i)].tipo; };
  std::vector<Stretch> out;
  int64_t s = a;
  int64_t explained = a - 1;  // cells up to here belong to a stretch already
  for (;;) {
    const int64_t from = std::max(s, explained + 1);
    int64_t m = from;
    while (m <= b && tipo(m) != tipo_cella::marca_galleria) ++m;
    if (m > b) {
      out.push_back({s, b, false});
      return out;
    }
    if (m - 3 < s) {
      if (m - 3 < a) {
        note.add(cella_at(m) + ": a tunnel marker no tunnel stretch within the tunnel puts there");
        out.push_back({s, b, false});
        return out;
      }
      s = m - 3;  // overlaps the stretch before
    }
    // The stretch from s must place m and find taken cells at its earlier
    // marker places; otherwise a stretch without markers comes first.
    bool up_to_m = (m - s) % 4 == 3;
    for (int64_t x = std::max(s, explained + 1); up_to_m && x < m; ++x) {
      if ((x - s) % 4 == 3 && tipo(x) == tipo_cella::vuota) up_to_m = false;
    }
    if (!up_to_m) {
      out.push_back({s, m - 4, false});
      explained = m - 4;
      s = m - 3;
    }
    int64_t e = std::max(s, explained + 1);
    for (; e <= b; ++e) {
      const bool placed = (e - s) % 4 == 3;
      if (placed ? tipo(e) == tipo_cella::vuota : tipo(e) == tipo_cella::marca_galleria) break;
    }
    out.push_back({s, e - 1, true});
    explained = e - 1;
    if (e > b) return out;
    s = tipo(e) == tipo_cella::marca_galleria ? e - 3 : e;
  }
}

}  // namespace

// The end of a tunnel entry that covers no cell, far before the line.
constexpr int empty_end = -1000;

// A cab-code cell of the consistency pass takes a marker's cell like any
// other element, so the pass's cells need no telling apart here.
void montagne(const Data& d, LineaDescription& out, Note& note) {
  const std::vector<Cella>& c = d.celle;
  const int64_t u = d.last_cell();
  std::optional<int64_t> end_before;
  for (int64_t i = 0; i <= u;) {
    const uint8_t g = c[static_cast<size_t>(i)].galleria;
    if (g == 0) {
      if (c[static_cast<size_t>(i)].tipo == tipo_cella::marca_galleria) {
        note.add(cella_at(i) + ": a tunnel marker outside any tunnel");
      }
      ++i;
      continue;
    }
    const int64_t a = i;
    while (i <= u && c[static_cast<size_t>(i)].galleria == g) ++i;
    for (const Stretch& t : split(c, a, i - 1, note)) {
      if (t.before > t.last) continue;
      const int64_t inizio = 50 * t.before, fine = 50 * (t.last + 1);
      // A stretch that begins 150 m or less after the end of the entry
      // before it gets kind 3 whatever its entry says. Another kind there
      // needs an entry before it that ends far away: one that covers no
      // cell.
      if (end_before && inizio - *end_before <= 150 && g != 3) {
        out.montagne.push_back(printf_string("montagna,   0,  %d,  0", empty_end));
        end_before = empty_end;
      }
      if (t.before > u - 2)
        note.add(cella_at(t.before) + ": a tunnel that begins in the last two cells");
      const int tipo = t.marks ? g + 10 : (g <= 10 ? g : g - 256);
      out.montagne.push_back(printf_string("montagna,   %lld,  %lld,  %d",
                                           static_cast<long long>(inizio),
                                           static_cast<long long>(fine), tipo));
      end_before = fine;
    }
  }
}

void cartelli(const Data& d, LineaDescription& out, Note& note) {
  const std::vector<Cella>& c = d.celle;
  const int64_t u = d.last_cell();
  std::map<int, int64_t, std::greater<>> by_record;  // board text record -> cell
  for (int64_t i = 0; i <= u; ++i) {
    const Cella& x = c[static_cast<size_t>(i)];
    if (x.tipo != tipo_cella::indicatori_v_max && x.tipo != tipo_cella::cartello_indicatore)
      continue;
    // The board lies in the cell after the one holding its position (cell
    // 0 for a position of -50 m).
    if (i > u - 1) {
      note.add(cella_at(i) + ": a board where no position on the line puts one");
      continue;
    }
    const long long pos = 50 * (i - 1);
    if (x.tipo == tipo_cella::indicatori_v_max) {
      // Left speed / 5 in the hundreds, right speed / 5 below.
      const auto left = [](int v) { return 5 * (v >= 0 ? v / 100 : -((-v + 99) / 100)); };
      const auto right = [&](int v) { return 5 * (v - left(v) / 5 * 100); };
      const auto strisce_s = [](int v) { return v >= 0 ? v / 10 : -((-v + 9) / 10); };
      out.cartelli.push_back(printf_string(
          "indicatori_vmax,  %lld,  %d,  %d,  %d,  %d,  %d,  %d,  %d,  %d", pos, left(x.valore_1),
          left(x.valore_2), left(x.valore_3), strisce_s(x.valore_4), right(x.valore_1),
          right(x.valore_2), right(x.valore_3), x.valore_4 - 10 * strisce_s(x.valore_4)));
      continue;
    }
    const int r = x.valore_1;
    if (r < 1 || r > first_board_record || by_record.count(r) != 0) {
      note.add(cella_at(i) + ": an indication board naming record " + std::to_string(r) +
               (by_record.count(r) != 0 ? ", which another board names too"
                                        : ", where no board text lies"));
      continue;
    }
    by_record[r] = i;
  }
  const ElementRoles roles = element_roles(d.elementi);
  for (int r = first_board_record; roles.last_board > 0 && r >= roles.last_board; --r) {
    if (by_record.count(r) == 0) {
      note.add("record " + std::to_string(r) +
               ": a board text that no indication-board cell names");
    }
  }
  // Texts take records 80, 79, ... in the order of the entries.
  int expected = first_board_record;
  for (const auto& [r, i] : by_record) {
    if (r != expected) {
      note.add(cella_at(i) + ": indication board text in record " + std::to_string(r) +
               " where the next board takes record " + std::to_string(expected));
    }
    expected = r - 1;
    const std::string& text = d.elementi[static_cast<size_t>(r)].nome;
    if (!field_text(text)) {
      note.add("record " + std::to_string(r) +
               ": a board text with a comma, a line end or blanks at an end cannot be read back as "
               "written");
    }
    out.indicazioni.push_back(
        printf_string("cartello_indicatore,  %lld,   ", static_cast<long long>(50 * (i - 1))) +
        text);
  }
}

}  // namespace sc::decompile
