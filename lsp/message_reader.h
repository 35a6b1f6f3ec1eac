// The reader of the language server's messages: JSON-RPC bodies framed by
// a "Content-Length: N" header and a blank line, as the editor writes them
// on standard input. Bytes are fed as they arrive, in pieces of any size;
// the reader hands back each complete body, or the reason a header could
// not be used. It never holds more than one body of at most `max_body`
// bytes and one header of at most `max_header` bytes: a header announcing
// a larger body is refused and that body skipped as it arrives, a header
// that is never finished or names no length is dropped, and the reading
// goes on at the next header.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace sc::lsp {

struct ReadEvent {
  enum class Kind { message, error };
  Kind kind = Kind::message;
  std::string text;  // the body, or what was wrong (for the log)
};

class MessageReader {
 public:
  static constexpr size_t default_max_body = 64u << 20;  // 64 MiB
  static constexpr size_t max_header = 8192;

  explicit MessageReader(size_t max_body = default_max_body) : max_body_(max_body) {}

  void feed(std::string_view bytes);
  // The next complete body or error, in the order read; false when none.
  bool next(ReadEvent& out);
  // Bytes held beyond the events ready (for the bound's test).
  size_t held() const { return buffer_.size(); }

 private:
  void parse();
  void error(std::string text) { ready_.push_back({ReadEvent::Kind::error, std::move(text)}); }

  size_t max_body_;
  std::string buffer_;
  size_t body_length_ = 0;  // of the body being read, once its header is read
  bool in_body_ = false;
  size_t skipping_ = 0;              // bytes of a refused body still to drop
  bool skip_to_header_end_ = false;  // an overlong header: drop up to its blank line
  std::deque<ReadEvent> ready_;
};

}  // namespace sc::lsp
