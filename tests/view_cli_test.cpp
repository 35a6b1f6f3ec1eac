// view: the window under an X server of its own (Xvfb), driven through its
// command channel (--control) and looked at from outside: the pixels of
// the window as another client of the server reads them.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <regex>

#include "tests/run_program.h"
#include "tests/support/held_lock.h"
#include "tests/support/running_process.h"
#include "tests/support/test_dir.h"
#include "tests/support/xvfb.h"

// Last: Xlib defines macros (None, Status, Bool) that other headers use as names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

using namespace sc::test;
using namespace sc::test::file_scenario;
namespace fs = std::filesystem;

// The window's pixels as 0xRRGGBB, read by another client.
struct Screen {
  int w = 0, h = 0;
  std::vector<uint32_t> px;
  // Pixels of colour `c` (within 12 per channel) in the rectangle.
  int count(uint32_t c, int x0, int y0, int x1, int y1) const {
    int n = 0;
    for (int y = std::max(0, y0); y < std::min(h, y1); ++y)
      for (int x = std::max(0, x0); x < std::min(w, x1); ++x) {
        const uint32_t p =
            px[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)];
        const auto near = [&](int sh) {
          return std::abs(int((p >> sh) & 255) - int((c >> sh) & 255)) <= 12;
        };
        if (near(16) && near(8) && near(0)) ++n;
      }
    return n;
  }
};

class View : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!ServerXvfb::installed()) return;
    server_ = new ServerXvfb("1280x1024x24");
    display_ = server_->display();
  }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    const ProgramOutcome e = run_program(dir.path(), {"export"});
    ASSERT_EQ(e.status, 0) << e.err;
  }
  std::unique_ptr<RunningProcess> launch(std::vector<std::string> args) {
    args.insert(args.begin(), "view");
    args.push_back("--control");
    return std::make_unique<RunningProcess>(
        SC_PROGRAM, args, dir.path(), std::map<std::string, std::string>{{"DISPLAY", display_}});
  }
  // Sends a command and waits for its "done" line.
  static bool command(RunningProcess& p, const std::string& cmd) {
    const std::string word = cmd.substr(0, cmd.find(' '));
    const int before = RunningProcess::count(p.out(), "done " + word + "\n");
    return p.write(cmd + "\n") && p.wait_out("done " + word + "\n", before + 1);
  }
  static Screen screen(unsigned long window) {
    Screen s;
    Display* d = XOpenDisplay(display_.c_str());
    if (d == nullptr) return s;
    XWindowAttributes a{};
    if (XGetWindowAttributes(d, window, &a) != 0) {
      XImage* img = XGetImage(d, window, 0, 0, static_cast<unsigned>(a.width),
                              static_cast<unsigned>(a.height), AllPlanes, ZPixmap);
      if (img != nullptr) {
        s.w = a.width;
        s.h = a.height;
        for (int y = 0; y < s.h; ++y)
          for (int x = 0; x < s.w; ++x)
            s.px.push_back(static_cast<uint32_t>(XGetPixel(img, x, y)) & 0xFFFFFF);
        XDestroyImage(img);
      }
    }
    XCloseDisplay(d);
    return s;
  }

  TempDir dir;
  static inline std::string display_;
  static inline ServerXvfb* server_ = nullptr;
};

// Skips the test without Xvfb; fails it when Xvfb did not start.
#define SERVE_DISPLAY()                                                                     \
  do {                                                                                      \
    if (!ServerXvfb::installed())                                                           \
      GTEST_SKIP() << ServerXvfb::program << " is not installed: the window is not tested"; \
    ASSERT_FALSE(display_.empty()) << "Xvfb did not start";                                 \
  } while (0)

// Colours of the drawing: the track, the stretch shown, the fault and warning marks.
constexpr uint32_t track = 0x1A388C, red_window = 0xDC1E1E, fault = 0xC80000, avviso = 0xB06000;
// The plan view and the profile (window pixels).
constexpr int piano_x1 = 730, piano_y0 = 34, piano_y1 = 334, profile_y0 = 334, profile_y1 = 664;

TEST_F(View, WithoutADisplayItSaysSoAndEndsWithStatus2) {
  const ProgramOutcome e = run_program(dir.path(), {"view", linea_txt, treno_txt});
  EXPECT_EQ(e.status, 2);
  EXPECT_EQ(e.err, "scenario-compiler: view: the viewer needs a display, and DISPLAY is not set\n");
  const ProgramOutcome m = run_program(dir.path(), {"view", "missing_linea.txt", treno_txt});
  EXPECT_EQ(m.status, 2);
  EXPECT_NE(m.err.find("cannot read \"missing_linea.txt\""), std::string::npos) << m.err;
}

TEST_F(View, DrawsJumpsShowsTheEntryOfACellAndReloadsKeepingTheZoom) {
  SERVE_DISPLAY();
  auto p = launch({linea_txt, treno_txt});
  ASSERT_TRUE(p->wait_out("window 0x")) << p->out() << p->err();
  EXPECT_NE(p->out().find("loaded compiled without fault; faults 0; showing 0 to 99050 m"),
            std::string::npos)
      << p->out();
  std::smatch m;
  const std::string out = p->out();
  ASSERT_TRUE(std::regex_search(out, m, std::regex("window (0x[0-9a-f]+)")));
  const unsigned long xid = std::stoul(m[1].str(), nullptr, 16);

  // The whole line: the track in the plan view, all of it red as all of it
  // is shown; the speed line across the profile.
  ASSERT_TRUE(command(*p, "window 0 99.05"));
  const Screen whole = screen(xid);
  ASSERT_EQ(whole.w, 1200) << "no window picture";
  const int all_red = whole.count(red_window, 0, piano_y0, piano_x1, piano_y1);
  EXPECT_GT(all_red, 500);
  EXPECT_GT(whole.count(track, 60, profile_y0, 1190, profile_y1), 1000);  // 250 km/h across

  // Jump to km 30: four kilometres around it; a small red stretch over the blue track.
  ASSERT_TRUE(command(*p, "goto 30"));
  EXPECT_NE(p->out().find("showing 28000 to 32000 m"), std::string::npos) << p->out();
  const Screen km30 = screen(xid);
  const int red_30 = km30.count(red_window, 0, piano_y0, piano_x1, piano_y1);
  EXPECT_GT(red_30, 20);
  EXPECT_LT(red_30 * 5, all_red);
  EXPECT_GT(km30.count(track, 0, piano_y0, piano_x1, piano_y1), 300);

  // A click on the signal's cell names the entry that put it there.
  ASSERT_TRUE(command(*p, "select 71"));
  EXPECT_NE(p->out().find("info signal at 3500 m"), std::string::npos) << p->out();
  EXPECT_NE(p->out().find("info   from " + treno_txt +
                          ":17: segnale, 3500, 2, 4, 1, 1, 0, 2, 2, 1, 1, 0"),
            std::string::npos)
      << p->out();

  // A save with a fault: reloaded within a second, the zoom kept, the fault listed.
  std::string t = read_bytes(dir / treno_txt);
  const std::string without_fault = t;
  replace(t, "segnale,    7500,", "segnale,    3500,");
  const auto before = std::chrono::steady_clock::now();
  write(dir / treno_txt, t);
  ASSERT_TRUE(p->wait_out("reloaded 1 fault; faults 1; showing 28000 to 32000 m\n", 1,
                          std::chrono::milliseconds(3000)))
      << p->out();
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - before);
  EXPECT_LT(ms.count(), 1000) << "reload took " << ms.count() << " ms";

  // The fault's line in the pane goes to its position, marked on the profile.
  ASSERT_TRUE(command(*p, "fault 1"));
  EXPECT_NE(p->out().find("showing 1500 to 5500 m"), std::string::npos) << p->out();
  const Screen fault_screen = screen(xid);
  EXPECT_GT(fault_screen.count(fault, 50, profile_y0, 1200, profile_y1), 50);
  EXPECT_EQ(km30.count(fault, 50, profile_y0, 1200, profile_y1), 0);

  // A save with a warning and no fault: drawn as before, the warning listed
  // with its line; a click on it goes to its entry's position, marked in
  // the warnings' colour.
  std::string w = without_fault;
  const size_t after = w.find('\n', w.find("[rallentamenti]")) + 1;
  const int riga =
      static_cast<int>(std::count(w.begin(), w.begin() + static_cast<long>(after), '\n')) + 1;
  w.insert(after, "velocita,   1500,   250,   20\r\n");
  write(dir / treno_txt, w);
  ASSERT_TRUE(p->wait_out("reloaded compiled without fault, 1 warning; faults 0;", 1,
                          std::chrono::milliseconds(3000)))
      << p->out();
  EXPECT_NE(p->out().find("pane " + treno_txt + ":" + std::to_string(riga) +
                          ":28: warning: value \"20\" is left over"),
            std::string::npos)
      << p->out();
  ASSERT_TRUE(command(*p, "fault 1"));
  EXPECT_NE(p->out().find("showing 0 to 4000 m"), std::string::npos) << p->out();
  const Screen warned = screen(xid);
  EXPECT_GT(warned.count(avviso, 50, profile_y0, 1200, profile_y1), 50);
  EXPECT_EQ(warned.count(fault, 50, profile_y0, 1200, profile_y1), 0);
  EXPECT_GT(warned.count(track, 60, profile_y0, 1190, profile_y1),
            300);  // the speed line drawn

  // Nothing compiled was written.
  EXPECT_FALSE(fs::exists(dir / dat));
  ASSERT_TRUE(command(*p, "quit"));
  EXPECT_EQ(p->end(), 0);
}

TEST_F(View, ShowsACompiledDirectoryAndCompilesOnlyWhenAsked) {
  SERVE_DISPLAY();
  {
    auto p = launch({linea_txt, treno_txt});
    ASSERT_TRUE(p->wait_out("window 0x")) << p->err();
    ASSERT_TRUE(command(*p, "compile"));
    EXPECT_NE(p->out().find("compile wrote " + linea_dat + " " + sim + " " + dat),
              std::string::npos)
        << p->out();
    ASSERT_TRUE(command(*p, "quit"));
    EXPECT_EQ(p->end(), 0);
  }
  fs::create_directory(dir / "bin");
  for (const std::string& f : {linea_dat, sim, dat}) fs::rename(dir / f, dir / ("bin/" + f));
  auto p = launch({"bin"});
  ASSERT_TRUE(p->wait_out("window 0x")) << p->err();
  EXPECT_NE(p->out().find("loaded compiled files, read as they are; faults 0"), std::string::npos)
      << p->out();
  ASSERT_TRUE(command(*p, "select 1232"));
  EXPECT_NE(p->out().find("(GALLERIA   )(B. RINZELLI)"), std::string::npos) << p->out();
  ASSERT_TRUE(command(*p, "quit"));
  EXPECT_EQ(p->end(), 0);
}

// "Compile files" into a folder another run is writing into: the status
// says so at once, the window goes on answering, pressing the button again
// ends the wait with nothing written, and once the folder is free it writes.
TEST_F(View, CompileFilesWaitsForAFolderWithoutFreezing) {
  SERVE_DISPLAY();
  auto p = launch({linea_txt, treno_txt});
  ASSERT_TRUE(p->wait_out("window 0x")) << p->err();
  {
    const HeldLock lock(dir.path());
    ASSERT_TRUE(p->write("compile\n"));
    ASSERT_TRUE(p->wait_out("compile waiting for another run writing into \"")) << p->out();
    EXPECT_NE(p->out().find("(process " + std::to_string(::getpid()) + ")"), std::string::npos)
        << p->out();
    ASSERT_TRUE(command(*p, "select 10")) << p->out();  // the window answers while it waits
    ASSERT_TRUE(command(*p, "compile"));                // the button again: the wait ends
    ASSERT_TRUE(p->wait_out("compile stopped while waiting to write into")) << p->out();
    EXPECT_NE(p->out().find("nothing written"), std::string::npos) << p->out();
    for (const std::string& f : {linea_dat, sim, dat}) EXPECT_FALSE(fs::exists(dir / f)) << f;
  }
  ASSERT_TRUE(command(*p, "compile"));
  EXPECT_NE(p->out().find("compile wrote " + linea_dat + " " + sim + " " + dat), std::string::npos)
      << p->out();
  ASSERT_TRUE(command(*p, "quit"));
  EXPECT_EQ(p->end(), 0);
}

// What takes a description's place, or its folder's, while the view shows
// it: a file that is not a regular one is refused in the pane and the
// status, the last good scenario stays and the window still answers; a
// folder replaced by a copy is watched again.
TEST_F(View, OddFilesAndAReplacedFolderOnReload) {
  SERVE_DISPLAY();
  const std::string treno = "s/" + treno_txt;
  const std::string refused =
      "not reloaded: \"" + treno + "\" is not a regular file; showing the last good state";
  const struct {
    const char* what;
    void (*change)(const std::string& s);
    std::string reloaded;  // the report of the reload the change starts
  } cases[] = {
      {"a link to /dev/zero",
       [](const std::string& s) {
         fs::create_symlink("/dev/zero", s + "/link");
         fs::rename(s + "/link", s + "/" + treno_txt);
       },
       "reloaded " + refused + "; faults 0;"},
      {"a FIFO",
       [](const std::string& s) {
         ASSERT_EQ(::mkfifo((s + "/fifo").c_str(), 0644), 0);
         fs::rename(s + "/fifo", s + "/" + treno_txt);
       },
       "reloaded " + refused + "; faults 0;"},
      {"the folder replaced by a copy",
       [](const std::string& s) {
         fs::rename(s, s + ".old");
         fs::copy(s + ".old", s);
       },
       "reloaded compiled without fault; faults 0;"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fs::remove_all(dir / "s");
    fs::remove_all(dir / "s.old");
    fs::create_directory(dir / "s");
    for (const std::string& f : {linea_txt, treno_txt}) fs::copy_file(dir / f, dir / ("s/" + f));
    auto p = launch({"s/" + linea_txt, treno});
    ASSERT_TRUE(p->wait_out("window 0x")) << p->out() << p->err();

    c.change(dir / "s");
    ASSERT_TRUE(p->wait_out(c.reloaded, 1, std::chrono::milliseconds(5000))) << p->out();
    if (c.reloaded.find("not reloaded") != std::string::npos) {
      EXPECT_NE(p->out().find("pane " + refused + "\n"), std::string::npos) << p->out();
    }
    // The scenario shown is still there, and the window answers.
    ASSERT_TRUE(command(*p, "select 71"));
    EXPECT_NE(p->out().find("info signal at 3500 m"), std::string::npos) << p->out();

    // A save in the folder now at that name is heard.
    std::string t = read_bytes(dir / treno_txt);
    replace(t, "segnale,    7500,", "segnale,    3500,");
    fs::remove(dir / treno);
    write(dir / treno, t);
    ASSERT_TRUE(p->wait_out("reloaded 1 fault; faults 1;", 1, std::chrono::milliseconds(5000)))
        << p->out();
    ASSERT_TRUE(command(*p, "quit"));
    EXPECT_EQ(p->end(), 0);
  }
}

}  // namespace
