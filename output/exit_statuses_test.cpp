#include "output/exit_statuses.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

// The rows "| N | TEXT |" of the README's exit-status table.
std::vector<std::pair<int, std::string>> readme_lines() {
  const char* src = std::getenv("SC_SOURCE_DIR");
  std::ifstream in(std::string(src ? src : ".") + "/README.md");
  std::vector<std::pair<int, std::string>> rows;
  std::string riga;
  bool inside = false;
  while (std::getline(in, riga)) {
    if (riga.rfind("## ", 0) == 0) inside = riga == "## Faults and exit status";
    if (!inside || riga.size() < 8 || riga[0] != '|' || riga[2] < '0' || riga[2] > '9') continue;
    const size_t fine = riga.rfind(" |");
    rows.emplace_back(riga[2] - '0', riga.substr(6, fine - 6));
  }
  return rows;
}

TEST(ExitStatuses, ReadmeTableRepeatsTheProgramsTable) {
  const auto rows = readme_lines();
  ASSERT_EQ(rows.size(), std::size(sc::exit_statuses));
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i].first, sc::exit_statuses[i].status);
    EXPECT_EQ(rows[i].second, sc::exit_statuses[i].text) << "status " << rows[i].first;
  }
}

}  // namespace
