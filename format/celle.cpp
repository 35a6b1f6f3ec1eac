#include "format/celle.h"

#include <climits>
#include <string>

#include "format/byte_le.h"
#include "format/compiled_decode.h"

namespace sc {
namespace {

using byte_le::ByteReader;
using byte_le::ByteWriter;

}  // namespace

std::string nome_tipo_cella(uint8_t tipo) {
  switch (tipo) {
    case tipo_cella::vuota: return "empty";
    case tipo_cella::segnale: return "signal";
    case tipo_cella::fine_rallentamento: return "restriction end";
    case tipo_cella::inizio_rallentamento: return "restriction start";
    case tipo_cella::avviso_rallentamento: return "restriction warning";
    case tipo_cella::approccio_rallentamento: return "restriction approach";
    case tipo_cella::indicatori_v_max: return "speed-indicator board";
    case tipo_cella::fermata: return "station stop";
    case tipo_cella::marca_galleria: return "tunnel marker";
    case tipo_cella::codice: return "cab code";
    case tipo_cella::codice_senza_velocita: return "cab code, no speed";
    case tipo_cella::cartello_indicatore: return "indication board";
    default: return "unknown " + std::to_string(tipo);
  }
}

std::string serializza_celle(const std::vector<Cella>& celle) {
  std::string out(celle.size() * byte_cella, '\0');
  ByteWriter w(out.data());
  for (const Cella& c : celle) {
    w.u8(c.tipo);
    w.i16(c.valore_1);
    w.i16(c.valore_2);
    w.i16(c.valore_3);
    w.i16(c.valore_4);
    w.u8(c.tempo);
    w.u8(c.avviso);
    w.u8(c.galleria);
    w.u8(c.velocita);
    w.u8(c.pendenza);
    w.u8(c.aderenza);
  }
  return out;
}

std::vector<Cella> decode_cells(std::string_view dati) {
  const size_t rest = dati.size() % byte_cella;
  if (rest != 0) {
    const size_t last = dati.size() / byte_cella;
    const size_t offset = last * byte_cella;
    throw DecodeError(offset, "cells: file size " + std::to_string(dati.size()) +
                                  " is not a multiple of 15: cell " + std::to_string(last) +
                                  " at offset " + std::to_string(offset) + " has only " +
                                  std::to_string(rest) + " of its 15 bytes");
  }
  if (dati.size() / byte_cella > max_cells) {
    throw DecodeError(max_cells * byte_cella, "cells: " + std::to_string(dati.size() / byte_cella) +
                                                  " cells, more than the " +
                                                  std::to_string(max_cells) +
                                                  " of the longest line " + file_size(dati.size()));
  }
  std::vector<Cella> celle(dati.size() / byte_cella);
  ByteReader l(dati);
  for (Cella& c : celle) {
    c.tipo = l.u8();
    c.valore_1 = l.i16();
    c.valore_2 = l.i16();
    c.valore_3 = l.i16();
    c.valore_4 = l.i16();
    c.tempo = l.u8();
    c.avviso = l.u8();
    c.galleria = l.u8();
    c.velocita = l.u8();
    c.pendenza = l.u8();
    c.aderenza = l.u8();
  }
  return celle;
}

std::optional<size_t> compile_stop_cell(const std::vector<Cella>& celle) {
  if (celle.size() < 5) return std::nullopt;
  const size_t last = celle.size() - 4;
  if (celle[last].velocita != 0) return std::nullopt;
  size_t i = last;
  while (i > 0 && celle[i - 1].velocita == 0) --i;
  return i;
}

std::vector<CellFieldDifference> differing_fields(const Cella& a, const Cella& b) {
  const CellFieldDifference fields[] = {{"tipo", a.tipo, b.tipo},
                                        {"valore_1", a.valore_1, b.valore_1},
                                        {"valore_2", a.valore_2, b.valore_2},
                                        {"valore_3", a.valore_3, b.valore_3},
                                        {"valore_4", a.valore_4, b.valore_4},
                                        {"tempo", a.tempo, b.tempo},
                                        {"avviso", a.avviso, b.avviso},
                                        {"galleria", a.galleria, b.galleria},
                                        {"velocita", a.velocita, b.velocita},
                                        {"pendenza", a.pendenza, b.pendenza},
                                        {"aderenza", a.aderenza, b.aderenza}};
  std::vector<CellFieldDifference> out;
  for (const CellFieldDifference& f : fields)
    if (f.a != f.b) out.push_back(f);
  return out;
}

}  // namespace sc
