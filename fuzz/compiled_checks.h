// What the fuzz inputs of the compiled-file readers are run through, and the
// properties checked on them: the three decoders, the inspect renderings
// and the scenario picture.
//
// Each `controlla_*` function returns an empty string when every property
// holds, or a description of the first one that does not. The libFuzzer
// targets (fuzz/*_fuzz.cpp) abort on a non-empty answer; the regression
// test (plot/compiled_fuzz_regressions_test.cpp) replays the stored inputs
// through the same functions. Crashes and sanitizer reports need no check.
//
// Input formats:
//   cells, element table, track plan   the file's bytes.
//   inspect   first byte: bits 0-1 the kind (0 cells, 1 element table,
//             2 and 3 track plan), bit 2 JSON, bit 3 a cell range or a
//             row step, bits 4-6 a group of cells for `--only`, bit 7 a
//             second group; the rest: the file.
//   plot      two 3-byte little-endian lengths, of the cells file and of
//             the element table, then those two files and the track plan.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "format/compiled_decode.h"
#include "esamina/esamina.h"
#include "plot/plot.h"
#include "compiler/output_files.h"

namespace sc::fuzz {

namespace compilati_detail {

inline std::string n(int64_t v) { return std::to_string(v); }

// A decode error must name an offset within the file and say something.
inline std::string controlla_errore(const DecodeError& e, size_t byte) {
  if (e.offset() > byte) return "decode error at offset " + n(static_cast<int64_t>(e.offset())) + " past the end";
  if (std::strlen(e.what()) == 0) return "decode error without a message";
  return {};
}

// No control character but the line ends: nothing that moves a terminal.
inline std::string controlla_testo_mostrabile(const std::string& testo) {
  for (size_t i = 0; i < testo.size(); ++i) {
    const auto b = static_cast<unsigned char>(testo[i]);
    if ((b < 0x20 && b != '\n') || b == 0x7F) return "control byte " + n(b) + " at " + n(static_cast<int64_t>(i));
    // U+0080 to U+009F in UTF-8: C1 controls.
    if (b == 0xC2 && i + 1 < testo.size() && static_cast<unsigned char>(testo[i + 1]) < 0xA0) {
      return "C1 control at " + n(static_cast<int64_t>(i));
    }
  }
  return {};
}

}  // namespace compilati_detail

inline std::string controlla_celle(std::string_view dati) {
  std::vector<Cella> celle;
  try {
    celle = decodifica_celle(dati);
  } catch (const DecodeError& e) {
    return compilati_detail::controlla_errore(e, dati.size());
  }
  if (celle.size() > celle_massime) return "more cells than the longest line has";
  if (serializza_celle(celle) != dati) return "the cells do not encode back to the file";
  return {};
}

inline std::string controlla_elementi(std::string_view dati) {
  std::array<Elemento, numero_elementi> elementi;
  try {
    elementi = decodifica_elementi(dati);
  } catch (const DecodeError& e) {
    return compilati_detail::controlla_errore(e, dati.size());
  }
  if (dati.size() < byte_elementi_minimi || dati.size() > byte_elementi_massimi) {
    return "an element table of " + compilati_detail::n(static_cast<int64_t>(dati.size())) + " bytes decoded";
  }
  if (serializza_elementi(elementi) != dati) return "the records do not encode back to the file";
  const RuoliElementi ruoli = ruoli_elementi(elementi);
  if (ruoli.stazioni < 0 || ruoli.stazioni > record_primo_cartello) return "station count out of range";
  return {};
}

inline std::string controlla_tracciato(std::string_view dati) {
  Tracciato t;
  try {
    t = decodifica_tracciato(dati);
  } catch (const DecodeError& e) {
    return compilati_detail::controlla_errore(e, dati.size());
  }
  if (static_cast<size_t>(t.righe()) > righe_tracciato_massime) return "more rows than the longest line has";
  if (serializza_tracciato(t) != dati) return "the plan does not encode back to the file";
  return {};
}

inline std::string controlla_inspect(std::string_view ingresso) {
  if (ingresso.empty()) return {};
  const auto scelta = static_cast<uint8_t>(ingresso[0]);
  const std::string_view dati = ingresso.substr(1);
  OpzioniInspect o;
  o.json = (scelta & 4) != 0;
  const int tipo = scelta & 3;
  if (tipo == 0) {
    if (scelta & 8) o.celle = IntervalloCelle{3, 50};
    const FiltroCelle gruppi[] = {FiltroCelle::segnali,  FiltroCelle::stazioni, FiltroCelle::rallentamenti,
                                  FiltroCelle::cartelli, FiltroCelle::codici,   FiltroCelle::gallerie};
    const int g = (scelta >> 4) & 7;
    if (g < 6) o.solo.push_back(gruppi[g]);
    if (scelta & 128) o.solo.push_back(FiltroCelle::codici);
  } else if (tipo >= 2 && (scelta & 8)) {
    o.ogni = 7;
  }
  std::string testo;
  try {
    switch (tipo) {
      case 0: testo = mostra_celle(decodifica_celle(dati), o); break;
      case 1: testo = mostra_elementi(decodifica_elementi(dati), o); break;
      default: testo = mostra_tracciato(decodifica_tracciato(dati), o); break;
    }
  } catch (const DecodeError& e) {
    return compilati_detail::controlla_errore(e, dati.size());
  }
  if (testo.empty() || testo.back() != '\n') return "the rendering does not end a line";
  if (o.json) {
    // Whole JSON, and every value that stands for a number either a number,
    // null for an empty one, or the name of a real JSON cannot write.
    nlohmann::json j = nlohmann::json::parse(testo, nullptr, false);
    if (j.is_discarded()) return "the JSON rendering does not parse";
    if (j.contains("points")) {
      for (const auto& riga : j["points"]) {
        if (!riga.is_array() || riga.size() != 3) return "a plan row that is not [metre, x, y]";
        for (size_t k = 1; k < 3; ++k) {
          const auto& v = riga[k];
          const bool nome = v.is_string() && (v == "NaN" || v == "Infinity" || v == "-Infinity");
          if (!v.is_number() && !v.is_null() && !nome) return "a plan value that is neither number nor null";
        }
      }
    }
    return {};
  }
  return compilati_detail::controlla_testo_mostrabile(testo);
}

// The three files of the plot input; false when the lengths do not fit.
inline bool dividi_plot(std::string_view ingresso, std::string_view file[3]) {
  if (ingresso.size() < 6) return false;
  const auto lunghezza = [&](size_t da) {
    return static_cast<size_t>(static_cast<uint8_t>(ingresso[da])) |
           static_cast<size_t>(static_cast<uint8_t>(ingresso[da + 1])) << 8 |
           static_cast<size_t>(static_cast<uint8_t>(ingresso[da + 2])) << 16;
  };
  const size_t a = lunghezza(0), b = lunghezza(3);
  const std::string_view resto = ingresso.substr(6);
  if (a > resto.size() || b > resto.size() - a) return false;
  file[0] = resto.substr(0, a);
  file[1] = resto.substr(a, b);
  file[2] = resto.substr(a + b);
  return true;
}

inline std::string unisci_plot(const std::string& celle, const std::string& elementi, const std::string& piano) {
  std::string s;
  for (const size_t l : {celle.size(), elementi.size()}) {
    for (int k = 0; k < 3; ++k) s += static_cast<char>((l >> (8 * k)) & 0xFF);
  }
  return s + celle + elementi + piano;
}

inline std::string controlla_plot(std::string_view ingresso) {
  std::string_view file[3];
  if (!dividi_plot(ingresso, file)) return {};
  ScenarioCompilato sc;
  try {
    sc.celle = decodifica_celle(file[0]);
    sc.elementi = decodifica_elementi(file[1]);
    sc.tracciato = decodifica_tracciato(file[2]);
  } catch (const DecodeError&) {
    return {};  // the decoders' own targets check these
  }
  const std::string svg = disegna_in_memoria(sc, OpzioniPlot{400, 300, {}, {}}, true);
  if (!svg.starts_with("<?xml")) return "the picture is no SVG";
  // A picture grows with what it shows, never without bound: a few hundred
  // bytes for every cell and plan row at most.
  const size_t limite = 1000000 + 400 * (sc.celle.size() + static_cast<size_t>(sc.tracciato.righe()));
  if (svg.size() > limite) return "an SVG of " + compilati_detail::n(static_cast<int64_t>(svg.size())) + " bytes";
  return {};
}

}  // namespace sc::fuzz
