// What every fuzz input is run through, and the properties checked on it.
//
// Each `controlla_*` function runs one part of the compiler on an input and
// returns an empty string when every property holds, or a description of
// the first one that does not. The libFuzzer targets (fuzz/*_fuzz.cpp) abort
// on a non-empty answer; the regression test (tests/fuzz_regressions_test.cpp)
// replays the stored inputs through the same functions in the sanitizer
// build. Crashes and sanitizer reports need no check: they end the process.
//
// Input formats:
//   field reader   first byte: the read pattern (two bits per read: text,
//                  8-bit, 16-bit or 32-bit number); the rest: the file.
//   line half      the line description.
//   train half     the train description, read after the embedded line.
//   whole compile  an optional "#0\n" (compile mode 0: no track plan), the
//                  line description, the separator "%%TRENO%%" and the
//                  train description (empty when the separator is missing).
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "compiler/field_reader.h"
#include "compiler/line_parser.h"
#include "compiler/memorizza_percorso.h"
#include "compiler/output_files.h"
#include "compiler/train_parser.h"
#include "format/compiled_decode.h"
#include "model/percorso.h"
#include "writers/scenario.h"

namespace sc::fuzz {

inline constexpr std::string_view separatore = "%%TRENO%%";
inline constexpr std::string_view prefisso_modo_0 = "#0\n";
inline constexpr const char* nome_prova = "Fuzz";
inline constexpr const char* treno_prova = "1";

struct Coppia {
  int32_t modo = 1;
  std::string linea;
  std::string treno;
};

inline Coppia dividi(std::string_view data) {
  Coppia c;
  if (data.starts_with(prefisso_modo_0)) {
    c.modo = 0;
    data.remove_prefix(prefisso_modo_0.size());
  }
  const size_t s = data.find(separatore);
  c.linea = std::string(data.substr(0, s));
  if (s != std::string_view::npos) c.treno = std::string(data.substr(s + separatore.size()));
  return c;
}

inline std::string unisci(const Coppia& c) {
  return (c.modo == 0 ? std::string(prefisso_modo_0) : std::string()) + c.linea +
         std::string(separatore) + c.treno;
}

namespace detail {

inline std::string leggi_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool scrivi_file(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  out.close();
  return static_cast<bool>(out);
}

inline std::string n(int64_t v) { return std::to_string(v); }

// The fault record and the log agree: a fault number is recorded exactly
// when a fault was logged, and it is the number of the last one.
inline std::string controlla_log(const Percorso& p, const FaultLog& log) {
  if (log.empty() != (p.codice_errore == 0)) {
    return "fault number " + n(p.codice_errore) + " but " + n(static_cast<int64_t>(log.all().size())) +
           " faults logged";
  }
  if (!log.empty() && log.all().back().codice != p.codice_errore) {
    return "fault number " + n(p.codice_errore) + " but the last fault logged is " +
           n(log.all().back().codice);
  }
  for (const Fault& f : log.all()) {
    if (f.message.empty()) return "fault " + n(f.codice) + " logged without a message";
    if (f.where && f.where->line < 0) return "fault " + n(f.codice) + " at a negative line";
  }
  return {};
}

// The model after the line half: cells and plan sized from the line length.
inline std::string controlla_modello(const Percorso& p) {
  if (p.numero_montagne < 0 || p.numero_montagne > numero_montagne_max) {
    return "tunnel count " + n(p.numero_montagne) + " outside 0.." + n(numero_montagne_max);
  }
  if (!p.ha_celle()) return {};
  const int32_t lunghezza = p.lunghezza_totale - coda_linea;
  if (lunghezza < 0 || lunghezza > lunghezza_massima) return "cells exist for line length " + n(lunghezza);
  if (p.ultima_cella() != ultima_cella_per(lunghezza)) {
    return "last cell " + n(p.ultima_cella()) + " for line length " + n(lunghezza);
  }
  if (p.modo != 0 && p.tracciato.presente() && p.tracciato.righe() != p.lunghezza_totale + 1) {
    return "track plan of " + n(p.tracciato.righe()) + " rows for total length " + n(p.lunghezza_totale);
  }
  return {};
}

// The element table decodes into its 87 records, record 85 carrying the
// scenario name and the mark.
inline std::string controlla_elementi(std::string_view b, const Percorso& p) {
  try {
    const auto el = decodifica_elementi(b);
    const Elemento& identita = el[record_sfondo_identita];
    if (identita.nome != p.nome_scenario) return "record 85 does not carry the scenario name";
    if (identita.dato_7 != marca_elementi) return "record 85 lacks the mark " + n(marca_elementi);
  } catch (const DecodeError& e) {
    return e.what();
  }
  return {};
}

// The track plan decodes into T + 1 rows.
inline std::string controlla_tracciato(std::string_view b, const Percorso& p) {
  try {
    const Tracciato t = decodifica_tracciato(b);
    if (t.righe() != p.lunghezza_totale + 1) {
      return "track plan of " + n(t.righe()) + " rows for total length " + n(p.lunghezza_totale);
    }
  } catch (const DecodeError& e) {
    return e.what();
  }
  return {};
}

// The compiled files of a finished compile.
inline std::string controlla_compilazione_finita(const Percorso& p, const FaultLog& log, const Compilazione& c) {
  if (std::string e = controlla_log(p, log); !e.empty()) return e;
  if (std::string e = controlla_modello(p); !e.empty()) return e;
  switch (c.stato) {
    case Compilazione::Stato::senza_celle:
      if (p.celle.size() >= 2) return "no compiled files although the cells exist";
      if (p.codice_errore == 0) return "nothing compiled and no fault recorded";
      if (!c.files.empty()) return "files returned although nothing was compiled";
      return {};
    case Compilazione::Stato::errore_1250:
    case Compilazione::Stato::errore_1251:
      if (!c.files.empty()) return "files returned after a reserved-slot clash";
      return {};
    case Compilazione::Stato::pronto:
      break;
  }
  const size_t attesi = p.modo != 0 ? 3 : 2;
  if (c.files.size() != attesi) return n(static_cast<int64_t>(c.files.size())) + " compiled files";
  for (const CompiledFile& f : c.files) {
    switch (f.kind) {
      case FileCompilato::celle: {
        const size_t u = static_cast<size_t>(ultima_cella_per(p.lunghezza_totale - coda_linea));
        try {
          const std::vector<Cella> celle = decodifica_celle(f.bytes);
          if (celle.size() != u + 1) {
            return "cells file of " + n(static_cast<int64_t>(celle.size())) + " cells for U = " +
                   n(static_cast<int64_t>(u));
          }
          if (celle[1].valore_1 != marca_celle) return "cell 1 lacks the mark " + n(marca_celle);
        } catch (const DecodeError& e) {
          return e.what();
        }
        break;
      }
      case FileCompilato::elementi:
        if (std::string e = controlla_elementi(f.bytes, p); !e.empty()) return e;
        break;
      case FileCompilato::tracciato:
        if (p.modo == 0) return "track plan written in mode 0";
        if (std::string e = controlla_tracciato(f.bytes, p); !e.empty()) return e;
        break;
    }
  }
  return {};
}

// The catch-all of the parse: a failure is fault 25.
template <typename F>
void come_memorizza_dati(Percorso& p, FaultLog& log, F&& f) {
  try {
    f();
  } catch (const ParseFailure& e) {
    registra(p, log, Fault{25, std::nullopt, e.where(), e.what()});
  } catch (const std::exception& e) {
    registra(p, log, Fault{25, std::nullopt, std::nullopt, std::string("internal limit: ") + e.what()});
  }
}

inline Percorso modello_vuoto(int32_t modo) {
  Percorso p;
  p.nome_scenario = nome_prova;
  p.numero_treno = treno_prova;
  p.modo = modo;
  p.elementi.at(record_sfondo_identita).nome = p.nome_scenario;
  p.elementi.at(record_ripetizione).nome = p.numero_treno;
  return p;
}

}  // namespace detail

// --- field reader -------------------------------------------------------------

inline std::string controlla_field_reader(std::string_view data) {
  using detail::n;
  if (data.empty()) return {};
  const uint8_t schema = static_cast<uint8_t>(data[0]);
  const std::string contenuto(data.substr(1));
  FieldReader r(contenuto, "campi.txt");
  // Every read takes at least one character, so a file of N bytes ends
  // after at most N + 1 reads.
  size_t letture = 0;
  try {
    while (!r.eof()) {
      if (++letture > contenuto.size() + 1) return "the reader does not move on";
      const int tipo = (schema >> (2 * (letture % 4))) & 3;
      const SourceLocation* l = &r.last();
      std::string testo;
      switch (tipo) {
        case 0:
          testo = r.text();
          if (testo.find_first_of(",\r\n") != std::string::npos) return "text field holds a separator";
          if (!testo.empty() && (testo.front() == ' ' || testo.front() == '\t' || testo.back() == ' ' ||
                                 testo.back() == '\t')) {
            return "text field keeps blanks at its ends";
          }
          break;
        case 1: r.u8(); break;
        case 2: r.i16(); break;
        default: r.i32(); break;
      }
      l = &r.last();
      if (l->line < 1 || l->column < 1 || l->width < 0) {
        return "field at line " + n(l->line) + " column " + n(l->column) + " width " + n(l->width);
      }
      if (static_cast<size_t>(l->column - 1 + l->width) > l->text.size()) {
        return "field at column " + n(l->column) + " width " + n(l->width) + " runs past its line of " +
               n(static_cast<int64_t>(l->text.size()));
      }
      if (tipo == 0) {
        // On a long line the location shows an excerpt, which may cut the field.
        const std::string visto = l->text.substr(static_cast<size_t>(l->column - 1), static_cast<size_t>(l->width));
        // A UTF-8 file's texts come back in Windows-1252: only a field of
        // plain ASCII is the same bytes in the file and in the text.
        const bool ascii = std::all_of(visto.begin(), visto.end(), [](char ch) { return static_cast<unsigned char>(ch) < 0x80; });
        if (ascii && (testo.compare(0, visto.size(), visto) != 0 ||
                      (visto.size() < testo.size() && l->text.size() <= FieldReader::riga_mostrata_massima))) {
          return "text field is not where its location points";
        }
      }
      if (l->text.size() > FieldReader::riga_mostrata_massima + 6) return "location holds a long line whole";
      if (l->text.find_first_of("\r\n") != std::string::npos) return "source line holds a line end";
    }
  } catch (const ParseFailure& e) {
    // A read failure ends the reading, as in the parsers.
    const SourceLocation& w = e.where();
    if (w.line < 1 || w.column < 1) return "read failure without a position";
    if (static_cast<size_t>(w.column - 1) > w.text.size()) return "read failure points past its line";
    return {};
  }
  // At the end of the file, a read is a read failure.
  try {
    r.text();
    return "a text field read after the end of the file";
  } catch (const ParseFailure& e) {
    if (e.where().line < 1 || e.where().column < 1) return "end-of-file failure without a position";
  }
  try {
    r.i32();
    return "a number read after the end of the file";
  } catch (const ParseFailure&) {
  }
  return {};
}

// --- line half ------------------------------------------------------------------

inline std::string controlla_linea(std::string_view data) {
  Percorso p = detail::modello_vuoto(1);
  FaultLog log;
  FieldReader r(std::string(data), "linea.txt");
  StatoLettura s{p, log};
  detail::come_memorizza_dati(p, log, [&] { leggi_linea(s, r); });
  if (std::string e = detail::controlla_log(p, log); !e.empty()) return e;
  if (std::string e = detail::controlla_modello(p); !e.empty()) return e;
  if (s.indice_cartelli < 0 || s.indice_cartelli > record_primo_cartello) {
    return "board-text record " + detail::n(s.indice_cartelli) + " outside 0..80";
  }
  const Compilazione c = completa_compilazione(p, log);
  return detail::controlla_compilazione_finita(p, log, c);
}

// --- train half -----------------------------------------------------------------

// The embedded line, parsed once in mode 0 (no track plan: the train half
// does not use it).
struct LineaBase {
  Percorso p = detail::modello_vuoto(0);
  int32_t indice_cartelli = record_primo_cartello;
};

inline const LineaBase& linea_base() {
  static const LineaBase base = [] {
    LineaBase b;
    FaultLog log;
    FieldReader r(dati_linea(), "linea.txt");
    StatoLettura s{b.p, log};
    leggi_linea(s, r);
    b.indice_cartelli = s.indice_cartelli;
    return b;
  }();
  return base;
}

inline std::string controlla_treno(std::string_view data) {
  const LineaBase& base = linea_base();
  Percorso p = base.p;
  FaultLog log;
  FieldReader r(std::string(data), "treno.txt");
  StatoLettura s{p, log, base.indice_cartelli};
  detail::come_memorizza_dati(p, log, [&] { leggi_treno(s, r); });
  if (p.celle.size() != base.p.celle.size()) return "the train half resized the cells";
  const Compilazione c = completa_compilazione(p, log);
  return detail::controlla_compilazione_finita(p, log, c);
}

// --- whole compile ---------------------------------------------------------------

// Compiles a (line, train) pair from files in `dir`, as an author's files
// (never deleted), and checks the result and that both files are unchanged.
inline std::string controlla_compilazione(std::string_view data, const std::filesystem::path& dir) {
  const Coppia in = dividi(data);
  const std::filesystem::path linea = dir / "Fuzz_linea.txt";
  const std::filesystem::path treno = dir / "Fuzz_1-.txt";
  if (!detail::scrivi_file(linea, in.linea) || !detail::scrivi_file(treno, in.treno)) {
    return "cannot write the inputs in " + dir.string();
  }
  Percorso p;
  p.nome_scenario = nome_prova;
  p.numero_treno = treno_prova;
  FaultLog log;
  const Compilazione c = memorizza_percorso(p, in.modo, Sorgenti{linea.string(), treno.string(), false}, log);
  std::string e = detail::controlla_compilazione_finita(p, log, c);
  if (e.empty() && detail::leggi_file(linea) != in.linea) e = "the line description was changed";
  if (e.empty() && detail::leggi_file(treno) != in.treno) e = "the train description was changed";
  std::error_code ec;
  std::filesystem::remove(linea, ec);
  std::filesystem::remove(treno, ec);
  return e;
}

}  // namespace sc::fuzz
