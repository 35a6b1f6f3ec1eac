// Files of two compiles put side by side are told apart, by the file that
// disagrees; the files of one compile, or files without the compile's
// marks, are not.
#include "compiler/set_agreement.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "compiler/compile_entry.h"
#include "format/celle.h"
#include "writers/scenario.h"

namespace sc {
namespace {

Percorso compiled(const std::string& treno) {
  CompileResult r = compile_descriptions({{"Corvale_Pravena AV_linea.txt", dati_linea()},
                                          {"Corvale_Pravena AV_409-.txt", treno},
                                          "Corvale_Pravena AV",
                                          "409",
                                          1,
                                          false});
  EXPECT_TRUE(r.log.empty());
  return std::move(r.model);
}

TEST(SetAgreement, FilesOfTwoCompilesAreToldByTheFileThatDisagrees) {
  const Percorso a = compiled(dati_treno());
  // The second station 2 km further on: same identity, same line length.
  std::string moved = dati_treno();
  const size_t at = moved.find("stazione,   29950,");
  ASSERT_NE(at, std::string::npos);
  moved.replace(at, 18, "stazione,   31950,");
  const Percorso b = compiled(moved);
  const int32_t rows = a.tracciato.rows();

  struct Case {
    const char* what;
    std::function<void(std::vector<Cella>&)> cells;  // a change to a's cells
    const Percorso* elements;
    int32_t plan_rows;
    std::vector<std::string> expected;  // what each line begins with
  };
  const std::vector<Case> cases{
      {"one compile", [](auto&) {}, &a, rows, {}},
      {"cells of another compile",
       [](auto&) {},
       &b,
       rows,
       {"C.dat: cell 602 holds the stop of station 2, which ends at 32150 m in E.sim (its stop "
        "in cell 642)"}},
      {"a plan of another length",
       [](auto&) {},
       &a,
       rows + 50,
       {"P.dat holds " + std::to_string(rows + 50) + " rows, where the 92000 m line of E.sim has " +
        std::to_string(rows)}},
      {"another identity's contest code",
       [](auto& c) { c[1].valore_2 += 1; },
       &a,
       rows,
       {"C.dat holds the contest code"}},
      {"a cell short",
       [](auto& c) { c.pop_back(); },
       &a,
       rows,
       {"C.dat holds 1980 cells, where the 92000 m line of E.sim has 1981"}},
      {"a stop of a record that is no station",
       [](auto& c) { c[602].valore_1 = 70; },
       &a,
       rows,
       {"C.dat: cell 602 holds the stop of station record 70, which E.sim does not hold (3 "
        "stations)"}},
      // Without the compile's mark the files are taken as they are.
      {"unmarked cells", [](auto& c) { c[1].valore_1 = 0; }, &b, rows + 50, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<Cella> celle = a.celle;
    c.cells(celle);
    const std::vector<std::string> found =
        set_disagreements({celle, c.elements->elementi, c.plan_rows, "C.dat", "E.sim", "P.dat"});
    ASSERT_EQ(found.size(), c.expected.size()) << (found.empty() ? "" : found.front());
    for (size_t i = 0; i < found.size(); ++i)
      EXPECT_EQ(found[i].rfind(c.expected[i], 0), 0u) << found[i];
  }
}

}  // namespace
}  // namespace sc
