#include "compiler/output_files.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <optional>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/lettore_le.h"

namespace sc {
namespace {

using test::Lettore;

Percorso modello(int32_t ultima) {
  Percorso p;
  p.celle.assign(static_cast<size_t>(ultima) + 1, Cella{});
  p.elementi[record_sfondo_identita].nome = "Corvale_Pravena AV";
  p.elementi[record_ripetizione].nome = "409";
  return p;
}

TEST(MarkAndCodeStep, StampsMarksThenCodes) {
  Percorso p = modello(10);
  p.elementi[record_sfondo_identita].inizio = 7;
  p.celle[1].valore_3 = -4;
  EXPECT_EQ(marca_e_codifica(p), Compilazione::Stato::pronto);
  const Elemento& e = p.elementi[record_sfondo_identita];
  EXPECT_EQ(e.dato_7, 610);
  EXPECT_EQ(e.orario, 31962);
  EXPECT_EQ(e.inizio, 7);
  EXPECT_EQ(p.celle[1].valore_1, 5121);
  EXPECT_EQ(p.celle[1].valore_2, 2386);
  EXPECT_EQ(p.celle[1].valore_3, -4);
  EXPECT_EQ(p.celle[0].valore_1, 0);
  EXPECT_EQ(p.riga, "409corvale_pravena avaabbccddeeffgghhiillmmnnoo");
}

TEST(MarkAndCodeStep, ReservedSlotAlreadyUsed) {
  const struct {
    const char* nome;
    int16_t dato_7;
    int16_t valore_1;
    int32_t orario;
    int16_t valore_2;
    Compilazione::Stato atteso;
  } casi[] = {
      {"mark slot of record 85", 1, 0, 0, 0, Compilazione::Stato::errore_1250},
      {"mark slot of cell 1", 0, -1, 0, 0, Compilazione::Stato::errore_1250},
      {"both marks and both codes", 1, 1, 1, 1, Compilazione::Stato::errore_1250},
      {"code slot of record 85", 0, 0, 5, 0, Compilazione::Stato::errore_1251},
      {"code slot of cell 1", 0, 0, 0, 180, Compilazione::Stato::errore_1251},
  };
  for (const auto& c : casi) {
    SCOPED_TRACE(c.nome);
    Percorso p = modello(10);
    Elemento& e = p.elementi[record_sfondo_identita];
    e.dato_7 = c.dato_7;
    e.orario = c.orario;
    p.celle[1].valore_1 = c.valore_1;
    p.celle[1].valore_2 = c.valore_2;
    EXPECT_EQ(marca_e_codifica(p), c.atteso);
    // No contest code was stored.
    EXPECT_EQ(e.orario, c.orario);
    EXPECT_EQ(p.celle[1].valore_2, c.valore_2);
    if (c.atteso == Compilazione::Stato::errore_1250) {
      EXPECT_EQ(e.dato_7, c.dato_7);
      EXPECT_EQ(p.celle[1].valore_1, c.valore_1);
    }
  }
}

TEST(TrackPlanFile, ColumnZeroThenColumnOneWithTags) {
  Tracciato t(4);
  t.colonna(0)[0] = Numero::intero(0);
  t.colonna(0)[1] = Numero::intero(-7);
  t.colonna(0)[2] = Numero::reale(0.1);
  t.colonna(1)[0] = Numero::intero(0);
  t.colonna(1)[1] = Numero::intero(1);
  t.colonna(1)[2] = Numero::reale(-0.0);
  t.colonna(1)[3] = Numero::reale(2.0000000001);

  const std::string b = serializza_tracciato(t);
  // Column 0: 4 + 4 + 10 + 2 + 2; column 1: 4 + 4 + 10 + 10 + 2.
  ASSERT_EQ(b.size(), 22u + 30u);
  Lettore r(b);
  EXPECT_EQ(r.u16(), 2u);
  EXPECT_EQ(r.i16(), 0);
  EXPECT_EQ(r.u16(), 2u);
  EXPECT_EQ(r.i16(), -7);
  EXPECT_EQ(r.u16(), 5u);
  EXPECT_EQ(r.f64(), 0.1);
  EXPECT_EQ(r.u16(), 0u);
  EXPECT_EQ(r.u16(), 0u);
  EXPECT_EQ(r.u16(), 2u);
  EXPECT_EQ(r.i16(), 0);
  EXPECT_EQ(r.u16(), 2u);
  EXPECT_EQ(r.i16(), 1);
  EXPECT_EQ(r.u16(), 5u);
  const double z = r.f64();
  EXPECT_EQ(z, 0.0);
  EXPECT_TRUE(std::signbit(z));
  EXPECT_EQ(r.u16(), 5u);
  EXPECT_EQ(r.f64(), 2.0000000001);
  EXPECT_EQ(r.u16(), 0u);
  EXPECT_EQ(r.pos(), b.size());
  // 0.1 is stored least significant byte first.
  EXPECT_EQ(b.substr(10, 8), std::string("\x9A\x99\x99\x99\x99\x99\xB9\x3F", 8));

  EXPECT_TRUE(serializza_tracciato(Tracciato{}).empty());
}

TEST(TrackPlanFile, FullLengthPlanOfTheEmbeddedLine) {
  // Rows 0 to 99000: four integer seeds, doubles up to row 98998, two
  // empty rows at the end of each column.
  Tracciato t(99000);
  for (int c = 0; c < 2; ++c) {
    t.colonna(c)[0] = Numero::intero(0);
    t.colonna(c)[1] = Numero::intero(static_cast<int16_t>(c));
    for (int32_t i = 2; i <= 98998; ++i)
      t.colonna(c)[static_cast<size_t>(i)] = Numero::reale(c == 0 ? i * 0.5 : -i * 0.25);
  }
  const std::string b = serializza_tracciato(t);
  const size_t colonna = 2 * 4 + 98997 * 10 + 2 * 2;
  ASSERT_EQ(b.size(), 2 * colonna);
  Lettore r(b, 8 + 10 * (98998 - 2));
  EXPECT_EQ(r.u16(), 5u);
  EXPECT_EQ(r.f64(), 98998 * 0.5);
  EXPECT_EQ(r.u16(), 0u);
  EXPECT_EQ(r.u16(), 0u);
  EXPECT_EQ(r.pos(), colonna);
  EXPECT_EQ(r.u16(), 2u);
  EXPECT_EQ(r.i16(), 0);
  EXPECT_EQ(r.u16(), 2u);
  EXPECT_EQ(r.i16(), 1);
  EXPECT_EQ(r.u16(), 5u);
  EXPECT_EQ(r.f64(), -0.5);
}

TEST(TrackPlanFile, RunsOfDoublesArePiecesOfThePlanItself) {
  Tracciato t(9);
  for (int c = 0; c < 2; ++c) {
    t.colonna(c)[0] = Numero::intero(0);
    t.colonna(c)[1] = Numero::intero(static_cast<int16_t>(c));
    for (size_t i = 2; i <= 7; ++i) t.colonna(c)[i] = Numero::reale(static_cast<double>(i) + c);
  }
  std::optional<ContenutoFile> pezzi = pezzi_tracciato(t);
  const std::string unito = serializza_tracciato(t);
  ASSERT_EQ(pezzi->size(), unito.size());
  EXPECT_EQ(std::string_view(*pezzi), unito);
  const std::vector<std::string_view> v = pezzi->pezzi();
  if constexpr (std::endian::native == std::endian::little) {
    // Seeds of column 0; its doubles; its two empty rows and the seeds of
    // column 1 together; its doubles; its empty rows.
    ASSERT_EQ(v.size(), 5u);
    EXPECT_EQ(v[0].size(), 8u);
    EXPECT_EQ(v[1].data(), reinterpret_cast<const char*>(t.colonna(0).data() + 2));
    EXPECT_EQ(v[1].size(), 60u);
    EXPECT_EQ(v[2].size(), 12u);
    EXPECT_EQ(v[3].data(), reinterpret_cast<const char*>(t.colonna(1).data() + 2));
    EXPECT_EQ(v[4], std::string_view("\0\0\0\0", 4));
  }
  std::string dai_pezzi;
  for (std::string_view x : v) dai_pezzi.append(x);
  EXPECT_EQ(dai_pezzi, unito);
  // A copy holds its own encoded pieces: it still reads right after the
  // original is gone.
  const ContenutoFile copia = *pezzi;
  pezzi.reset();
  EXPECT_EQ(copia.unito(), unito);
  EXPECT_EQ(std::string_view(copia), unito);
}

TEST(TrackPlanFile, ContentPiecesJoinWhereTheyCan) {
  const std::string memoria = "0123456789";
  ContenutoFile c;
  EXPECT_EQ(std::string_view(c), "");
  EXPECT_TRUE(c.pezzi().empty());
  c.aggiungi_copia("ab", 2);
  c.aggiungi_copia("", 0);
  c.aggiungi_copia("c", 1);
  c.aggiungi_riferimento(memoria.data(), 3);
  c.aggiungi_riferimento(memoria.data() + 3, 2);  // follows the one before
  c.aggiungi_riferimento(memoria.data() + 7, 3);  // does not
  c.aggiungi_copia("z", 1);
  EXPECT_EQ(c.pezzi(), (std::vector<std::string_view>{"abc", "01234", "789", "z"}));
  EXPECT_EQ(c.size(), 12u);
  EXPECT_EQ(std::string_view(c), "abc01234789z");
  c.aggiungi_copia("!", 1);  // a change drops the joined copy
  EXPECT_EQ(std::string_view(c), "abc01234789z!");
  EXPECT_EQ(ContenutoFile(std::string("xyz")).pezzi(), std::vector<std::string_view>{"xyz"});
}

}  // namespace
}  // namespace sc
