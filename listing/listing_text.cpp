// A compiled file shown as text for reading: the cells as a table, the
// element table by the role of each record, the track plan as metre, x, y.
#include <charconv>

#include "format/compiled_decode.h"
#include "listing/listing_internal.h"

namespace sc::inspect_detail {

namespace {

// Shortest text that reads back as the same double; reals always show a
// decimal point so that they stand apart from the 16-bit seeds.
std::string text_number(const Numero& n) {
  switch (n.tag) {
    case Numero::Tag::empty: return "-";
    case Numero::Tag::integer: return printf_string("%d", static_cast<int>(n.valore));
    case Numero::Tag::real: break;
  }
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, n.valore);
  std::string s(buf, r.ptr);
  if (s.find_first_of(".eni") == std::string::npos) s += ".0";
  return s;
}

// Every field of a record, named, in the order of the file.
std::string raw_record_text(const Elemento& e, int r) {
  std::string out = printf_string("  record %2d:", r);
  for (const ElementoField& c : elemento_fields) {
    out += std::string(" ") + c.field + " ";
    out += c.text() ? printf_string("\"%s\"", utf8_showable_from_1252(e.nome).c_str())
                    : std::to_string(c.numero(e));
  }
  return out + "\n";
}

}  // namespace

namespace {

const char* profile_name(Profile p) {
  switch (p) {
    case Profile::velocita: return "Speeds (km/h)";
    case Profile::pendenza: return "Gradients (per mille)";
    case Profile::galleria: return "Tunnels (kind)";
    case Profile::aderenza: return "Adhesion";
  }
  return "";
}

std::string stretches_text(const std::vector<Cella>& celle, const InspectOptions& o) {
  std::string out;
  for (const Profile p : {Profile::velocita, Profile::pendenza, Profile::galleria}) {
    if (!show_stretches(o, p)) continue;
    const std::vector<Stretch> t = chosen_stretches(celle, p, o);
    out += printf_string("%s: %zu %s\n", profile_name(p), t.size(),
                         t.size() == 1 ? "stretch" : "stretches");
    if (!t.empty()) out += printf_string("  %10s %10s %8s\n", "from m", "to m", "value");
    for (const Stretch& x : t)
      out += printf_string("  %10lld %10lld %8d\n", static_cast<long long>(x.from),
                           static_cast<long long>(x.a), x.valore);
  }
  return out;
}

}  // namespace

void celle_text(Sink& out, const std::vector<Cella>& celle, const InspectOptions& o,
                const Elementi* el) {
  if (celle.empty()) {
    out += "Cells: none\n";
    return;
  }
  out += printf_string("Cells: %zu (0 to %zu)", celle.size(), celle.size() - 1);
  const auto [from, a] = limits(celle, o);
  if (o.celle)
    out += a > from ? printf_string("; showing %zu to %zu", from, a - 1)
                    : std::string("; none in the range");
  if (o.metres) {
    out += printf_string("; placed from %.3f km", static_cast<double>(o.metres->from) / 1000);
    if (o.metres->a != INT64_MAX)
      out += printf_string(" to %.3f km", static_cast<double>(o.metres->a) / 1000);
  }
  if (!o.only.empty()) {
    out += "; only";
    for (const CellaFilter f : o.only) out += std::string(" ") + filter_name(f);
  }
  out += "\n";
  if (show_table(o)) {
    out += printf_string("%6s %8s  %-21s %7s %7s %7s %7s %5s %6s %6s %5s %9s %8s  %s\n", "cell",
                         "metres", "type", "val_1", "val_2", "val_3", "val_4", "tempo", "avviso",
                         "tunnel", "km/h", "gradient", "aderenza", "detail");
    size_t shown = 0;
    for (size_t i = from; i < a; ++i) {
      const Cella& c = celle[i];
      if (!chosen_cella(c, i, o, el)) continue;
      ++shown;
      std::string riga = printf_string("%6zu %8lld  %-21s %7d %7d %7d %7d %5u %6u %6u %5d %9d %8u",
                                       i, static_cast<long long>(cella_metres(c, i, el)),
                                       nome_tipo_cella(c.tipo).c_str(), c.valore_1, c.valore_2,
                                       c.valore_3, c.valore_4, c.tempo, c.avviso, c.galleria,
                                       c.velocita * 5, c.pendenza - 100, c.aderenza);
      const std::string d = cella_detail(c, i, el);
      if (!d.empty()) riga += "  " + d;
      riga += "\n";
      out += riga;
    }
    out += printf_string(
        "%zu cells shown; metres: where the description places what the cell holds (signals, "
        "boards and "
        "restrictions stand in the cell after); gradient in per mille (byte - 100), km/h = byte x "
        "5\n",
        shown);
  }
  out += stretches_text(celle, o);
}

std::string elementi_text(const std::array<Elemento, numero_elementi>& el) {
  const ElementRoles roles = element_roles(el);
  std::string out = "Element table: 87 records\n";
  out += printf_string("\nStations (%d, records 1 upward):\n", roles.stazioni);
  if (roles.stazioni > 0) {
    out += printf_string("  %3s %-24s %4s %8s %8s %11s %9s  %s\n", "no.", "nome", "tipo", "inizio",
                         "fine", "progressiva", "time", "dato_4 5 6 7 8 9 10 11 12 13");
  }
  for (int k = 1; k <= roles.stazioni; ++k) {
    const Elemento& e = rec(el, k);
    out += printf_string("  %3d %-24s %4u %8d %8d %11d %9s  %u %u %u %d %d %u %d %d %d %u\n", k,
                         utf8_showable_from_1252(e.nome).c_str(), e.tipo, e.inizio, e.fine,
                         e.progressiva, orario_text(e.orario).c_str(), e.dato_4, e.dato_5, e.dato_6,
                         e.dato_7, e.dato_8, e.dato_9, e.dato_10, e.dato_11, e.dato_12, e.dato_13);
  }
  const int n_cartelli = roles.last_board > 0 ? first_board_record - roles.last_board + 1 : 0;
  out += printf_string("\nBoard texts (%d, records 80 downward):\n", n_cartelli);
  for (int r = first_board_record; n_cartelli > 0 && r >= roles.last_board; --r) {
    out += printf_string("  %3d %s\n", r, utf8_showable_from_1252(rec(el, r).nome).c_str());
  }
  out += "\nKilometre references (inizio, fine, progressiva):\n";
  for (int r = record_progressiva_tre; r <= record_progressiva_uno; ++r) {
    const Elemento& e = rec(el, r);
    out += printf_string("  %3d %10d %10d %10d\n", r, e.inizio, e.fine, e.progressiva);
  }
  const Elemento& r84 = rec(el, record_treno_linea);
  out += printf_string(
      "\nTrain and line (record 84): massa_frenata %d, lunghezza_percorso %d m, numero_vetture "
      "%d\n",
      r84.inizio, r84.fine, r84.progressiva);
  const Elemento& r85 = rec(el, record_sfondo_identita);
  const Elemento& r86 = rec(el, record_ripetizione);
  const CodiciGara expected = expected_codes(r86.nome, r85.nome);
  out += printf_string(
      "\nBackground and identity (record 85): sfondo_uno %d, sfondo_due %d, sfondo_tre %d\n",
      r85.inizio, r85.progressiva, r85.fine);
  out += printf_string("  nome_scenario \"%s\"\n", utf8_showable_from_1252(r85.nome).c_str());
  out += printf_string("  mark %d%s\n", r85.dato_7,
                       r85.dato_7 == marca_elementi
                           ? ""
                           : (" (" + std::to_string(marca_elementi) + " expected)").c_str());
  out += printf_string("  weighted contest code %d (%s %d from the identity)\n", r85.orario,
                       r85.orario == expected.weighted ? "matches" : "DIFFERS from",
                       expected.weighted);
  out += printf_string(
      "  plain contest code from the identity: %d (held in cell 1 of the cells file)\n",
      expected.simple);
  out += printf_string(
      "\nCab signalling, train, sand, clock (record 86):\n"
      "  ripetizione_valore_1 %d, ripetizione_valore_2 %d, ripetizione_codici %d\n"
      "  numero_treno \"%s\", sabbia %d, orologio %02d:%02d:%02d\n",
      r86.inizio, r86.fine, r86.progressiva, utf8_showable_from_1252(r86.nome).c_str(), r86.dato_7,
      r86.dato_10, r86.dato_11, r86.dato_12);
  if (!roles.others.empty()) {
    out += "\nRecords outside their roles (not empty where a clear record is expected):\n";
    for (const int r : roles.others) out += raw_record_text(rec(el, r), r);
  }
  return out;
}

void tracciato_text(Sink& out, const PlanRows& t, const InspectOptions& o) {
  if (t.rows == 0) {
    out += "Track plan: no rows\n";
    return;
  }
  const Summary s = summary(t);
  out += printf_string("Track plan: %d rows (metres 0 to %d), filled through row %d", t.rows,
                       t.rows - 1, s.last_full);
  if (s.last_full >= 0) {
    out += printf_string("; x from %.1f to %.1f m, y from %.1f to %.1f m", s.xmin, s.xmax, s.ymin,
                         s.ymax);
  }
  out += "\n";
  if (o.every > 1) out += printf_string("Every %d-th row and the last.\n", o.every);
  out += "16-bit integers as written, reals with a decimal point, empty values as -\n";
  out += printf_string("%8s %24s %24s\n", "metre", "x", "y");
  by_lines(t, o.every, [&](size_t i, const Numero& x, const Numero& y) {
    out += printf_string("%8zu %24s %24s\n", i, text_number(x).c_str(), text_number(y).c_str());
  });
}

}  // namespace sc::inspect_detail
