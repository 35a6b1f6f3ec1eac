#include "format/elementi.h"

#include <climits>
#include <string>

#include "format/byte_le.h"
#include "format/compiled_decode.h"

namespace sc {
namespace {

using byte_le::Lettore;
using byte_le::Scrittore;

size_t lunghezza_nome(const Elemento& e) {
  return e.nome.size() < lunghezza_nome_massima ? e.nome.size() : lunghezza_nome_massima;
}

}  // namespace

std::string serializza_elementi(const std::array<Elemento, numero_elementi>& elementi) {
  size_t totale = 0;
  for (const Elemento& e : elementi) totale += byte_elemento_fissi + lunghezza_nome(e);
  std::string out(totale, '\0');
  Scrittore w(out.data());
  for (const Elemento& e : elementi) {
    const size_t n = lunghezza_nome(e);
    w.u8(e.tipo);
    w.i32(e.inizio);
    w.i32(e.fine);
    w.i32(e.progressiva);
    w.u8(e.dato_4);
    w.u16(static_cast<uint16_t>(n));
    w.testo(e.nome.data(), n);
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

std::array<Elemento, numero_elementi> decodifica_elementi(std::string_view dati) {
  std::array<Elemento, numero_elementi> elementi{};
  Lettore l(dati);
  for (int r = 0; r < numero_elementi; ++r) {
    const size_t inizio = l.posizione();
    const std::string dove = "element table: record " + std::to_string(r) + " at offset " +
                             std::to_string(inizio) + ": ";
    if (l.restanti() == 0) {
      throw DecodeError(inizio, dove + "the file ends before this record; 87 records expected " +
                                    dimensione_file(dati.size()));
    }
    if (l.restanti() < byte_elemento_testa) {
      throw DecodeError(inizio, dove + "the file ends inside the record's first 16 bytes, " +
                                    std::to_string(l.restanti()) + " left " +
                                    dimensione_file(dati.size()));
    }
    Elemento& e = elementi[static_cast<size_t>(r)];
    e.tipo = l.u8();
    e.inizio = l.i32();
    e.fine = l.i32();
    e.progressiva = l.i32();
    e.dato_4 = l.u8();
    const size_t n = l.u16();
    if (n > l.restanti()) {
      throw DecodeError(inizio, dove + "name length " + std::to_string(n) +
                                    " runs past the end of the file " +
                                    dimensione_file(dati.size()));
    }
    e.nome = l.testo(n);
    if (l.restanti() < byte_elemento_coda) {
      throw DecodeError(inizio, dove + "the file ends inside the 18 bytes after the name (offset " +
                                    std::to_string(l.posizione()) + ", " +
                                    std::to_string(l.restanti()) + " left) " +
                                    dimensione_file(dati.size()));
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
  if (l.restanti() != 0) {
    throw DecodeError(l.posizione(), "element table: " + std::to_string(l.restanti()) +
                                         " bytes after the last record, at offset " +
                                         std::to_string(l.posizione()) +
                                         "; exactly 87 records expected " +
                                         dimensione_file(dati.size()));
  }
  return elementi;
}

RuoliElementi ruoli_elementi(const std::array<Elemento, numero_elementi>& elementi) {
  const auto chiaro = [&](int r) { return elementi.at(static_cast<size_t>(r)) == Elemento{}; };
  RuoliElementi ruoli;
  while (ruoli.stazioni < record_primo_cartello && !chiaro(ruoli.stazioni + 1)) ++ruoli.stazioni;
  int r = record_primo_cartello;
  while (r > ruoli.stazioni && !chiaro(r)) --r;
  ruoli.ultimo_cartello = r < record_primo_cartello ? r + 1 : 0;
  if (!chiaro(0)) ruoli.altri.push_back(0);
  for (int i = ruoli.stazioni + 1; i <= r; ++i) {
    if (!chiaro(i)) ruoli.altri.push_back(i);
  }
  return ruoli;
}

}  // namespace sc
