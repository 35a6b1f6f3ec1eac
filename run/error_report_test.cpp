#include "run/error_report.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <sstream>
#include <vector>

#include "run/status_log_test_support.h"
#include "tests/support/test_dir.h"

namespace sc {
namespace {

using test::Log;

TEST(Error, MessageBeginsWithABlankAndTheRunEndsWithStatus3) {
  for (const std::string a : {"1250", "1251"}) {
    Log ui;
    EXPECT_EQ(errore(a, ui), 3);
    EXPECT_EQ(ui.messages, std::vector<std::string>{" Errore n. " + a});
    EXPECT_TRUE(ui.statuses.empty());
  }
}

TEST(Error, HeadlessReportIsOneLineOnTheStream) {
  std::ostringstream err;
  HeadlessStatus ui(err);
  EXPECT_EQ(errore("1251", ui), 3);
  EXPECT_EQ(err.str(), " Errore n. 1251\n");
}

// Sets DISPLAY for one scope and puts the old value back.
class DisplayEnv {
 public:
  explicit DisplayEnv(const char* valore) {
    if (const char* d = ::getenv("DISPLAY")) old_ = d, had_ = true;
    valore ? ::setenv("DISPLAY", valore, 1) : ::unsetenv("DISPLAY");
  }
  ~DisplayEnv() { had_ ? ::setenv("DISPLAY", old_.c_str(), 1) : ::unsetenv("DISPLAY"); }

 private:
  std::string old_;
  bool had_ = false;
};

TEST(StatusWindowHeadless, WithoutADisplayAttendereGoesToStandardError) {
  // No DISPLAY at all, and one naming a server that is not there.
  for (const char* valore : {static_cast<const char*>(nullptr), ":731"}) {
    DisplayEnv d(valore);
    auto ui = open_status_window();
    ASSERT_NE(dynamic_cast<HeadlessStatus*>(ui.get()), nullptr) << (valore ? valore : "unset");
    testing::internal::CaptureStderr();
    ui->show(expected_label);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Attendere\n");
  }
}

}  // namespace
}  // namespace sc
