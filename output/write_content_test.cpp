#include "output/write_content.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>

#include "tests/support/test_dir.h"

namespace sc {
namespace {

using test::list_dir;
using test::read_bytes;
using test::TempDir;
using test::write;

// A content handed out in pieces, back to front: piece i holds the bytes
// from i * passo on.
FileContent backward(const std::string& all, size_t step) {
  return FileContent(all.size(), [all, step](const FileContent::Sink& d) {
    for (size_t i = (all.size() + step - 1) / step; i-- > 0;) {
      if (!d(i * step, std::string_view(all).substr(i * step, step))) return false;
    }
    return true;
  });
}

TEST(ContentWriter, ProducedPiecesLandAtTheirOffsets) {
  std::string expected;
  for (int i = 0; i < 300000; ++i) expected += static_cast<char>('a' + i % 26);
  expected += std::string(3 << 20, '\xA5');  // one piece larger than the rest together
  TempDir d;
  const std::string f = d / "Corvale_Pravena AV_linea.dat";
  write(f, std::string(5 << 20, 'o'));  // longer than the new content
  for (size_t step : {size_t{4093}, expected.size()}) {
    const FileContent c = backward(expected, step);
    const auto outcome = replace_files({to_write(f, c)});
    ASSERT_FALSE(outcome.has_value()) << *outcome;
    EXPECT_TRUE(read_bytes(f) == expected);
  }
  const FileContent integer(std::string("held whole"));
  ASSERT_FALSE(replace_files({to_write(f, integer)}).has_value());
  EXPECT_EQ(read_bytes(f), "held whole");
  EXPECT_EQ(list_dir(d.path()), std::set<std::string>{"Corvale_Pravena AV_linea.dat"});
}

TEST(ContentWriter, AProducedWriteThatFailsLeavesEveryFileAsItWas) {
  TempDir d;
  const std::string piano = d / "a_linea.dat", celle = d / "a_1.dat";
  write(piano, "old plan");
  write(celle, "old cells");
  const std::string msg = test::in_child_process(
      [&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limite{100000, 100000};
        ::setrlimit(RLIMIT_FSIZE, &limite);
        const FileContent c = backward(std::string(300000, 'p'), 65536);
        const FileContent k(std::string("cells"));
        return replace_files({to_write(celle, k), to_write(piano, c)}).value_or("ok");
      },
      false);
  EXPECT_EQ(msg, "cannot write \"" + piano + "\": " + std::strerror(EFBIG));
  EXPECT_EQ(read_bytes(piano), "old plan");
  EXPECT_EQ(read_bytes(celle), "old cells");
  EXPECT_EQ(list_dir(d.path()), (std::set<std::string>{"a_linea.dat", "a_1.dat"}));
}

}  // namespace
}  // namespace sc
