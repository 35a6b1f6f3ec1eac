#include "run/errore.h"

#include <gtest/gtest.h>

#include <stdlib.h>

#include <sstream>
#include <vector>

#include "run/registro_test_support.h"
#include "tests/support/test_dir.h"

namespace sc {
namespace {

using test::Registro;

TEST(Errore, MessageBeginsWithABlankAndTheRunEndsWithStatus3) {
  for (const std::string a : {"1250", "1251"}) {
    Registro ui;
    EXPECT_EQ(errore(a, ui), 3);
    EXPECT_EQ(ui.messaggi, std::vector<std::string>{" Errore n. " + a});
    EXPECT_TRUE(ui.stati.empty());
  }
}

TEST(Errore, HeadlessReportIsOneLineOnTheStream) {
  std::ostringstream err;
  HeadlessStatus ui(err);
  EXPECT_EQ(errore("1251", ui), 3);
  EXPECT_EQ(err.str(), " Errore n. 1251\n");
}

// Sets DISPLAY for one scope and puts the old value back.
class DisplayEnv {
 public:
  explicit DisplayEnv(const char* valore) {
    if (const char* d = ::getenv("DISPLAY")) vecchio_ = d, aveva_ = true;
    valore ? ::setenv("DISPLAY", valore, 1) : ::unsetenv("DISPLAY");
  }
  ~DisplayEnv() { aveva_ ? ::setenv("DISPLAY", vecchio_.c_str(), 1) : ::unsetenv("DISPLAY"); }

 private:
  std::string vecchio_;
  bool aveva_ = false;
};

TEST(StatusWindowHeadless, WithoutADisplayAttendereGoesToStandardError) {
  // No DISPLAY at all, and one naming a server that is not there.
  for (const char* valore : {static_cast<const char*>(nullptr), ":731"}) {
    DisplayEnv d(valore);
    auto ui = apri_status_window();
    ASSERT_NE(dynamic_cast<HeadlessStatus*>(ui.get()), nullptr) << (valore ? valore : "unset");
    testing::internal::CaptureStderr();
    ui->mostra(etichetta_attesa);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Attendere\n");
  }
}

}  // namespace
}  // namespace sc
