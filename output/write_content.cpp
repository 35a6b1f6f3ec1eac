#include "output/write_content.h"

#include <cerrno>
#include <string_view>
#include <utility>

#include "platform/replace_file.h"

namespace sc {
int write_content(int fd, const FileContent& content) {
  int err = 0;
  const bool ok = content.write([fd, &err](uint64_t offset, std::string_view piece) {
    err = platform::write_at(fd, offset, piece);
    return err == 0;
  });
  return ok ? 0 : err != 0 ? err : EIO;
}

FileToWrite to_write(std::string path, const FileContent& content) {
  FileToWrite f{std::move(path), {}, nullptr};
  if (content.produced()) {
    f.write = [&content](int fd) { return write_content(fd, content); };
  } else if (content.size() > 0) {
    f.pieces = {std::string_view(content)};
  }
  return f;
}

}  // namespace sc
