#include "format/posizioni.h"

#include <gtest/gtest.h>

namespace sc {
namespace {

TEST(Posizioni, ABoardsTextOnOneLine) {
  const struct {
    const char* grezzo;
    const char* riga;
  } casi[] = {
      {"(GALLERIA PIANORO)( Km. 10.710     )", "GALLERIA PIANORO Km. 10.710"},
      {"(BIVIO)", "BIVIO"},
      {"(GALLERIA   )(B. RINZELLI)(Km. 1.150  )", "GALLERIA B. RINZELLI Km. 1.150"},
      {"  A  B ", "A B"},
      {"()( )", ""},
      {"", ""},
  };
  for (const auto& c : casi) EXPECT_EQ(testo_su_una_riga(c.grezzo), c.riga) << c.grezzo;
}

}  // namespace
}  // namespace sc
