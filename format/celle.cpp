#include "format/celle.h"

#include <climits>
#include <string>

#include "format/byte_le.h"
#include "format/compiled_decode.h"

namespace sc {
namespace {

using byte_le::Lettore;
using byte_le::Scrittore;

}  // namespace

std::string serializza_celle(const std::vector<Cella>& celle) {
  std::string out(celle.size() * byte_cella, '\0');
  Scrittore w(out.data());
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

std::vector<Cella> decodifica_celle(std::string_view dati) {
  const size_t resto = dati.size() % byte_cella;
  if (resto != 0) {
    const size_t ultima = dati.size() / byte_cella;
    const size_t offset = ultima * byte_cella;
    throw DecodeError(offset, "cells: file size " + std::to_string(dati.size()) +
                                  " is not a multiple of 15: cell " + std::to_string(ultima) +
                                  " at offset " + std::to_string(offset) + " has only " +
                                  std::to_string(resto) + " of its 15 bytes");
  }
  std::vector<Cella> celle(dati.size() / byte_cella);
  Lettore l(dati);
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

}  // namespace sc
