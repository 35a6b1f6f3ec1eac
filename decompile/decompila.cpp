#include "decompile/decompila.h"

#include "compiler/codici_gara.h"
#include "compiler/output_files.h"
#include "decompile/formato.h"
#include "decompile/ricostruzione.h"
#include "decompile/verifica.h"

namespace sc::decompila {
namespace {

// The marks and contest codes are the compile's own: checked and cleared.
void togli_marche(Dati& d, Note& note) {
  Elemento& r85 = d.elementi[record_sfondo_identita];
  Percorso p;
  p.elementi[record_sfondo_identita].nome = r85.nome;
  p.elementi[record_ripetizione].nome = d.elementi[record_ripetizione].nome;
  const int32_t st = codice_gara_st(p);
  const int16_t og = codice_gara_og(p);
  if (r85.dato_7 != marca_elementi) note.aggiungi("record 85: the mark is " + std::to_string(r85.dato_7) + ", not " + std::to_string(marca_elementi));
  if (r85.orario != st) {
    note.aggiungi("record 85: contest code " + std::to_string(r85.orario) + " where the identity gives " +
                  std::to_string(st));
  }
  r85.dato_7 = 0;
  r85.orario = 0;
  if (d.celle.size() < 2) return;
  Cella& c1 = d.celle[1];
  if (c1.valore_1 != marca_celle) note.aggiungi("cell 1: the mark is " + std::to_string(c1.valore_1) + ", not " + std::to_string(marca_celle));
  if (c1.valore_2 != og) {
    note.aggiungi("cell 1: contest code " + std::to_string(c1.valore_2) + " where the identity gives " +
                  std::to_string(og));
  }
  c1.valore_1 = 0;
  c1.valore_2 = 0;
}

}  // namespace

Decompilazione decompila(const FileCompilati& file) {
  Dati d;
  d.celle = decodifica_celle(file.celle);
  d.elementi = decodifica_elementi(file.elementi);
  if (file.tracciato) d.tracciato = decodifica_tracciato(*file.tracciato);

  Decompilazione out;
  out.nome_scenario = d.elementi[record_sfondo_identita].nome;
  out.numero_treno = d.elementi[record_ripetizione].nome;

  Note note;
  if (d.celle.size() < 4) {
    note.aggiungi("cells file: " + std::to_string(d.celle.size()) + " cells, too few for any line");
  } else {
    togli_marche(d, note);
  }

  DescrizioneLinea linea;
  DescrizioneTreno treno_;
  generale_linea(d, linea, note);
  curve(d, linea, note);
  profilo(d.celle, [](const Cella& c) { return c.pendenza; },
          [](int64_t pos, uint8_t b) {
            // Spaced as the exported scenario spaces its entries.
            return printf_string(pos == 0 ? "pendenza,   %lld,    %d" : "pendenza,  %lld,   %d", static_cast<long long>(pos),
                        b - 100);
          },
          linea.pendenze);
  const std::vector<bool> del_passo = codici_del_passo(d, note);
  montagne(d, linea, note);
  cartelli(d, linea, note);
  treno(d, del_passo, treno_, note);

  out.linea = testo_linea(linea);
  out.treno = testo_treno(treno_);

  Verifica v = verifica(out.linea, out.treno, out.nome_scenario, out.numero_treno, file);
  if (v.primo_byte && note.tutte().empty()) {
    // Approach markers of a station over a signal's: the stations were
    // placed after the signals.
    std::string altro = testo_treno(treno_, /*stazioni_dopo_segnali=*/true);
    Verifica w = verifica(out.linea, altro, out.nome_scenario, out.numero_treno, file);
    if (!w.primo_byte) out.treno = std::move(altro), v = std::move(w);
  }
  out.faults = std::move(v.faults);
  out.differenza = std::move(v.primo_byte);
  out.inspiegati = note.tutte();
  // What the notes above missed, cell by cell, record by record.
  for (std::string& s : v.campi_diversi) out.inspiegati.push_back(std::move(s));
  return out;
}

}  // namespace sc::decompila
