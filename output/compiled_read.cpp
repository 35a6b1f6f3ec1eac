#include "output/compiled_read.h"

#include <cstring>
#include <stdexcept>

#include "format/compiled_decode.h"
#include "platform/read_file.h"

namespace sc {

std::string read_compiled_file(const std::filesystem::path& percorso, CompiledKind tipo) {
  const size_t limit = max_bytes(tipo);
  platform::FileRead r = platform::read_regular_file(percorso.string(), limit);
  const auto cannot = [&](const std::string& what) {
    return std::runtime_error("cannot " + what + " " + percorso.string() + ": " +
                              std::strerror(r.error));
  };
  switch (r.failure) {
    case platform::FileRead::Failure::none: return std::move(r.bytes);
    case platform::FileRead::Failure::open: throw cannot("open");
    case platform::FileRead::Failure::size: throw cannot("read the size of");
    case platform::FileRead::Failure::read: throw cannot("read");
    case platform::FileRead::Failure::not_regular:
      throw std::runtime_error(percorso.string() + " is not a regular file");
    case platform::FileRead::Failure::too_large: break;
  }
  throw DecodeError(0, std::string(compiled_file_name(tipo)) + ": file size " +
                           std::to_string(r.size) + " is above the " + std::to_string(limit) +
                           " bytes that the largest " + compiled_file_name(tipo) +
                           " file can have");
}

}  // namespace sc
