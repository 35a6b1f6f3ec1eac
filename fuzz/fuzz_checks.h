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
//   line half      the line description (compiled with an empty train
//                  description).
//   train half     the train description, compiled with the embedded line.
//   whole compile  an optional "#0\n" (compile mode 0: no track plan), the
//                  line description, the separator "%%TRENO%%" and the
//                  train description (empty when the separator is missing).
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "compiler/compile_entry.h"
#include "compiler/field_reader.h"
#include "compiler/mark_and_encode.h"
#include "compiler/memorizza_percorso.h"
#include "format/compiled_decode.h"
#include "model/percorso.h"
#include "writers/scenario.h"

namespace sc::fuzz {

inline constexpr std::string_view separator = "%%TRENO%%";
inline constexpr std::string_view mode_0_prefix = "#0\n";
inline constexpr const char* test_name = "Fuzz";
inline constexpr const char* test_treno = "1";

struct Pair {
  int32_t modo = 1;
  std::string linea;
  std::string treno;
};

inline Pair split(std::string_view data) {
  Pair c;
  if (data.starts_with(mode_0_prefix)) {
    c.modo = 0;
    data.remove_prefix(mode_0_prefix.size());
  }
  const size_t s = data.find(separator);
  c.linea = std::string(data.substr(0, s));
  if (s != std::string_view::npos) c.treno = std::string(data.substr(s + separator.size()));
  return c;
}

inline std::string merge(const Pair& c) {
  return (c.modo == 0 ? std::string(mode_0_prefix) : std::string()) + c.linea +
         std::string(separator) + c.treno;
}

namespace detail {

inline std::string n(int64_t v) { return std::to_string(v); }

// Every fault logged says what it is and where. (The model's fault number
// is the log's by construction: see registra.)
inline std::string check_log(const Percorso&, const FaultLog& log) {
  for (const Fault& f : log.all()) {
    if (f.message.empty()) return "fault " + n(f.codice) + " logged without a message";
    if (f.where && f.where->line < 0) return "fault " + n(f.codice) + " at a negative line";
  }
  return {};
}

// The model after the line half: cells and plan sized from the line length.
inline std::string check_model(const Percorso& p) {
  if (p.numero_montagne < 0 || p.numero_montagne > numero_montagne_max) {
    return "tunnel count " + n(p.numero_montagne) + " outside 0.." + n(numero_montagne_max);
  }
  if (!p.ha_celle()) return {};
  const int32_t lunghezza = p.lunghezza_totale - coda_linea;
  if (lunghezza < 0 || lunghezza > max_length) return "cells exist for line length " + n(lunghezza);
  if (p.last_cell() != last_cell_for(lunghezza)) {
    return "last cell " + n(p.last_cell()) + " for line length " + n(lunghezza);
  }
  if (p.modo != 0 && p.tracciato.present() && p.tracciato.rows() != p.lunghezza_totale + 1) {
    return "track plan of " + n(p.tracciato.rows()) + " rows for total length " +
           n(p.lunghezza_totale);
  }
  return {};
}

// The element table decodes into its 87 records, record 85 carrying the
// scenario name and the mark.
inline std::string check_elementi(std::string_view b, const Percorso& p) {
  try {
    const auto el = decode_elements(b);
    const Elemento& identity = el[record_sfondo_identita];
    if (identity.nome != p.nome_scenario) return "record 85 does not carry the scenario name";
    if (identity.dato_7 != marca_elementi) return "record 85 lacks the mark " + n(marca_elementi);
  } catch (const DecodeError& e) {
    return e.what();
  }
  return {};
}

// The track plan decodes into T + 1 rows.
inline std::string check_tracciato(std::string_view b, const Percorso& p) {
  try {
    const Tracciato t = decode_plan(b);
    if (t.rows() != p.lunghezza_totale + 1) {
      return "track plan of " + n(t.rows()) + " rows for total length " + n(p.lunghezza_totale);
    }
  } catch (const DecodeError& e) {
    return e.what();
  }
  return {};
}

// The compiled files of a finished compile.
inline std::string check_finished_compilation(const Percorso& p, const FaultLog& log,
                                              const Compilation& c) {
  if (std::string e = check_log(p, log); !e.empty()) return e;
  if (std::string e = check_model(p); !e.empty()) return e;
  switch (c.status) {
    case Compilation::Result::senza_celle:
      if (p.celle.size() >= 2) return "no compiled files although the cells exist";
      if (p.codice_errore == 0) return "nothing compiled and no fault recorded";
      if (!c.files.empty()) return "files returned although nothing was compiled";
      return {};
    case Compilation::Result::errore_1250:
    case Compilation::Result::errore_1251:
      if (!c.files.empty()) return "files returned after a reserved-slot clash";
      return {};
    case Compilation::Result::pronto: break;
  }
  const size_t expected = p.modo != 0 ? 3 : 2;
  if (c.files.size() != expected)
    return n(static_cast<int64_t>(c.files.size())) + " compiled files";
  for (const CompiledFile& f : c.files) {
    switch (f.kind) {
      case CompiledKind::celle: {
        const size_t u = static_cast<size_t>(last_cell_for(p.lunghezza_totale - coda_linea));
        try {
          const std::vector<Cella> celle = decode_cells(f.bytes);
          if (celle.size() != u + 1) {
            return "cells file of " + n(static_cast<int64_t>(celle.size())) +
                   " cells for U = " + n(static_cast<int64_t>(u));
          }
          if (celle[1].valore_1 != marca_celle) return "cell 1 lacks the mark " + n(marca_celle);
        } catch (const DecodeError& e) {
          return e.what();
        }
        break;
      }
      case CompiledKind::elementi:
        if (std::string e = check_elementi(f.bytes, p); !e.empty()) return e;
        break;
      case CompiledKind::tracciato:
        if (p.modo == 0) return "track plan written in mode 0";
        if (std::string e = check_tracciato(f.bytes, p); !e.empty()) return e;
        break;
    }
  }
  return {};
}

// The compile of two descriptions held in memory, as an author's files.
inline CompileResult compile(std::string linea, std::string treno, int32_t modo) {
  CompileInput in;
  in.line = DescriptionText{"linea.txt", std::move(linea)};
  in.train = DescriptionText{"treno.txt", std::move(treno)};
  in.nome_scenario = test_name;
  in.numero_treno = test_treno;
  in.modo = modo;
  in.read_on = true;
  return compile_descriptions(in);
}

}  // namespace detail

// --- field reader -------------------------------------------------------------

inline std::string check_field_reader(std::string_view data) {
  using detail::n;
  if (data.empty()) return {};
  const uint8_t schema = static_cast<uint8_t>(data[0]);
  const std::string content(data.substr(1));
  FieldReader r(content, "fields.txt");
  // Every read takes at least one character, so a file of N bytes ends
  // after at most N + 1 reads.
  size_t reads = 0;
  try {
    while (!r.eof()) {
      if (++reads > content.size() + 1) return "the reader does not move on";
      const int tipo = (schema >> (2 * (reads % 4))) & 3;
      const SourceLocation* l = &r.last();
      std::string text;
      switch (tipo) {
        case 0:
          text = r.text();
          if (text.find_first_of(",\r\n") != std::string::npos)
            return "text field holds a separator";
          if (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.back() == ' ' ||
                                text.back() == '\t')) {
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
        return "field at column " + n(l->column) + " width " + n(l->width) +
               " runs past its line of " + n(static_cast<int64_t>(l->text.size()));
      }
      if (tipo == 0) {
        // On a long line the location shows an excerpt, which may cut the field.
        const std::string seen =
            l->text.substr(static_cast<size_t>(l->column - 1), static_cast<size_t>(l->width));
        // A UTF-8 file's texts come back in Windows-1252: only a field of
        // plain ASCII is the same bytes in the file and in the text.
        const bool ascii = std::all_of(seen.begin(), seen.end(), [](char ch) {
          return static_cast<unsigned char>(ch) < 0x80;
        });
        if (ascii &&
            (text.compare(0, seen.size(), seen) != 0 ||
             (seen.size() < text.size() && l->text.size() <= FieldReader::max_shown_line))) {
          return "text field is not where its location points";
        }
      }
      if (l->text.size() > FieldReader::max_shown_line + 6)
        return "location holds a long line whole";
      if (l->text.find_first_of("\r\n") != std::string::npos) return "source line holds a line end";
    }
  } catch (const ParseFailure& e) {
    // A read failure ends the reading, as in the parsers.
    const SourceLocation& w = e.where();
    if (w.line < 1 || w.column < 1) return "read failure without a position";
    if (static_cast<size_t>(w.column - 1) > w.text.size())
      return "read failure points past its line";
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

inline std::string check_linea(std::string_view data) {
  const CompileResult r = detail::compile(std::string(data), std::string(), 1);
  return detail::check_finished_compilation(r.model, r.log, r.compilation);
}

// --- train half -----------------------------------------------------------------

// The cells of the embedded line.
inline size_t celle_linea_base() {
  static const size_t celle = detail::compile(dati_linea(), std::string(), 0).model.celle.size();
  return celle;
}

inline std::string check_treno(std::string_view data) {
  const CompileResult r = detail::compile(dati_linea(), std::string(data), 0);
  if (r.model.celle.size() != celle_linea_base()) return "the train half resized the cells";
  return detail::check_finished_compilation(r.model, r.log, r.compilation);
}

// --- whole compile ---------------------------------------------------------------

inline std::string check_compilation(std::string_view data) {
  const Pair in = split(data);
  const CompileResult r = detail::compile(in.linea, in.treno, in.modo);
  return detail::check_finished_compilation(r.model, r.log, r.compilation);
}

}  // namespace sc::fuzz
