#include "model/percorso.h"

#include <gtest/gtest.h>

namespace sc {
namespace {

TEST(Arrotonda, HalvesGoToTheEvenNeighbour) {
  const struct {
    double in, out;
  } cases[] = {
      {20.5, 20}, {21.5, 22},   {70.5 + 1, 72}, {72.5, 72}, {-0.5, -0.0},
      {-1.5, -2}, {0.49999, 0}, {88.5, 88},     {89.5, 90},
  };
  for (const auto& c : cases) EXPECT_EQ(arrotonda(c.in), c.out) << c.in;
}

TEST(Percorso, LineOf92000MetresHasCells0To1980) {
  Percorso p;
  EXPECT_FALSE(p.ha_celle());
  create_cells(p, 92000);
  ASSERT_EQ(p.last_cell(), 1980);
  for (const Cella& c : p.celle) {
    EXPECT_EQ(c.tipo, 0);
    EXPECT_EQ(c.valore_1, 0);
    EXPECT_EQ(c.pendenza, 0);
  }
  EXPECT_EQ(last_cell_for(1000000), 20140);
}

TEST(Tracciato, RowsAreCreatedEmpty) {
  Tracciato t(99000);
  ASSERT_TRUE(t.present());
  EXPECT_EQ(t.rows(), 99001);
  EXPECT_EQ(t.column(1).at(99000).tag, Numero::Tag::empty);
  EXPECT_FALSE(Tracciato().present());
}

}  // namespace
}  // namespace sc
