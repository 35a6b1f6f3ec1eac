// The exported scenario edited line by line and compiled in memory, for
// the tests that try one edit at a time.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/compile_entry.h"
#include "tests/support/test_dir.h"
#include "writers/content.h"
#include "writers/scenario.h"

namespace sc::test::modified_scenario {

using namespace test::file_scenario;

// The exported description's lines, without the end marker of the table.
inline std::vector<std::string> rows(const std::vector<std::string>& table) {
  std::vector<std::string> r(table.begin(), std::find(table.begin(), table.end(), marcatore_fine));
  return r;
}

// The lines with `riga` in place of `replaces` (which must be there), or
// added before "[fine]" when `replaces` is empty.
inline ::testing::AssertionResult change(std::vector<std::string>& r, std::string_view replaces,
                                         std::string_view riga) {
  const std::string sought = replaces.empty() ? "[fine]" : std::string(replaces);
  const auto it = std::find(r.begin(), r.end(), sought);
  if (it == r.end())
    return ::testing::AssertionFailure()
           << "no line \"" << sought << "\" in the exported description";
  if (replaces.empty()) {
    r.insert(it, std::string(riga));
  } else {
    *it = riga;
  }
  return ::testing::AssertionSuccess();
}

inline std::string crlf(const std::vector<std::string>& r) {
  std::string s;
  for (const std::string& x : r) s += x + "\r\n";
  return s;
}

struct Result {
  Percorso p;
  FaultLog log;
  Compilation::Result status = Compilation::Result::pronto;
  std::vector<std::string> files;  // the compiled bytes, in writing order
};

// With `as_embedded` the descriptions are compiled as the embedded run
// compiles its own (no reading on after the first fault).
inline void compile(Result& e, const std::vector<std::string>& linea,
                    const std::vector<std::string>& treno, bool as_embedded = false) {
  CompileResult r = compile_descriptions({{linea_txt, crlf(linea)},
                                          {treno_txt, crlf(treno)},
                                          "Corvale_Pravena AV",
                                          "409",
                                          1,
                                          !as_embedded});
  e.p = std::move(r.model);
  e.log = std::move(r.log);
  const Compilation& c = r.compilation;
  e.status = c.status;
  for (const CompiledFile& f : c.files) e.files.push_back(f.bytes.joined());
}

inline std::string other_list(const FaultLog& log) {
  std::string s;
  for (const Fault& f : log.others()) s += "\n  " + diagnostic_code(f) + ": " + f.message;
  return s;
}

inline std::string fault_list(const FaultLog& log) {
  std::string s;
  for (const Fault& f : log.all()) s += "\n  " + std::to_string(f.codice) + ": " + f.message;
  return s;
}

}  // namespace sc::test::modified_scenario
