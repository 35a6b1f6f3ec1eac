// libFuzzer target. The fuzz input chooses a line and a train description
// as authors write them (entries in any order, overlapping markers); when
// they compile without a fault, the compiled files are decompiled and the
// decompiled descriptions must compile to the same bytes.
#include <cstdio>
#include <cstdlib>

#include "decompile/author_generator.h"
#include "decompile/decompile.h"
#include "decompile/verify.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sc::decompile;
  ByteChoices choices(data, size);
  const bool with_plan = choices.between(0, 3) != 0;
  AuthorGenerator<ByteChoices> g(choices);
  g.generate();
  const Compiled c = compile_in_memory(g.linea(), g.treno(), "Fuzz", "1", with_plan);
  if (!c.written || !c.faults.empty()) return 0;
  const Decompilation d = decompile({c.celle, c.elementi, c.tracciato});
  if (d.identical() && d.unexplained.empty()) return 0;
  std::fprintf(stderr, "property violated: no round trip: %s\n%s--- line\n%s--- train\n%s",
               d.difference.value_or("").c_str(),
               d.unexplained.empty() ? "" : (d.unexplained.front() + "\n").c_str(),
               g.linea().c_str(), g.treno().c_str());
  std::abort();
}
