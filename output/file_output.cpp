#include "output/file_output.h"

#include <cstdint>

#include "platform/replace_file.h"

namespace sc {

std::string temp_prefix(const std::string& target) {
  uint64_t h = 0xcbf29ce484222325ull;  // FNV-1a
  for (unsigned char c : target) h = (h ^ c) * 0x100000001b3ull;
  static const char esa[] = "0123456789abcdef";
  std::string s = ".scenario-compiler-";
  for (int i = 60; i >= 0; i -= 4) s += esa[(h >> i) & 0xf];
  return s + "-";
}

std::optional<std::string> unfinished_set_in(const std::string& dir) {
  if (!platform::unfinished_set(dir, set_record_name)) return std::nullopt;
  return "an interrupted run left \"" + dir +
         "\" with a set of files half replaced; run the command that wrote them again (any "
         "command that writes into that directory completes the set first)";
}

std::optional<std::string> DirLock::failure() const {
  const platform::FolderLock::Outcome o = lock_.outcome();
  if (o == platform::FolderLock::Outcome::gave_up || o == platform::FolderLock::Outcome::stopped)
    return platform::lock_failure(o, dir_);
  return std::nullopt;
}

int write_pieces(int fd, const std::vector<std::string_view>& pieces) {
  return platform::write_pieces(fd, pieces);
}

std::optional<std::string> replace_file(const std::string& path, const std::string& bytes,
                                        WriteMode modo) {
  return replace_files({{path, {bytes}}}, modo);
}

std::optional<std::string> replace_file(const std::string& path,
                                        const std::vector<std::string_view>& pieces,
                                        WriteMode modo) {
  return replace_files({{path, pieces}}, modo);
}

std::optional<std::string> replace_files(const std::vector<FileToWrite>& files, WriteMode modo) {
  std::vector<platform::FileToReplace> v;
  v.reserve(files.size());
  for (const FileToWrite& f : files) {
    v.push_back({f.path, f.write ? f.write : [&f](int fd) { return write_pieces(fd, f.pieces); }});
  }
  return platform::replace_files(v, modo.sync, {temp_prefix, temp_name_length, set_record_name});
}

}  // namespace sc
