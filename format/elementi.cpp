#include "format/elementi.h"

#include <climits>
#include <string>

#include "format/byte_le.h"
#include "format/compiled_decode.h"

namespace sc {
namespace {

using byte_le::ByteReader;
using byte_le::ByteWriter;

size_t lunghezza_nome(const Elemento& e) {
  return e.nome.size() < max_name_length ? e.nome.size() : max_name_length;
}

}  // namespace

std::string serializza_elementi(const std::array<Elemento, numero_elementi>& elementi) {
  size_t totale = 0;
  for (const Elemento& e : elementi) totale += element_fixed_bytes + lunghezza_nome(e);
  std::string out(totale, '\0');
  ByteWriter w(out.data());
  for (const Elemento& e : elementi) {
    const size_t n = lunghezza_nome(e);
    w.u8(e.tipo);
    w.i32(e.inizio);
    w.i32(e.fine);
    w.i32(e.progressiva);
    w.u8(e.dato_4);
    w.u16(static_cast<uint16_t>(n));
    w.text(e.nome.data(), n);
    w.i16(e.dato_7);
    w.i16(e.dato_8);
    w.i16(e.dato_10);
    w.i16(e.dato_11);
    w.i16(e.dato_12);
    w.u8(e.dato_9);
    w.u8(e.dato_13);
    w.u8(e.dato_6);
    w.u8(e.dato_5);
    w.i32(e.orario);
  }
  return out;
}

std::array<Elemento, numero_elementi> decode_elements(std::string_view dati) {
  std::array<Elemento, numero_elementi> elementi{};
  ByteReader l(dati);
  for (int r = 0; r < numero_elementi; ++r) {
    const size_t inizio = l.posizione();
    const std::string dove = "element table: record " + std::to_string(r) + " at offset " +
                             std::to_string(inizio) + ": ";
    if (l.remaining() == 0) {
      throw DecodeError(inizio, dove + "the file ends before this record; 87 records expected " +
                                    file_size(dati.size()));
    }
    if (l.remaining() < element_head_bytes) {
      throw DecodeError(inizio, dove + "the file ends inside the record's first 16 bytes, " +
                                    std::to_string(l.remaining()) + " left " +
                                    file_size(dati.size()));
    }
    Elemento& e = elementi[static_cast<size_t>(r)];
    e.tipo = l.u8();
    e.inizio = l.i32();
    e.fine = l.i32();
    e.progressiva = l.i32();
    e.dato_4 = l.u8();
    const size_t n = l.u16();
    if (n > l.remaining()) {
      throw DecodeError(inizio, dove + "name length " + std::to_string(n) +
                                    " runs past the end of the file " + file_size(dati.size()));
    }
    e.nome = l.text(n);
    if (l.remaining() < byte_elemento_coda) {
      throw DecodeError(inizio, dove + "the file ends inside the 18 bytes after the name (offset " +
                                    std::to_string(l.posizione()) + ", " +
                                    std::to_string(l.remaining()) + " left) " +
                                    file_size(dati.size()));
    }
    e.dato_7 = l.i16();
    e.dato_8 = l.i16();
    e.dato_10 = l.i16();
    e.dato_11 = l.i16();
    e.dato_12 = l.i16();
    e.dato_9 = l.u8();
    e.dato_13 = l.u8();
    e.dato_6 = l.u8();
    e.dato_5 = l.u8();
    e.orario = l.i32();
  }
  if (l.remaining() != 0) {
    throw DecodeError(l.posizione(), "element table: " + std::to_string(l.remaining()) +
                                         " bytes after the last record, at offset " +
                                         std::to_string(l.posizione()) +
                                         "; exactly 87 records expected " + file_size(dati.size()));
  }
  return elementi;
}

ElementRoles element_roles(const std::array<Elemento, numero_elementi>& elementi) {
  const auto clear = [&](int r) { return elementi.at(static_cast<size_t>(r)) == Elemento{}; };
  ElementRoles roles;
  while (roles.stazioni < first_board_record && !clear(roles.stazioni + 1)) ++roles.stazioni;
  int r = first_board_record;
  while (r > roles.stazioni && !clear(r)) --r;
  roles.last_board = r < first_board_record ? r + 1 : 0;
  if (!clear(0)) roles.others.push_back(0);
  for (int i = roles.stazioni + 1; i <= r; ++i) {
    if (!clear(i)) roles.others.push_back(i);
  }
  return roles;
}

}  // namespace sc
