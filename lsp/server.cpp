#include "lsp/server.h"

#include <cstdio>
#include <filesystem>
#include <utility>

#include "cli/compile_descriptions.h"
#include "cli/identity.h"
#include "cli/shared_inputs.h"
#include "lsp/outline.h"
#include "lsp/scenario.h"
#include "output/exit_statuses.h"

namespace sc::lsp {
namespace {

bool unreserved(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.' || c == '_' || c == '~' || c == '/';
}

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The id of a message as a key of the cancelled set.
std::string id_key(const json& id) { return id.dump(); }

constexpr int log_error = 1, log_warning = 2, log_info = 3;

}  // namespace

std::optional<std::string> path_of_uri(std::string_view uri) {
  constexpr std::string_view scheme = "file://";
  if (uri.size() < scheme.size()) return std::nullopt;
  for (size_t i = 0; i < scheme.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(uri[i])) != scheme[i]) return std::nullopt;
  }
  uri.remove_prefix(scheme.size());
  const size_t slash = uri.find('/');  // after the authority, "" or "localhost"
  if (slash == std::string_view::npos) return std::nullopt;
  uri.remove_prefix(slash);
  std::string path;
  for (size_t i = 0; i < uri.size(); ++i) {
    if (uri[i] == '%' && i + 2 < uri.size() + 0 && hex_digit(uri[i + 1]) >= 0 &&
        hex_digit(uri[i + 2]) >= 0) {
      path += static_cast<char>(hex_digit(uri[i + 1]) * 16 + hex_digit(uri[i + 2]));
      i += 2;
    } else {
      path += uri[i];
    }
  }
  if (path.find('\0') != std::string::npos) return std::nullopt;
  return std::filesystem::path(path).lexically_normal().string();
}

std::string uri_of_path(std::string_view path) {
  std::string s = "file://";
  for (const char ch : path) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (unreserved(c)) {
      s += ch;
    } else {
      char b[4];
      std::snprintf(b, sizeof b, "%%%02X", c);
      s += b;
    }
  }
  return s;
}

Server::Server(Send send, std::string format_doc)
    : send_(std::move(send)), format_doc_(std::move(format_doc)) {
  if (!format_doc_.empty()) {
    const DescriptionText t = read_description(format_doc_);
    docs_ = KeyDocs(t.bytes.value_or(""));
  }
}

void Server::reply(const json& id, json result) {
  send_({{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}});
}

void Server::reply_error(const json& id, int code, const std::string& message) {
  send_({{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}});
}

void Server::log(int type, const std::string& message) {
  send_({{"jsonrpc", "2.0"},
         {"method", "window/logMessage"},
         {"params", {{"type", type}, {"message", message}}}});
}

void Server::transport_error(const std::string& what) { log(log_error, what); }

void Server::handle(const std::vector<std::string>& bodies) {
  std::vector<json> messages;
  std::set<std::string> cancelled;
  for (const std::string& body : bodies) {
    json m = json::parse(body, nullptr, false);
    if (m.is_discarded()) {
      reply_error(nullptr, rpc_error::parse_error, "the message is not JSON");
      log(log_error, "a message that is not JSON: answered with a parse error");
      continue;
    }
    if (m.is_object() && m.value("method", "") == "$/cancelRequest" && m.contains("params") &&
        m["params"].is_object() && m["params"].contains("id")) {
      cancelled.insert(id_key(m["params"]["id"]));
    }
    messages.push_back(std::move(m));
  }
  for (const json& m : messages) {
    if (exited_) return;
    dispatch(m, cancelled);
  }
}

void Server::dispatch(const json& m, const std::set<std::string>& cancelled) {
  const bool has_id =
      m.is_object() && m.contains("id") && (m["id"].is_number_integer() || m["id"].is_string());
  const json id = has_id ? m["id"] : json(nullptr);
  if (!m.is_object() || !m.contains("method") || !m["method"].is_string()) {
    // A response from the editor to a request of ours (none is sent) is
    // left alone; anything else is no message of the protocol.
    if (m.is_object() && m.contains("id") && (m.contains("result") || m.contains("error"))) return;
    reply_error(id, rpc_error::invalid_request, "not a request or notification");
    return;
  }
  const std::string method = m["method"].get<std::string>();
  const json params = m.contains("params") ? m["params"] : json::object();
  try {
    if (m.contains("id")) {
      if (!has_id) {
        reply_error(nullptr, rpc_error::invalid_request, "a request id must be a number or a text");
      } else if (cancelled.count(id_key(id))) {
        reply_error(id, rpc_error::request_cancelled, "cancelled");
      } else {
        request(method, id, params);
      }
    } else {
      notification(method, params);
    }
  } catch (const json::exception& e) {
    if (has_id)
      reply_error(id, rpc_error::invalid_params, std::string("invalid params: ") + e.what());
    log(log_error, method + ": invalid params: " + e.what());
  } catch (const std::exception& e) {
    if (has_id) reply_error(id, rpc_error::internal_error, e.what());
    log(log_error, method + ": " + e.what());
  }
}

json Server::initialize(const json& params) {
  encoding_ = PositionEncoding::utf16;
  const json* offered = nullptr;
  if (params.is_object() && params.contains("capabilities")) {
    const json& c = params["capabilities"];
    if (c.is_object() && c.contains("general") && c["general"].is_object() &&
        c["general"].contains("positionEncodings"))
      offered = &c["general"]["positionEncodings"];
  }
  if (offered && offered->is_array()) {
    for (const json& e : *offered) {
      if (e == "utf-8") encoding_ = PositionEncoding::utf8;
    }
  }
  initialized_ = true;
  return {{"capabilities",
           {{"positionEncoding", encoding_ == PositionEncoding::utf8 ? "utf-8" : "utf-16"},
            {"textDocumentSync",
             {{"openClose", true}, {"change", 2}, {"save", {{"includeText", false}}}}},
            {"completionProvider", {{"triggerCharacters", {"["}}}},
            {"hoverProvider", true},
            {"documentSymbolProvider", true}}},
          {"serverInfo",
           {{"name", std::string(program_name) + "-lsp"}, {"version", program_version()}}}};
}

void Server::request(const std::string& method, const json& id, const json& params) {
  if (shut_down_) {
    reply_error(id, rpc_error::invalid_request, "the server was shut down");
    return;
  }
  if (method == "initialize") {
    if (initialized_) {
      reply_error(id, rpc_error::invalid_request, "initialize was already received");
      return;
    }
    reply(id, initialize(params));
    return;
  }
  if (!initialized_) {
    reply_error(id, rpc_error::server_not_initialized, "initialize first");
    return;
  }
  // What the answer reflects is published first.
  if (compile_waiting()) compile_pending();
  if (method == "shutdown") {
    shut_down_ = true;
    reply(id, nullptr);
    return;
  }
  if (method == "textDocument/completion") {
    reply(id, complete(params));
    return;
  }
  if (method == "textDocument/hover") {
    reply(id, hover_at(params));
    return;
  }
  if (method == "textDocument/documentSymbol") {
    reply(id, symbols(params));
    return;
  }
  reply_error(id, rpc_error::method_not_found, "unknown method " + method);
}

namespace {

Position position_of(const json& params) {
  const json& p = params.at("position");
  return {p.at("line").get<size_t>(), p.at("character").get<size_t>()};
}

}  // namespace

json Server::complete(const json& params) const {
  const auto p = path_of_uri(params.at("textDocument").at("uri").get<std::string>());
  const auto d = p ? documents_.find(*p) : documents_.end();
  if (d == documents_.end()) return json::array();
  return completion(d->second.text, position_of(params), encoding_,
                    name_from_linea_file(*p).has_value(), docs_);
}

json Server::symbols(const json& params) const {
  const auto p = path_of_uri(params.at("textDocument").at("uri").get<std::string>());
  const auto d = p ? documents_.find(*p) : documents_.end();
  if (d == documents_.end()) return nullptr;
  return outline(d->second.text, encoding_, name_from_linea_file(*p).has_value());
}

json Server::hover_at(const json& params) {
  const auto p = path_of_uri(params.at("textDocument").at("uri").get<std::string>());
  const auto d = p ? documents_.find(*p) : documents_.end();
  if (d == documents_.end()) return nullptr;
  const HoverTarget t = hover_target(d->second.text, position_of(params), encoding_,
                                     name_from_linea_file(*p).has_value());
  if (t.kind != HoverTarget::position) return hover(t, nullptr, docs_);
  auto o = origins_.find(*p);
  if (o == origins_.end()) {
    std::set<std::string> open;
    for (const auto& [path, doc] : documents_) open.insert(path);
    o = origins_.emplace(*p, scenario_origins(scenario_of(*p, open), *p, reader())).first;
  }
  return hover(t, o->second ? &*o->second : nullptr, docs_);
}

void Server::notification(const std::string& method, const json& params) {
  if (method == "exit") {
    exited_ = true;
    return;
  }
  if (!initialized_ || shut_down_) return;
  if (method == "textDocument/didOpen")
    open(params);
  else if (method == "textDocument/didChange")
    change(params);
  else if (method == "textDocument/didClose")
    close(params);
  else if (method == "textDocument/didSave") {
    if (const auto p = path_of_uri(params.at("textDocument").at("uri").get<std::string>())) {
      if (auto d = documents_.find(*p); d != documents_.end()) {
        d->second.encoding = disk_encoding(read_description(*p).bytes.value_or(""));
      }
      changed_.insert(*p);
    }
  }
  // initialized, $/cancelRequest (taken with the batch), $/setTrace and
  // other notifications need nothing.
}

void Server::open(const json& params) {
  const json& td = params.at("textDocument");
  const auto p = path_of_uri(td.at("uri").get<std::string>());
  if (!p) {
    log(log_info, "not a file: " + td.at("uri").get<std::string>() + "; it is not checked");
    return;
  }
  Document& d = documents_[*p];
  d.text = td.at("text").get<std::string>();
  d.version = td.value("version", 0LL);
  d.encoding = disk_encoding(read_description(*p).bytes.value_or(""));
  changed_.insert(*p);
}

void Server::change(const json& params) {
  const json& td = params.at("textDocument");
  const auto p = path_of_uri(td.at("uri").get<std::string>());
  if (!p) return;
  const auto it = documents_.find(*p);
  if (it == documents_.end()) {
    log(log_warning, "a change to a document that is not open: " + *p);
    return;
  }
  Document& d = it->second;
  for (const json& c : params.at("contentChanges")) {
    const std::string text = c.at("text").get<std::string>();
    if (!c.contains("range")) {
      d.text = text;
      continue;
    }
    const json& r = c.at("range");
    const Position from{r.at("start").at("line").get<size_t>(),
                        r.at("start").at("character").get<size_t>()};
    const Position to{r.at("end").at("line").get<size_t>(),
                      r.at("end").at("character").get<size_t>()};
    replace_range(d.text, from, to, text, encoding_);
  }
  d.version = td.value("version", d.version);
  changed_.insert(*p);
}

void Server::close(const json& params) {
  const auto p = path_of_uri(params.at("textDocument").at("uri").get<std::string>());
  if (!p) return;
  documents_.erase(*p);
  changed_.insert(*p);
}

ReadSource Server::reader() const {
  return [this](const std::string& path) {
    if (const auto d = documents_.find(path); d != documents_.end())
      return SourceBytes{encode(d->second.text, d->second.encoding), d->second.encoding,
                         d->second.text};
    const DescriptionText t = read_description(path);
    const DiskEncoding e = disk_encoding(t.bytes.value_or(""));
    return SourceBytes{t.bytes, e, decode(t.bytes.value_or(""), e)};
  };
}

void Server::compile_pending() {
  std::set<std::string> open;
  for (const auto& [path, d] : documents_) open.insert(path);
  const ReadSource read = reader();
  origins_.clear();
  std::set<std::string> done;
  for (const std::string& path : changed_) {
    if (done.count(path)) continue;
    const ScenarioFiles s = scenario_of(path, open);
    if (!s.described) {
      done.insert(path);
      if (!documents_.count(path)) continue;
      send_({{"jsonrpc", "2.0"},
             {"method", "textDocument/publishDiagnostics"},
             {"params",
              {{"uri", uri_of_path(path)},
               {"version", documents_[path].version},
               {"diagnostics",
                json::array({{{"range",
                               {{"start", {{"line", 0}, {"character", 0}}},
                                {"end", {{"line", 0}, {"character", 0}}}}},
                              {"severity", 3},
                              {"source", "scenario-compiler"},
                              {"message",
                               "not named NAME_linea.txt or NAME_NUMBER-.txt: the other "
                               "description of its scenario cannot be found, so it is not "
                               "checked"}}})}}}});
      continue;
    }
    if (s.line && s.trains.size() > 1 && told_line_.insert(*s.line).second) {
      log(log_info, *s.line + " has " + std::to_string(s.trains.size()) +
                        " train descriptions: each is compiled with it; the line's own "
                        "diagnostics are those of the compile with " +
                        std::filesystem::path(s.trains.front()).filename().string());
    }
    for (auto& [file, diagnostics] : scenario_diagnostics(s, read, encoding_, format_doc_)) {
      done.insert(file);
      json p = {{"uri", uri_of_path(file)}, {"diagnostics", std::move(diagnostics)}};
      if (const auto d = documents_.find(file); d != documents_.end())
        p["version"] = d->second.version;
      send_({{"jsonrpc", "2.0"}, {"method", "textDocument/publishDiagnostics"}, {"params", p}});
    }
  }
  changed_.clear();
}

}  // namespace sc::lsp
