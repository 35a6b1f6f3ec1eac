// A directory locked as another run writing into it holds it, while the
// object lives.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

namespace sc::test {

class HeldLock {
 public:
  explicit HeldLock(const std::string& dir) : fd_(::open(dir.c_str(), O_RDONLY | O_DIRECTORY)) {
    EXPECT_EQ(::flock(fd_, LOCK_EX), 0);
  }
  ~HeldLock() { ::close(fd_); }
  HeldLock(const HeldLock&) = delete;
  HeldLock& operator=(const HeldLock&) = delete;

 private:
  int fd_;
};

}  // namespace sc::test
