#include "output/compiled_read.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "format/compiled_decode.h"
#include "platform/read_file.h"

namespace sc {

namespace {

// The error of a failed reading or opening: a runtime_error naming the
// file, or the DecodeError of a file too large for its kind.
[[noreturn]] void fail(const std::filesystem::path& percorso, CompiledKind tipo,
                       platform::FileRead::Failure failure, int error, size_t size) {
  const size_t limit = max_bytes(tipo);
  const auto cannot = [&](const std::string& what) {
    return std::runtime_error("cannot " + what + " " + percorso.string() + ": " +
                              std::strerror(error));
  };
  switch (failure) {
    case platform::FileRead::Failure::none: break;
    case platform::FileRead::Failure::open: throw cannot("open");
    case platform::FileRead::Failure::size: throw cannot("read the size of");
    case platform::FileRead::Failure::read: throw cannot("read");
    case platform::FileRead::Failure::not_regular:
      throw std::runtime_error(percorso.string() + " is not a regular file");
    case platform::FileRead::Failure::too_large: break;
  }
  throw DecodeError(0, std::string(compiled_file_name(tipo)) + ": file size " +
                           std::to_string(size) + " is above the " + std::to_string(limit) +
                           " bytes that the largest " + compiled_file_name(tipo) +
                           " file can have");
}

}  // namespace

std::string read_compiled_file(const std::filesystem::path& percorso, CompiledKind tipo) {
  platform::FileRead r = platform::read_regular_file(percorso.string(), max_bytes(tipo));
  if (r.failure == platform::FileRead::Failure::none) return std::move(r.bytes);
  fail(percorso, tipo, r.failure, r.error, r.size);
}

OpenCompiled open_compiled_file(const std::filesystem::path& percorso, CompiledKind tipo) {
  platform::OpenedFile r = platform::open_regular_file(percorso.string(), max_bytes(tipo));
  if (r.failure != platform::FileRead::Failure::none)
    fail(percorso, tipo, r.failure, r.error, r.size);
  return OpenCompiled{std::move(r.file), r.size};
}

ReadAt OpenCompiled::reader(const std::filesystem::path& percorso) const {
  return [this, name = percorso.string()](size_t offset, char* out, size_t n) -> size_t {
    const long got = file.read_at(offset, out, n);
    if (got < 0) throw std::runtime_error("cannot read " + name + ": " + std::strerror(errno));
    return static_cast<size_t>(got);
  };
}

}  // namespace sc
