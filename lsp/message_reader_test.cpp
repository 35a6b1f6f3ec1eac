#include "lsp/message_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace sc::lsp {
namespace {

// "m:BODY" for a body, "e:TEXT" for an error.
std::vector<std::string> events(MessageReader& r) {
  std::vector<std::string> out;
  ReadEvent e;
  while (r.next(e)) out.push_back((e.kind == ReadEvent::Kind::message ? "m:" : "e:") + e.text);
  return out;
}

std::vector<std::string> read(const std::string& in, size_t piece, size_t max_body = 64) {
  MessageReader r(max_body);
  std::vector<std::string> out;
  for (size_t i = 0; i < in.size(); i += piece) {
    r.feed(std::string_view(in).substr(i, piece));
    for (std::string& e : events(r)) out.push_back(std::move(e));
  }
  return out;
}

std::string framed(const std::string& body) {
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

TEST(MessageReader, FramesAndResynchronises) {
  const std::string too_long_header = "X-Pad: " + std::string(MessageReader::max_header, 'a');
  struct Case {
    const char* name;
    std::string in;
    std::vector<std::string> expected;
  } cases[] = {
      {"two bodies back to back", framed("{\"a\":1}") + framed("[]"), {"m:{\"a\":1}", "m:[]"}},
      {"header names in any case, other headers ignored",
       "content-length:  2\r\nContent-Type: application/vscode-jsonrpc; charset=utf-8\r\n\r\n{}",
       {"m:{}"}},
      {"an empty body", framed("") + framed("1"), {"m:", "m:1"}},
      {"a body beyond the bound is skipped, the next one read",
       framed(std::string(65, 'x')) + framed("{}"),
       {"e:a message of 65 bytes refused (at most 64): skipped", "m:{}"}},
      {"no Content-Length",
       "Content-Type: x\r\n\r\n" + framed("{}"),
       {"e:a message header without Content-Length: dropped", "m:{}"}},
      {"a length that is no number",
       "Content-Length: 1e3\r\n\r\n" + framed("{}"),
       {"e:a message header whose Content-Length is not a whole number: dropped", "m:{}"}},
      {"a negative length",
       "Content-Length: -5\r\n\r\n" + framed("7"),
       {"e:a message header whose Content-Length is not a whole number: dropped", "m:7"}},
      {"a length past 64 bits",
       "Content-Length: 99999999999999999999999\r\n\r\n" + framed("7"),
       {"e:a message header whose Content-Length is not a whole number: dropped", "m:7"}},
      {"an overlong header is dropped up to its blank line",
       too_long_header + "\r\n\r\n" + framed("{}"),
       {"e:a message header longer than 8192 bytes: dropped up to the next blank line", "m:{}"}},
      {"a body left unfinished is not handed out",
       framed("{}") + "Content-Length: 10\r\n\r\n{",
       {"m:{}"}},
  };
  for (const Case& c : cases) {
    for (const size_t piece : {c.in.size() + 1, size_t{1}, size_t{7}}) {
      EXPECT_EQ(read(c.in, piece), c.expected) << c.name << ", fed in pieces of " << piece;
    }
  }
}

// A header announcing more than the bound is refused at once, and the body
// it announced is dropped as it arrives, never held.
TEST(MessageReader, NeverHoldsARefusedBody) {
  MessageReader r;  // 64 MiB
  r.feed("Content-Length: " + std::to_string(MessageReader::default_max_body + 1) + "\r\n\r\n");
  EXPECT_EQ(events(r), std::vector<std::string>{"e:a message of 67108865 bytes refused (at most "
                                                "67108864): skipped"});
  const std::string mib(1 << 20, 'x');
  for (int i = 0; i < 64; ++i) {
    r.feed(mib);
    ASSERT_LE(r.held(), MessageReader::max_header + 1);
  }
  r.feed("x" + framed("{}"));
  EXPECT_EQ(events(r), std::vector<std::string>{"m:{}"});
}

}  // namespace
}  // namespace sc::lsp
