#include "output/file_output.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string_view>
#include <thread>
#include <vector>

#include "tests/support/test_dir.h"

namespace sc {
namespace {

using test::list_dir;
using test::read_bytes;
using test::TempDir;
using test::write;

TEST(FileOutput, ReplacesALongerFileWholeWithTheUsualPermissions) {
  TempDir d;
  const std::string f = d / "Corvale_Pravena AV_409_note.txt";
  write(f, std::string(10000, 'X'));
  const mode_t old = ::umask(022);
  const auto outcome = replace_file(f, "abc\r\n");
  ::umask(old);
  ASSERT_FALSE(outcome.has_value()) << *outcome;
  EXPECT_EQ(read_bytes(f), "abc\r\n");
  EXPECT_EQ(list_dir(d.path()), std::set<std::string>{"Corvale_Pravena AV_409_note.txt"});
  struct stat st {};
  ASSERT_EQ(::stat(f.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0644u);  // not the 0600 of a temporary file
}

TEST(FileOutput, CreatesANewFileAndWritesEmptyContent) {
  TempDir d;
  ASSERT_FALSE(replace_file(d / "nuovo.dat", std::string("\0\1\2", 3)).has_value());
  EXPECT_EQ(read_bytes(d / "nuovo.dat"), std::string("\0\1\2", 3));
  ASSERT_FALSE(replace_file(d / "nuovo.dat", "").has_value());
  EXPECT_EQ(read_bytes(d / "nuovo.dat"), "");
}

TEST(FileOutput, PiecesAreWrittenInOrderBeyondWhatOneCallTakes) {
  // More pieces than one call of the system takes (1024 on Linux), empty
  // ones among them, and one of 3 MB.
  std::vector<std::string> dati;
  for (int i = 0; i < 2500; ++i)
    dati.push_back(std::string(static_cast<size_t>(i % 7), static_cast<char>('a' + i % 26)));
  dati.push_back(std::string(3 << 20, '\xA5'));
  dati.push_back("end");
  std::vector<std::string_view> pieces(dati.begin(), dati.end());
  std::string expected;
  for (const std::string& x : dati) expected += x;

  TempDir d;
  const std::string f = d / "Corvale_Pravena AV_linea.dat";
  write(f, "old");
  const auto outcome = replace_file(f, pieces);
  ASSERT_FALSE(outcome.has_value()) << *outcome;
  EXPECT_TRUE(read_bytes(f) == expected);
  EXPECT_EQ(list_dir(d.path()), std::set<std::string>{"Corvale_Pravena AV_linea.dat"});

  ASSERT_FALSE(replace_file(f, std::vector<std::string_view>{}).has_value());
  EXPECT_EQ(read_bytes(f), "");
}

// One replacement that fails: the message names the file and the reason,
// what stood at the target stays as it was, and no temporary is left.
TEST(FileOutput, AFailedReplacementKeepsWhatWasThereAndLeavesNoTemporary) {
  const struct {
    const char* test_case;
    const char* nome;
    // Puts what is at the target before the write (`f` is its path).
    std::function<void(const TempDir&, const std::string& f)> prepare;
    // Runs the replacement, in a child process where it changes limits.
    std::function<std::string(const std::string& f)> substitute;
    int errore;
  } cases[] = {
      {"read-only directory", "Corvale_Pravena AV_409.dat",
       [](const TempDir& d, const std::string& f) {
         write(f, "old content");
         std::filesystem::permissions(d.path(), std::filesystem::perms(0555));
       },
       [](const std::string& f) {
         return test::in_child_process([&] { return replace_file(f, "new").value_or("ok"); }, true);
       },
       EACCES},
      {"a directory in place of the target", "Corvale_Pravena AV_linea.dat",
       [](const TempDir&, const std::string& f) {
         std::filesystem::create_directory(f);
         write(f + "/inside", "kept");
       },
       [](const std::string& f) { return replace_file(f, "bytes").value_or("ok"); }, EISDIR},
      // A file-size limit makes the write itself fail, as a full disk would.
      {"the write fails", "Corvale_Pravena AV_409.sim",
       [](const TempDir&, const std::string& f) { write(f, "old"); },
       [](const std::string& f) {
         return test::in_child_process(
             [&] {
               ::signal(SIGXFSZ, SIG_IGN);
               const rlimit limite{1000, 1000};
               ::setrlimit(RLIMIT_FSIZE, &limite);
               return replace_file(f, std::string(5000, 'n')).value_or("ok");
             },
             false);
       },
       EFBIG},
      {"missing directory", "no/such.txt", [](const TempDir&, const std::string&) {},
       [](const std::string& f) { return replace_file(f, "x").value_or("ok"); }, ENOENT},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.test_case);
    TempDir d;
    const std::string f = d / c.nome;
    c.prepare(d, f);
    const auto first = list_dir(d.path());
    const std::string content_before = std::filesystem::is_regular_file(f) ? read_bytes(f) : "";
    EXPECT_EQ(c.substitute(f), "cannot write \"" + f + "\": " + std::strerror(c.errore));
    EXPECT_EQ(list_dir(d.path()), first);
    if (std::filesystem::is_regular_file(f)) {
      EXPECT_EQ(read_bytes(f), content_before);
    }
    if (c.errore == EISDIR) {
      EXPECT_EQ(read_bytes(f + "/inside"), "kept");
    }
    std::filesystem::permissions(d.path(), std::filesystem::perms(0755));
  }
}

// Three files replaced together, as a compile writes them.
class FileSetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* n : {"a.dat", "b.sim", "c.dat"}) {
      names.push_back(d / n);
      write(names.back(), std::string("old ") + n);
    }
  }
  std::vector<FileToWrite> fresh() const {
    return {{names[0], {piano, "!"}}, {names[1], {std::string_view(table)}}, {names[2], {celle}}};
  }
  void old_intact() {
    EXPECT_EQ(read_bytes(names[0]), "old a.dat");
    EXPECT_EQ(read_bytes(names[1]), "old b.sim");
    EXPECT_EQ(read_bytes(names[2]), "old c.dat");
  }

  TempDir d;
  std::vector<std::string> names;
  const std::string piano = std::string(300000, 'p'), table = std::string(5000, 't'),
                    celle = "cells";
};

TEST_F(FileSetTest, AllAreReplacedAndNoTemporaryStays) {
  ASSERT_FALSE(replace_files(fresh()).has_value());
  EXPECT_EQ(read_bytes(names[0]), piano + "!");
  EXPECT_EQ(read_bytes(names[1]), table);
  EXPECT_EQ(read_bytes(names[2]), celle);
  EXPECT_EQ(list_dir(d.path()), (std::set<std::string>{"a.dat", "b.sim", "c.dat"}));
}

TEST_F(FileSetTest, AWriteThatFailsLeavesEveryFileAsItWas) {
  // The second file does not fit under the size limit; the first one,
  // written whole, is not put in place either.
  const std::string msg = test::in_child_process(
      [&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limite{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limite);
        std::vector<FileToWrite> f = fresh();
        f[0].pieces = {"small"};
        return replace_files(f).value_or("ok");
      },
      false);
  EXPECT_EQ(msg, "cannot write \"" + names[1] + "\": " + std::strerror(EFBIG));
  old_intact();
  EXPECT_EQ(list_dir(d.path()), (std::set<std::string>{"a.dat", "b.sim", "c.dat"}));
}

TEST_F(FileSetTest, ADirectoryInPlaceOfTheLastTargetIsFoundBeforeAnyRename) {
  std::filesystem::remove(names[2]);
  std::filesystem::create_directory(names[2]);
  const auto outcome = replace_files(fresh());
  ASSERT_TRUE(outcome.has_value());
  EXPECT_EQ(*outcome, "cannot write \"" + names[2] + "\": " + std::strerror(EISDIR));
  EXPECT_EQ(read_bytes(names[0]), "old a.dat");
  EXPECT_EQ(read_bytes(names[1]), "old b.sim");
  EXPECT_TRUE(std::filesystem::is_directory(names[2]));
  EXPECT_EQ(list_dir(d.path()), (std::set<std::string>{"a.dat", "b.sim", "c.dat"}));
}

TEST(FileOutput, ALinkAtTheTargetIsReplacedAndWhatItPointsToKept) {
  TempDir d;
  write(d / "mine.svg", "an author's picture");
  std::filesystem::create_symlink("mine.svg", d / "plot.svg");
  ASSERT_FALSE(replace_file(d / "plot.svg", "<svg/>").has_value());
  EXPECT_FALSE(std::filesystem::is_symlink(d / "plot.svg"));
  EXPECT_EQ(read_bytes(d / "plot.svg"), "<svg/>");
  EXPECT_EQ(read_bytes(d / "mine.svg"), "an author's picture");
  EXPECT_EQ(list_dir(d.path()), (std::set<std::string>{"mine.svg", "plot.svg"}));
}

TEST(FileOutput, TheLongestNameTheSystemAllowsIsWritten) {
  // Temporary names have one length, shorter than any limit.
  EXPECT_EQ(temp_prefix(std::string(255, 'n')).size() + 6, temp_name_length);
  EXPECT_EQ(temp_prefix("a").size() + 6, temp_name_length);
  EXPECT_NE(temp_prefix("a.dat"), temp_prefix("b.dat"));
  TempDir d;
  const std::string f = d / (std::string(245, 'n') + "_linea.dat");  // 255 bytes
  ASSERT_FALSE(replace_file(f, "plan").has_value());
  EXPECT_EQ(read_bytes(f), "plan");
  EXPECT_EQ(list_dir(d.path()).size(), 1u);
}

TEST(FileOutput, AnOrdinaryUserGetsTheSameReplacement) {
  // Without root's right to link any open file, the unnamed temporary file
  // is linked by another way.
  TempDir d;
  ::chmod(d.path().c_str(), 0777);
  const std::string f = d / "x.dat";
  const std::string r = test::in_child_process(
      [&] {
        auto e = replace_files({{f, {"new"}}, {d / "y.dat", {"other"}}}, WriteMode{true});
        return e.value_or("ok");
      },
      true);
  EXPECT_EQ(r, "ok");
  EXPECT_EQ(read_bytes(f), "new");
  EXPECT_EQ(read_bytes(d / "y.dat"), "other");
  EXPECT_EQ(list_dir(d.path()), (std::set<std::string>{"x.dat", "y.dat"}));
}

TEST(FileOutput, TemporaryFilesLeftByAKilledRunOfTheSameTargetAreRemoved) {
  TempDir d;
  const std::string target = "Corvale_Pravena AV_linea.dat";
  const std::string own = temp_prefix(target) + "k3x9qz";
  const std::string simile = "." + target + ".backup";  // an author's file, maybe
  const std::string other = temp_prefix("Corvale_Pravena AV_409.dat") + "k3x9qz";
  for (const std::string& n : {own, simile, other, std::string(".keep"), own + "x"}) {
    write(d / n, std::string(1000, 'x'));
  }
  ASSERT_FALSE(replace_file(d / target, "plan").has_value());
  EXPECT_EQ(list_dir(d.path()), (std::set<std::string>{target, simile, other, ".keep", own + "x"}));
}

TEST(FileOutput, AKillDuringTheWriteLeavesNoFileBehind) {
  TempDir d;
  const std::string f = d / "c.dat";
  write(f, "old");
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::close(fds[0]);
    replace_files({{f, {}, [&](int fd) {
                      if (::write(fd, "half", 4) != 4 || ::write(fds[1], "w", 1) != 1) ::_exit(2);
                      ::pause();  // killed here, part-way through the content
                      return 0;
                    }}});
    ::_exit(3);
  }
  ::close(fds[1]);
  char c;
  ASSERT_EQ(::read(fds[0], &c, 1), 1);
  ::close(fds[0]);
  ::kill(pid, SIGKILL);
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(read_bytes(f), "old");
  EXPECT_EQ(list_dir(d.path()), std::set<std::string>{"c.dat"});
}

TEST(FileOutput, AReplacementWaitsForAnotherProcessHoldingTheDirectory) {
  // The other process holds the directory's lock while it writes "a.dat"
  // in its own way, slowly; the replacement of the set starts meanwhile and
  // must come after it, whole.
  TempDir d;
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::close(fds[0]);
    {
      const DirLock block(d.path());
      if (!block.locked() || ::write(fds[1], "l", 1) != 1) ::_exit(2);
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      write(d / "a.dat", "other a");
    }
    ::_exit(0);
  }
  ::close(fds[1]);
  char c;
  ASSERT_EQ(::read(fds[0], &c, 1), 1);
  ::close(fds[0]);
  const auto inizio = std::chrono::steady_clock::now();
  ASSERT_FALSE(replace_files({{d / "a.dat", {"set a"}}, {d / "b.dat", {"set b"}}}).has_value());
  EXPECT_GE(std::chrono::steady_clock::now() - inizio, std::chrono::milliseconds(200));
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(read_bytes(d / "a.dat"), "set a");
  EXPECT_EQ(read_bytes(d / "b.dat"), "set b");

  // The same process may replace files in a directory it holds.
  const DirLock block(d.path());
  EXPECT_TRUE(block.locked());
  ASSERT_FALSE(replace_file(d / "a.dat", "again").has_value());
  EXPECT_EQ(read_bytes(d / "a.dat"), "again");
}

// The number of write calls this process has made, from the kernel's
// accounting (-1 where it keeps none).
long write_calls() {
  std::ifstream in("/proc/self/io");
  std::string k;
  long v;
  while (in >> k >> v)
    if (k == "syscw:") return v;
  return -1;
}

TEST(FileOutput, ManySmallPiecesGoOutInFewWrites) {
  std::vector<std::string> dati(400000, "ab");
  dati.push_back(std::string(3 << 20, 'z'));  // a large one, written from where it is
  dati.insert(dati.end(), 1000, "c");
  std::vector<std::string_view> pieces(dati.begin(), dati.end());
  TempDir d;
  const long first = write_calls();
  if (first < 0) GTEST_SKIP() << "no write accounting here";
  ASSERT_FALSE(replace_file(d / "p.dat", pieces).has_value());
  // Two are needed; the count is of the whole process, whose runtime may
  // make a few of its own. One write per piece would be 401001.
  EXPECT_LE(write_calls() - first, 10);
  const std::string c = read_bytes(d / "p.dat");
  EXPECT_EQ(c.size(), 800000u + (3u << 20) + 1000u);
  EXPECT_EQ(c.substr(799998, 3), "abz");
  EXPECT_EQ(c.substr(c.size() - 2), "cc");
}

}  // namespace
}  // namespace sc
