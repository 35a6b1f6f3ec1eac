#include "lsp/message_reader.h"

#include <algorithm>
#include <cctype>

namespace sc::lsp {
namespace {

constexpr std::string_view header_end = "\r\n\r\n";

std::string lower(std::string_view s) {
  std::string r(s);
  for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return r;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// The length a header gives, or why there is none: -1 no Content-Length,
// -2 a value that is not a whole number, -3 more than `limit`.
long long content_length(std::string_view header, size_t limit, size_t& length) {
  long long found = -1;
  while (!header.empty()) {
    const size_t end = header.find("\r\n");
    const std::string_view line = header.substr(0, end);
    header = end == std::string_view::npos ? std::string_view() : header.substr(end + 2);
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    if (lower(trim(line.substr(0, colon))) != "content-length") continue;
    const std::string_view v = trim(line.substr(colon + 1));
    if (v.empty() || v.size() > 19 ||
        !std::all_of(v.begin(), v.end(), [](char c) { return c >= '0' && c <= '9'; }))
      return -2;
    unsigned long long n = 0;
    for (const char c : v) n = n * 10 + static_cast<unsigned>(c - '0');
    if (n > limit) {
      length = n > static_cast<unsigned long long>(SIZE_MAX) ? SIZE_MAX : static_cast<size_t>(n);
      return -3;
    }
    length = static_cast<size_t>(n);
    found = 0;
  }
  return found;
}

}  // namespace

void MessageReader::feed(std::string_view bytes) {
  while (!bytes.empty()) {
    if (skipping_ > 0) {
      const size_t n = std::min(skipping_, bytes.size());
      skipping_ -= n;
      bytes.remove_prefix(n);
      continue;
    }
    // Take in no more than one body or header's worth at a time, so that
    // what is held stays bounded however much arrives at once.
    const size_t room = in_body_ ? body_length_ - buffer_.size() : max_header + 1;
    const size_t n = std::min(bytes.size(), std::max<size_t>(room, 1));
    buffer_.append(bytes.substr(0, n));
    bytes.remove_prefix(n);
    parse();
  }
}

void MessageReader::parse() {
  for (;;) {
    if (in_body_) {
      if (buffer_.size() < body_length_) return;
      ready_.push_back({ReadEvent::Kind::message, buffer_.substr(0, body_length_)});
      buffer_.erase(0, body_length_);
      in_body_ = false;
      continue;
    }
    const size_t end = buffer_.find(header_end);
    if (!skip_to_header_end_ && end != std::string::npos && end + header_end.size() > max_header) {
      // A header of more than max_header bytes, blank line included.
      error("a message header longer than " + std::to_string(max_header) +
            " bytes: dropped up to the next blank line");
      buffer_.erase(0, end + header_end.size());
      continue;
    }
    if (end == std::string::npos) {
      if (buffer_.size() > max_header) {
        if (!skip_to_header_end_)
          error("a message header longer than " + std::to_string(max_header) +
                " bytes: dropped up to the next blank line");
        skip_to_header_end_ = true;
        buffer_.erase(0, buffer_.size() - (header_end.size() - 1));
      }
      return;
    }
    if (skip_to_header_end_) {
      // The blank line that ends an overlong header: what follows is read
      // as a new header.
      skip_to_header_end_ = false;
      buffer_.erase(0, end + header_end.size());
      continue;
    }
    size_t length = 0;
    const long long r = content_length(std::string_view(buffer_).substr(0, end), max_body_, length);
    buffer_.erase(0, end + header_end.size());
    if (r == -1) {
      error("a message header without Content-Length: dropped");
    } else if (r == -2) {
      error("a message header whose Content-Length is not a whole number: dropped");
    } else if (r == -3) {
      error("a message of " + std::to_string(length) + " bytes refused (at most " +
            std::to_string(max_body_) + "): skipped");
      const size_t now = std::min(length, buffer_.size());
      buffer_.erase(0, now);
      skipping_ = length - now;
      if (skipping_ > 0) return;
    } else {
      body_length_ = length;
      in_body_ = true;
    }
  }
}

bool MessageReader::next(ReadEvent& out) {
  if (ready_.empty()) return false;
  out = std::move(ready_.front());
  ready_.pop_front();
  return true;
}

}  // namespace sc::lsp
