#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_watch.h"
#include "platform/folder_lock.h"
#include "platform/read_file.h"
#include "platform/replace_file.h"
#include "platform/run_program.h"
#include "platform/self_path.h"
#include "tests/support/test_dir.h"

namespace {

namespace fs = std::filesystem;
using sc::test::TempDir;

std::string prefix(const std::string& target) { return ".tmp-" + target + "-"; }

std::string read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(Platform, ExecutableFolderIsTheFolderOfThisTestProgram) {
  EXPECT_EQ(sc::platform::executable_folder(),
            fs::read_symlink("/proc/self/exe").parent_path().string());
}

TEST(Platform, RunInsteadReportsAProgramThatCannotBeStarted) {
  TempDir dir;
  char name[] = "missing";
  char* argv[] = {name, nullptr};
  EXPECT_EQ(sc::platform::run_instead(dir / "missing", argv), ENOENT);
}

TEST(Platform, AConnectedProgramHearsWhatIsSentAndItsLinesComeBackWhole) {
  int error = 0;
  auto cat = sc::platform::ConnectedProgram::start("/bin/cat", {"cat"}, error);
  ASSERT_NE(cat, nullptr) << error;
  // Nothing sent yet: the wait ends at its limit.
  EXPECT_EQ(cat->receive_line(std::chrono::milliseconds(50)), std::nullopt);
  // Lines split across sends, and two in one.
  ASSERT_TRUE(cat->send("one\ntw"));
  ASSERT_TRUE(cat->send("o\nthree\n"));
  for (const char* line : {"one", "two", "three"})
    EXPECT_EQ(cat->receive_line(std::chrono::seconds(5)), line);

  // A program that ends: no line, even without a time limit.
  auto done = sc::platform::ConnectedProgram::start("/bin/true", {"true"}, error);
  ASSERT_NE(done, nullptr) << error;
  EXPECT_EQ(done->receive_line(std::nullopt), std::nullopt);
}

TEST(Platform, AProgramThatCannotBeStartedIsItsErrno) {
  TempDir dir;
  std::ofstream(dir / "not-executable") << "#!/bin/sh\n";
  for (const auto& [path, expected] :
       {std::pair<std::string, int>{dir / "missing", ENOENT}, {dir / "not-executable", EACCES}}) {
    int error = 0;
    EXPECT_EQ(sc::platform::ConnectedProgram::start(path, {"x"}, error), nullptr) << path;
    EXPECT_EQ(error, expected) << path;
    EXPECT_FALSE(sc::platform::is_executable_file(path)) << path;
  }
  EXPECT_TRUE(sc::platform::is_executable_file("/bin/cat"));
  EXPECT_FALSE(
      sc::platform::is_executable_file(dir.path()));  // a directory is searchable, not a program
}

// A file is read only when it is a regular file within the limit; a FIFO
// is refused without waiting for a writer.
TEST(Platform, ReadRegularFileReadsWhatFitsAndRefusesTheRest) {
  TempDir dir;
  std::ofstream(dir / "f") << "12345";
  std::ofstream(dir / "empty");
  fs::create_directory(dir / "d");
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  using Failure = sc::platform::FileRead::Failure;
  const struct {
    const char* name;
    size_t limit;
    Failure failure;
    int error;
    size_t size;
    const char* bytes;
  } cases[] = {
      {"f", 5, Failure::none, 0, 5, "12345"},        {"f", 4, Failure::too_large, 0, 5, ""},
      {"empty", 0, Failure::none, 0, 0, ""},         {"d", 100, Failure::not_regular, 0, 0, ""},
      {"fifo", 100, Failure::not_regular, 0, 0, ""}, {"missing", 100, Failure::open, ENOENT, 0, ""},
  };
  for (const auto& c : cases) {
    const sc::platform::FileRead r = sc::platform::read_regular_file(dir / c.name, c.limit);
    EXPECT_EQ(r.failure, c.failure) << c.name;
    EXPECT_EQ(r.error, c.error) << c.name;
    EXPECT_EQ(r.size, c.size) << c.name;
    EXPECT_EQ(r.bytes, c.bytes) << c.name;
    EXPECT_EQ(r.directory, std::string(c.name) == "d") << c.name;
  }
}

// A watched folder moved away and replaced by a copy, or removed and made
// again, is followed: the watch hears saves in the folder now at the name,
// and no longer those in the old one.
TEST(Platform, AFileWatchFollowsAReplacedFolder) {
  TempDir dir;
  const std::string d = dir / "d";
  fs::create_directory(d);
  std::ofstream(d + "/a.txt") << "1";
  sc::platform::FileWatch watch({d + "/a.txt"});
  ASSERT_EQ(watch.error(), "");
  EXPECT_FALSE(watch.follow_replaced_directories());  // nothing replaced yet

  const struct {
    const char* what;
    void (*replace)(const std::string& d);
  } cases[] = {
      {"moved away, a copy in its place",
       [](const std::string& d) {
         fs::rename(d, d + ".old");
         fs::copy(d + ".old", d);
       }},
      {"removed, then made again",
       [](const std::string& d) {
         fs::remove_all(d);
         fs::create_directory(d);
         std::ofstream(d + "/a.txt") << "2";
       }},
  };
  for (const auto& c : cases) {
    fs::remove_all(d + ".old");
    c.replace(d);
    watch.read_events();  // what the old folder said
    EXPECT_TRUE(watch.follow_replaced_directories()) << c.what;
    watch.read_events();
    EXPECT_FALSE(watch.follow_replaced_directories()) << c.what;
    if (fs::exists(d + ".old")) {
      std::ofstream(d + ".old/a.txt") << "old";
      EXPECT_FALSE(watch.read_events()) << c.what << ": the old folder is still heard";
    }
    std::ofstream(d + "/a.txt") << "new";
    EXPECT_TRUE(watch.read_events()) << c.what << ": the new folder is not heard";
  }
  // Gone for good: told once.
  fs::remove_all(d);
  EXPECT_TRUE(watch.follow_replaced_directories());
  EXPECT_FALSE(watch.follow_replaced_directories());
}

TEST(Platform, ReplaceFilesWritesEveryFileAndLeavesNoTemporaryFile) {
  TempDir dir;
  std::ofstream(dir / "a.txt") << "old";
  const std::string big(100000, 'x');
  std::vector<sc::platform::FileToReplace> files{
      {dir / "a.txt",
       [](int fd) {
         return sc::platform::write_pieces(fd, {"new ", "content"});
       }},
      {dir / "b.txt",
       [&](int fd) {
         return sc::platform::write_pieces(fd, {"<", big, ">"});
       }},
  };
  EXPECT_EQ(sc::platform::replace_files(files, true, {prefix, 20}), std::nullopt);
  EXPECT_EQ(read(dir / "a.txt"), "new content");
  EXPECT_EQ(read(dir / "b.txt"), "<" + big + ">");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
}

TEST(Platform, AFailedWriteLeavesEveryTargetAsItWas) {
  TempDir dir;
  std::ofstream(dir / "a.txt") << "old";
  std::vector<sc::platform::FileToReplace> files{
      {dir / "a.txt", [](int fd) { return sc::platform::write_pieces(fd, {"new"}); }},
      {dir / "b.txt", [](int) { return ENOSPC; }},
  };
  EXPECT_EQ(sc::platform::replace_files(files, false, {prefix, 20}),
            "cannot write \"" + dir / "b.txt" + "\": No space left on device");
  EXPECT_EQ(read(dir / "a.txt"), "old");
  EXPECT_FALSE(fs::exists(dir / "b.txt"));
}

// A record as a killed replacement leaves it: its entries, each name as
// LENGTH:BYTES.
std::string record_of(const std::vector<std::pair<std::string, std::string>>& entries) {
  std::string s = "scenario-compiler set 1\n";
  for (const auto& [temporary, target] : entries) {
    s += std::to_string(temporary.size()) + ":" + temporary + "\n";
    s += std::to_string(target.size()) + ":" + target + "\n";
  }
  return s;
}

// The temporary name the test's names give `target`, 20 characters.
std::string temporary(const std::string& target) {
  std::string s = prefix(target);
  return s + std::string(20 - s.size(), 'q');
}

TEST(Platform, TheNextReplacementCompletesAnUnfinishedSetAndOnlyInsideItsFolder) {
  const sc::platform::TemporaryNames names{prefix, 20, ".set"};
  const std::string line_break = "b\n.txt";  // a name may hold any byte but '/'
  const std::string tb = temporary("b.txt"), tc = temporary("c.txt"), tl = temporary(line_break);
  struct Case {
    const char* what;
    std::string record;                 // the record's bytes
    std::vector<std::string> expected;  // a.txt, b.txt, c.txt, "b\n.txt" afterwards ("" missing)
    std::set<std::string> temporaries_left;
  };
  const std::vector<Case> cases{
      // Killed after renaming a: b's temporary is still there. c's is no
      // part of the set, and of no target written now: it stays.
      {"half renamed",
       record_of({{temporary("a.txt"), "a.txt"}, {tb, "b.txt"}}),
       {"new a", "new b", "old c", ""},
       {tc, tl}},
      {"none renamed",
       record_of({{tc, "c.txt"}, {tl, line_break}}),
       {"old a", "", "new c", "new b"},
       {tb}},
      // Names that leave the folder, or that are no temporary of their
      // target, are not followed; the record goes all the same.
      {"hostile names",
       record_of({{tb, "../b.txt"}, {"a.txt", "c.txt"}, {"../x", "a.txt"}}),
       {"old a", "", "old c", ""},
       {tb, tc, tl}},
      {"not a record", "garbage\n", {"old a", "", "old c", ""}, {tb, tc, tl}},
      {"cut short",
       record_of({{tb, "b.txt"}}).substr(0, 30),
       {"old a", "", "old c", ""},
       {tb, tc, tl}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempDir dir;
    // What a killed replacement left: a renamed, the temporaries of the rest.
    const bool a_renamed = c.record.find(temporary("a.txt")) != std::string::npos;
    std::ofstream(dir / "a.txt") << (a_renamed ? "new a" : "old a");
    std::ofstream(dir / "c.txt") << "old c";
    std::ofstream(dir / tb) << "new b";
    std::ofstream(dir / tc) << "new c";
    std::ofstream(dir / tl) << "new b";
    std::ofstream(dir / ".set") << c.record;
    std::vector<sc::platform::FileToReplace> files{
        {dir / "d.txt", [](int fd) { return sc::platform::write_pieces(fd, {"d"}); }},
        {dir / "e.txt", [](int fd) { return sc::platform::write_pieces(fd, {"e"}); }},
    };
    ASSERT_EQ(sc::platform::replace_files(files, false, names), std::nullopt);
    const std::string target[] = {"a.txt", "b.txt", "c.txt", line_break};
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(fs::exists(dir / target[i]) ? read(dir / target[i]) : "", c.expected[i])
          << target[i];
    }
    EXPECT_FALSE(fs::exists(dir / ".set"));
    std::set<std::string> left;
    for (const std::string& t : {tb, tc, tl}) {
      if (fs::exists(dir / t)) left.insert(t);
    }
    EXPECT_EQ(left, c.temporaries_left);
    EXPECT_EQ(read(dir / "d.txt"), "d");
    EXPECT_EQ(read(dir / "e.txt"), "e");
    EXPECT_FALSE(fs::exists(fs::path(dir.path()).parent_path() / "b.txt"));
  }
}

TEST(Platform, AFolderLockIsHeldOnAFolderOnly) {
  TempDir dir;
  const sc::platform::FolderLock lock(dir.path());
  EXPECT_TRUE(lock.held());
  const sc::platform::FolderLock again(dir.path());  // the same process: shared
  EXPECT_TRUE(again.held());
  EXPECT_FALSE(sc::platform::FolderLock(dir / "missing").held());
}

}  // namespace
