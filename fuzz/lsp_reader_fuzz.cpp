// libFuzzer target. The language server's message reader: the input fed in
// pieces whose sizes its first byte chooses must give the same bodies and
// errors as the input fed whole, no body longer than the bound, and never
// more bytes held than one header and one body.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "lsp/message_reader.h"

namespace {

constexpr size_t max_body = 4096;

std::vector<sc::lsp::ReadEvent> read(std::string_view in, size_t piece, size_t& most_held) {
  sc::lsp::MessageReader r(max_body);
  std::vector<sc::lsp::ReadEvent> events;
  for (size_t i = 0; i < in.size(); i += piece) {
    r.feed(in.substr(i, piece));
    most_held = std::max(most_held, r.held());
    sc::lsp::ReadEvent e;
    while (r.next(e)) events.push_back(std::move(e));
  }
  return events;
}

void fail(const char* what) {
  std::fprintf(stderr, "property violated: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t piece = 1 + data[0] % 17;
  const std::string_view in(reinterpret_cast<const char*>(data) + 1, size - 1);
  size_t held_whole = 0, held_pieces = 0;
  const auto whole = read(in, in.size() + 1, held_whole);
  const auto pieces = read(in, piece, held_pieces);
  if (whole.size() != pieces.size()) fail("a different number of events in pieces");
  for (size_t i = 0; i < whole.size(); ++i) {
    if (whole[i].kind != pieces[i].kind || whole[i].text != pieces[i].text)
      fail("a different event in pieces");
    if (whole[i].kind == sc::lsp::ReadEvent::Kind::message && whole[i].text.size() > max_body)
      fail("a body beyond the bound");
  }
  const size_t bound = sc::lsp::MessageReader::max_header + max_body + 1;
  if (held_whole > bound || held_pieces > bound) fail("more bytes held than the bound");
  return 0;
}
