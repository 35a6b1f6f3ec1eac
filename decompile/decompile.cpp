#include "decompile/decompile.h"

#include "compiler/codici_gara.h"
#include "compiler/mark_and_encode.h"
#include "decompile/decoders.h"
#include "decompile/reconstruction.h"
#include "decompile/verify.h"
#include "format/celle.h"

namespace sc::decompile {
namespace {

// The marks and contest codes are the compile's own: checked and cleared.
void remove_marks(Data& d, Note& note) {
  Elemento& r85 = d.elementi[record_sfondo_identita];
  Percorso p;
  p.elementi[record_sfondo_identita].nome = r85.nome;
  p.elementi[record_ripetizione].nome = d.elementi[record_ripetizione].nome;
  const int32_t st = codice_gara_st(p);
  const int16_t og = codice_gara_og(p);
  if (r85.dato_7 != marca_elementi)
    note.add("record 85: the mark is " + std::to_string(r85.dato_7) + ", not " +
             std::to_string(marca_elementi));
  if (r85.orario != st) {
    note.add("record 85: contest code " + std::to_string(r85.orario) +
             " where the identity gives " + std::to_string(st));
  }
  r85.dato_7 = 0;
  r85.orario = 0;
  if (d.celle.size() < 2) return;
  Cella& c1 = d.celle[1];
  if (c1.valore_1 != marca_celle)
    note.add("cell 1: the mark is " + std::to_string(c1.valore_1) + ", not " +
             std::to_string(marca_celle));
  if (c1.valore_2 != og) {
    note.add("cell 1: contest code " + std::to_string(c1.valore_2) + " where the identity gives " +
             std::to_string(og));
  }
  c1.valore_1 = 0;
  c1.valore_2 = 0;
}

}  // namespace

Decompilation decompile(const CompiledFiles& file) {
  Data d;
  d.celle = decode_cells(file.celle);
  d.elementi = decode_elements(file.elementi);
  // The plan is checked here and read again, in pieces, for its curves.
  if (file.tracciato) d.tracciato.emplace(file.tracciato->read, file.tracciato->size);

  Decompilation out;
  out.nome_scenario = d.elementi[record_sfondo_identita].nome;
  out.numero_treno = d.elementi[record_ripetizione].nome;

  Note note;
  if (d.celle.size() < 4) {
    note.add("cells file: " + std::to_string(d.celle.size()) + " cells, too few for any line");
  } else {
    remove_marks(d, note);
  }

  LineaDescription linea;
  TrenoDescription treno_;
  generale_linea(d, linea, note);
  curve(d, linea, note);
  if (!d.tracciato) linea.curve.emplace_back(no_plan_remark);
  profile(
      d.celle, [](const Cella& c) { return c.pendenza; },
      [](int64_t pos, uint8_t b) {
        // Spaced as the exported scenario spaces its entries.
        return printf_string(pos == 0 ? "pendenza,   %lld,    %d" : "pendenza,  %lld,   %d",
                             static_cast<long long>(pos), b - 100);
      },
      linea.pendenze);
  const std::vector<bool> of_step = pass_added_codes(d, note);
  montagne(d, linea, note);
  cartelli(d, linea, note);
  treno(d, of_step, treno_, note);

  out.linea = linea_text(linea);
  out.treno = treno_text(treno_);

  Verify v = verify(out.linea, out.treno, out.nome_scenario, out.numero_treno, file);
  // Approach markers that overlap: the entries that wrote them stood in
  // another order. All stations after the signals first, then an order
  // worked out from the markers the cells keep.
  std::vector<std::string> candidates;
  if (v.first_byte && note.all().empty()) {
    candidates.push_back(treno_text(treno_, /*stazioni_after_segnali=*/true));
  }
  if (v.first_byte && !markers_match(d.celle, [&] {
        std::vector<MarkerWriter> usual = treno_.stazioni_markers;
        usual.insert(usual.end(), treno_.segnali_markers.begin(), treno_.segnali_markers.end());
        return usual;
      }())) {
    if (auto order = marker_order(d.celle, treno_)) {
      TrenoDescription ordered = treno_;
      ordered.order = std::move(order);
      candidates.push_back(treno_text(ordered));
    }
  }
  for (std::string& other : candidates) {
    Verify w = verify(out.linea, other, out.nome_scenario, out.numero_treno, file);
    if (!w.first_byte) {
      out.treno = std::move(other), v = std::move(w);
      break;
    }
  }
  out.faults = std::move(v.faults);
  out.difference = std::move(v.first_byte);
  if (const auto cell = compile_stop_cell(d.celle))
    out.stopped_at = static_cast<int64_t>(*cell) * 50;
  out.unexplained = note.all();
  // What the notes above missed, cell by cell, record by record.
  for (std::string& s : v.different_fields) out.unexplained.push_back(std::move(s));
  return out;
}

}  // namespace sc::decompile
