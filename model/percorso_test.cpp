#include "model/percorso.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace sc {
namespace {

TEST(Arrotonda, HalvesGoToTheEvenNeighbour) {
  const struct { double in, out; } cases[] = {
      {20.5, 20}, {21.5, 22}, {70.5 + 1, 72}, {72.5, 72}, {-0.5, -0.0}, {-1.5, -2}, {0.49999, 0}, {88.5, 88}, {89.5, 90},
  };
  for (const auto& c : cases) EXPECT_EQ(arrotonda(c.in), c.out) << c.in;
}

TEST(Percorso, LineOf92000MetresHasCells0To1980) {
  Percorso p;
  EXPECT_FALSE(p.ha_celle());
  crea_celle(p, 92000);
  ASSERT_EQ(p.ultima_cella(), 1980);
  for (const Cella& c : p.celle) {
    EXPECT_EQ(c.tipo, 0);
    EXPECT_EQ(c.valore_1, 0);
    EXPECT_EQ(c.pendenza, 0);
  }
  EXPECT_EQ(ultima_cella_per(1000000), 20140);
}

TEST(Tracciato, RowsAreCreatedEmpty) {
  Tracciato t(99000);
  ASSERT_TRUE(t.presente());
  EXPECT_EQ(t.righe(), 99001);
  EXPECT_EQ(t.colonna(1).at(99000).tag, Numero::Tag::vuoto);
  EXPECT_FALSE(Tracciato().presente());
}

TEST(Tracciato, ReservedPlanReadsEmptyWhereNoRowWasWritten) {
  Tracciato t = Tracciato::riservato(9);
  ASSERT_TRUE(t.presente());
  EXPECT_EQ(t.righe(), 10);
  EXPECT_TRUE(t.si_aggiunge_a(0));
  for (int16_t i = 0; i < 3; ++i) t.aggiungi_riga(Numero::intero(i), Numero::reale(i + 0.5));
  EXPECT_TRUE(t.si_aggiunge_a(3));
  const Tracciato copia = t;  // a copy holds the rows written so far
  Numero* x = t.righe_fino(0, 5);
  EXPECT_EQ(x[5].tag, Numero::Tag::vuoto);
  EXPECT_FALSE(t.si_aggiunge_a(3));  // column 0 has rows beyond
  for (const Tracciato* p : {static_cast<const Tracciato*>(&t), &copia}) {
    for (int c = 0; c < 2; ++c) {
      const std::vector<Numero>& col = p->colonna(c);
      ASSERT_EQ(col.size(), 10u);
      for (size_t i = 0; i < 10; ++i) {
        if (i < 3) {
          EXPECT_EQ(col[i].tag, c == 0 ? Numero::Tag::intero : Numero::Tag::reale);
          EXPECT_EQ(col[i].valore, static_cast<double>(i) + (c == 0 ? 0.0 : 0.5));
        } else {
          EXPECT_EQ(col[i].tag, Numero::Tag::vuoto) << i;
          EXPECT_EQ(col[i].valore, 0.0) << i;
        }
      }
    }
  }

  Tracciato corto = Tracciato::riservato(1);
  corto.aggiungi_riga(Numero{}, Numero{});
  corto.aggiungi_riga(Numero{}, Numero{});
  EXPECT_THROW(corto.aggiungi_riga(Numero{}, Numero{}), std::out_of_range);
  EXPECT_THROW(corto.righe_fino(1, 2), std::out_of_range);
  EXPECT_EQ(corto.colonna(0).size(), 2u);
}

}  // namespace
}  // namespace sc
