#include "output/stati_uscita.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

// The rows "| N | TEXT |" of the README's exit-status table.
std::vector<std::pair<int, std::string>> righe_readme() {
  const char* src = std::getenv("SC_SOURCE_DIR");
  std::ifstream in(std::string(src ? src : ".") + "/README.md");
  std::vector<std::pair<int, std::string>> righe;
  std::string riga;
  bool dentro = false;
  while (std::getline(in, riga)) {
    if (riga.rfind("## ", 0) == 0) dentro = riga == "## Faults and exit status";
    if (!dentro || riga.size() < 8 || riga[0] != '|' || riga[2] < '0' || riga[2] > '9') continue;
    const size_t fine = riga.rfind(" |");
    righe.emplace_back(riga[2] - '0', riga.substr(6, fine - 6));
  }
  return righe;
}

TEST(StatiUscita, ReadmeTableRepeatsTheProgramsTable) {
  const auto righe = righe_readme();
  ASSERT_EQ(righe.size(), std::size(sc::stati_uscita));
  for (size_t i = 0; i < righe.size(); ++i) {
    EXPECT_EQ(righe[i].first, sc::stati_uscita[i].stato);
    EXPECT_EQ(righe[i].second, sc::stati_uscita[i].testo) << "status " << righe[i].first;
  }
}

}  // namespace
