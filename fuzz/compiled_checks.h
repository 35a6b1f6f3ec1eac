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

#include "compiler/mark_and_encode.h"
#include "format/compiled_decode.h"
#include "listing/listing.h"
#include "plot/plot.h"

namespace sc::fuzz {

namespace compiled_detail {

inline std::string n(int64_t v) { return std::to_string(v); }

// A decode error must name an offset within the file and say something.
inline std::string check_error(const DecodeError& e, size_t byte) {
  if (e.offset() > byte)
    return "decode error at offset " + n(static_cast<int64_t>(e.offset())) + " past the end";
  if (std::strlen(e.what()) == 0) return "decode error without a message";
  return {};
}

// No control character but the line ends: nothing that moves a terminal.
inline std::string check_showable_text(const std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if ((b < 0x20 && b != '\n') || b == 0x7F)
      return "control byte " + n(b) + " at " + n(static_cast<int64_t>(i));
    // U+0080 to U+009F in UTF-8: C1 controls.
    if (b == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
      return "C1 control at " + n(static_cast<int64_t>(i));
    }
  }
  return {};
}

}  // namespace compiled_detail

inline std::string check_celle(std::string_view dati) {
  std::vector<Cella> celle;
  try {
    celle = decode_cells(dati);
  } catch (const DecodeError& e) {
    return compiled_detail::check_error(e, dati.size());
  }
  if (celle.size() > max_cells) return "more cells than the longest line has";
  if (serializza_celle(celle) != dati) return "the cells do not encode back to the file";
  return {};
}

inline std::string check_elementi(std::string_view dati) {
  std::array<Elemento, numero_elementi> elementi;
  try {
    elementi = decode_elements(dati);
  } catch (const DecodeError& e) {
    return compiled_detail::check_error(e, dati.size());
  }
  if (dati.size() < min_element_bytes || dati.size() > max_element_bytes) {
    return "an element table of " + compiled_detail::n(static_cast<int64_t>(dati.size())) +
           " bytes decoded";
  }
  if (serializza_elementi(elementi) != dati) return "the records do not encode back to the file";
  const ElementRoles roles = element_roles(elementi);
  if (roles.stazioni < 0 || roles.stazioni > first_board_record)
    return "station count out of range";
  return {};
}

inline std::string check_tracciato(std::string_view dati) {
  Tracciato t;
  try {
    t = decode_plan(dati);
  } catch (const DecodeError& e) {
    return compiled_detail::check_error(e, dati.size());
  }
  if (static_cast<size_t>(t.rows()) > max_plan_rows) return "more rows than the longest line has";
  if (serializza_tracciato(t) != dati) return "the plan does not encode back to the file";
  return {};
}

inline std::string check_inspect(std::string_view input) {
  if (input.empty()) return {};
  const auto choice = static_cast<uint8_t>(input[0]);
  const std::string_view dati = input.substr(1);
  InspectOptions o;
  o.json = (choice & 4) != 0;
  const int tipo = choice & 3;
  if (tipo == 0) {
    if (choice & 8) o.celle = CellaRange{3, 50};
    const CellaFilter groups[] = {CellaFilter::segnali,       CellaFilter::stazioni,
                                  CellaFilter::rallentamenti, CellaFilter::cartelli,
                                  CellaFilter::codes,         CellaFilter::tunnels};
    const int g = (choice >> 4) & 7;
    if (g < 6) o.only.push_back(groups[g]);
    if (choice & 128) o.only.push_back(CellaFilter::codes);
  } else if (tipo >= 2 && (choice & 8)) {
    o.every = 7;
  }
  std::string text;
  try {
    switch (tipo) {
      case 0: text = show_celle(decode_cells(dati), o); break;
      case 1: text = show_elementi(decode_elements(dati), o); break;
      default: text = show_tracciato(decode_plan(dati), o); break;
    }
  } catch (const DecodeError& e) {
    return compiled_detail::check_error(e, dati.size());
  }
  if (text.empty() || text.back() != '\n') return "the rendering does not end a line";
  if (o.json) {
    // Whole JSON, and every value that stands for a number either a number,
    // null for an empty one, or the name of a real JSON cannot write.
    nlohmann::json j = nlohmann::json::parse(text, nullptr, false);
    if (j.is_discarded()) return "the JSON rendering does not parse";
    if (j.contains("points")) {
      for (const auto& riga : j["points"]) {
        if (!riga.is_array() || riga.size() != 3) return "a plan row that is not [metre, x, y]";
        for (size_t k = 1; k < 3; ++k) {
          const auto& v = riga[k];
          const bool nome = v.is_string() && (v == "NaN" || v == "Infinity" || v == "-Infinity");
          if (!v.is_number() && !v.is_null() && !nome)
            return "a plan value that is neither number nor null";
        }
      }
    }
    return {};
  }
  return compiled_detail::check_showable_text(text);
}

// The three files of the plot input; false when the lengths do not fit.
inline bool split_plot(std::string_view input, std::string_view file[3]) {
  if (input.size() < 6) return false;
  const auto lunghezza = [&](size_t from) {
    return static_cast<size_t>(static_cast<uint8_t>(input[from])) |
           static_cast<size_t>(static_cast<uint8_t>(input[from + 1])) << 8 |
           static_cast<size_t>(static_cast<uint8_t>(input[from + 2])) << 16;
  };
  const size_t a = lunghezza(0), b = lunghezza(3);
  const std::string_view rest = input.substr(6);
  if (a > rest.size() || b > rest.size() - a) return false;
  file[0] = rest.substr(0, a);
  file[1] = rest.substr(a, b);
  file[2] = rest.substr(a + b);
  return true;
}

inline std::string merge_plot(const std::string& celle, const std::string& elementi,
                              const std::string& plan) {
  std::string s;
  for (const size_t l : {celle.size(), elementi.size()}) {
    for (int k = 0; k < 3; ++k) s += static_cast<char>((l >> (8 * k)) & 0xFF);
  }
  return s + celle + elementi + plan;
}

inline std::string check_plot(std::string_view input) {
  std::string_view file[3];
  if (!split_plot(input, file)) return {};
  CompiledScenario sc;
  try {
    sc.celle = decode_cells(file[0]);
    sc.elementi = decode_elements(file[1]);
    sc.tracciato = decode_plan(file[2]);
  } catch (const DecodeError&) {
    return {};  // the decoders' own targets check these
  }
  const std::string svg = draw_in_memory(sc, PlotOptions{400, 300, {}, {}}, true);
  if (!svg.starts_with("<?xml")) return "the picture is no SVG";
  // A picture grows with what it shows, never without bound: a few hundred
  // bytes for every cell and plan row at most.
  const size_t limit = 1000000 + 400 * (sc.celle.size() + static_cast<size_t>(sc.tracciato.rows()));
  if (svg.size() > limit)
    return "an SVG of " + compiled_detail::n(static_cast<int64_t>(svg.size())) + " bytes";
  return {};
}

}  // namespace sc::fuzz
