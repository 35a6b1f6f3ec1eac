// The language server of the two descriptions: the protocol's lifecycle,
// the editor's documents, and the diagnostics of the compile, published
// for both files of a scenario whenever either changes. Messages come in
// as bodies and go out through `send`; the program around it
// (lsp/main.cpp) frames them on standard input and output and decides
// when the pending compile runs (after a short quiet spell: see
// compile_pending).
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "lsp/assist.h"
#include "lsp/scenario.h"
#include "lsp/text.h"

namespace sc::lsp {

using json = nlohmann::json;

// JSON-RPC and protocol error codes.
namespace rpc_error {
inline constexpr int parse_error = -32700;
inline constexpr int invalid_request = -32600;
inline constexpr int method_not_found = -32601;
inline constexpr int invalid_params = -32602;
inline constexpr int internal_error = -32603;
inline constexpr int server_not_initialized = -32002;
inline constexpr int request_cancelled = -32800;
}  // namespace rpc_error

// A file: URI as a path ("%20" decoded), or nothing for another scheme.
std::optional<std::string> path_of_uri(std::string_view uri);
// The file: URI of an absolute path.
std::string uri_of_path(std::string_view path);

class Server {
 public:
  using Send = std::function<void(const json&)>;
  // `format_doc`: the path of docs/format.md where codes link to its
  // sections, or empty for no links.
  explicit Server(Send send, std::string format_doc = "");

  // Messages read together, in order: a cancellation among them applies
  // to a request before it that is still unanswered.
  void handle(const std::vector<std::string>& bodies);
  void handle(const std::string& body) { handle(std::vector<std::string>{body}); }
  // A problem of the transport (an unusable header), for the log.
  void transport_error(const std::string& what);

  // Whether a change waits to be compiled, and the compile of every
  // scenario a change touched since the last, publishing their diagnostics
  // (each with the version it was compiled from).
  bool compile_waiting() const { return !changed_.empty(); }
  void compile_pending();

  bool exited() const { return exited_; }
  // The exit status the protocol gives: 0 after shutdown, 1 without.
  int exit_status() const { return shut_down_ ? 0 : 1; }

 private:
  struct Document {
    std::string text;  // UTF-8, as the editor holds it
    long long version = 0;
    DiskEncoding encoding = DiskEncoding::utf8;  // of the file on disk
  };

  void dispatch(const json& m, const std::set<std::string>& cancelled);
  void request(const std::string& method, const json& id, const json& params);
  void notification(const std::string& method, const json& params);
  json initialize(const json& params);
  void reply(const json& id, json result);
  void reply_error(const json& id, int code, const std::string& message);
  void log(int type, const std::string& message);

  // The descriptions as the compile reads them: the editor's buffers,
  // else the files.
  ReadSource reader() const;
  json complete(const json& params) const;
  json hover_at(const json& params);
  // The outline of an open document (null for one not open).
  json symbols(const json& params) const;

  void open(const json& params);
  void change(const json& params);
  void close(const json& params);

  Send send_;
  std::string format_doc_;
  PositionEncoding encoding_ = PositionEncoding::utf16;
  bool initialized_ = false;
  bool shut_down_ = false;
  bool exited_ = false;
  std::map<std::string, Document> documents_;  // by path
  std::set<std::string> changed_;              // paths changed since the last compile
  std::set<std::string> told_line_;            // lines whose several trains the log named
  KeyDocs docs_;
  // What the compile put behind the cells, by file, until the next change.
  std::map<std::string, std::optional<CellOrigins>> origins_;
};

}  // namespace sc::lsp
