#include "lsp/server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "lsp/message_reader.h"
#include "tests/support/test_dir.h"
#include "writers/scenario.h"

namespace sc::lsp {
namespace {

using test::TempDir;

std::string replaced(std::string s, const std::string& from, const std::string& to) {
  const size_t i = s.find(from);
  if (i == std::string::npos) throw std::runtime_error("no \"" + from + "\" to replace");
  return s.replace(i, from.size(), to);
}

json request(int id, const std::string& method, json params = json::object()) {
  return {{"jsonrpc", "2.0"}, {"id", id}, {"method", method}, {"params", std::move(params)}};
}
json notification(const std::string& method, json params = json::object()) {
  return {{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
}
json initialize(int id, bool utf8 = false) {
  json caps = json::object();
  if (utf8) caps["general"]["positionEncodings"] = {"utf-8", "utf-16"};
  return request(id, "initialize", {{"processId", nullptr}, {"capabilities", caps}});
}
json error_reply(json id, int code) {
  return {{"jsonrpc", "2.0"}, {"id", std::move(id)}, {"error", {{"code", code}}}};
}

// A server in process, with what it sent.
struct Session {
  std::vector<json> sent;
  Server server{[this](const json& m) { sent.push_back(m); }};

  // The messages sent in answer to `bodies`, read together.
  std::vector<json> send(const std::vector<std::string>& bodies) {
    sent.clear();
    server.handle(bodies);
    return sent;
  }
  std::vector<json> send(const json& m) { return send(std::vector<std::string>{m.dump()}); }
  // The publications of the pending compile, by file name.
  std::map<std::string, json> settle() {
    sent.clear();
    server.compile_pending();
    std::map<std::string, json> out;
    for (const json& m : sent) {
      if (m.value("method", "") != "textDocument/publishDiagnostics") continue;
      const std::string path = *path_of_uri(m["params"]["uri"].get<std::string>());
      out[path.substr(path.rfind('/') + 1)] = m["params"];
    }
    return out;
  }
};

// `actual` holds every member of `expected` (objects compared member by
// member, the rest exactly).
bool holds(const json& actual, const json& expected) {
  if (!expected.is_object()) return actual == expected;
  if (!actual.is_object()) return false;
  for (const auto& [k, v] : expected.items()) {
    if (!actual.contains(k) || !holds(actual[k], v)) return false;
  }
  return true;
}

TEST(LanguageServer, LifecycleExchanges) {
  const json ok_init = {{"jsonrpc", "2.0"},
                        {"id", 1},
                        {"result", {{"capabilities", {{"positionEncoding", "utf-16"}}}}}};
  const json log = {{"method", "window/logMessage"}, {"params", {{"type", 1}}}};
  struct Case {
    const char* name;
    std::vector<std::vector<std::string>> in;  // batches read together
    std::vector<json> out;                     // of the last batch, each matched by holds()
    int exit_status = -1;                      // when the server exits
  } cases[] = {
      {"initialize with UTF-16 by default", {{initialize(1).dump()}}, {ok_init}},
      {"UTF-8 when the client offers it",
       {{initialize(1, true).dump()}},
       {{{"id", 1}, {"result", {{"capabilities", {{"positionEncoding", "utf-8"}}}}}}}},
      {"a request before initialize",
       {{request(4, "textDocument/hover").dump()}},
       {error_reply(4, rpc_error::server_not_initialized)}},
      {"an unknown request",
       {{initialize(1).dump()}, {request(2, "textDocument/unknownThing").dump()}},
       {error_reply(2, rpc_error::method_not_found)}},
      {"an unknown notification is ignored",
       {{initialize(1).dump()}, {notification("$/unknown").dump(), notification("foo").dump()}},
       {}},
      {"a body that is not JSON",
       {{initialize(1).dump()}, {"{\"jsonrpc\": \"2.0\", \"id\": 3, \"method\": "}},
       {error_reply(nullptr, rpc_error::parse_error), log}},
      {"JSON that is no message",
       {{initialize(1).dump()}, {"[1, 2]", "{\"id\": {\"x\": 1}, \"method\": \"shutdown\"}"}},
       {error_reply(nullptr, rpc_error::invalid_request),
        error_reply(nullptr, rpc_error::invalid_request)}},
      {"params of the wrong type",
       {{initialize(1).dump()},
        {notification("textDocument/didOpen", {{"textDocument", 5}}).dump(),
         request(6, "shutdown").dump()}},
       {log, {{"id", 6}, {"result", nullptr}}}},
      {"a request cancelled in the same read",
       {{initialize(1).dump()},
        {request(7, "shutdown").dump(), notification("$/cancelRequest", {{"id", 7}}).dump()}},
       {error_reply(7, rpc_error::request_cancelled)}},
      {"a cancellation of an answered request is ignored",
       {{initialize(1).dump()},
        {request(8, "shutdown").dump()},
        {notification("$/cancelRequest", {{"id", 8}}).dump()}},
       {}},
      {"initialize twice",
       {{initialize(1).dump()}, {initialize(2).dump()}},
       {error_reply(2, rpc_error::invalid_request)}},
      {"requests after shutdown",
       {{initialize(1).dump()}, {request(2, "shutdown").dump()}, {request(3, "shutdown").dump()}},
       {error_reply(3, rpc_error::invalid_request)}},
      {"exit after shutdown: status 0",
       {{initialize(1).dump()}, {request(2, "shutdown").dump(), notification("exit").dump()}},
       {{{"id", 2}, {"result", nullptr}}},
       0},
      {"exit without shutdown: status 1",
       {{initialize(1).dump()}, {notification("exit").dump(), request(3, "shutdown").dump()}},
       {},
       1},
  };
  for (const Case& c : cases) {
    Session s;
    std::vector<json> out;
    for (const auto& batch : c.in) out = s.send(batch);
    ASSERT_EQ(out.size(), c.out.size()) << c.name << ": " << json(out).dump();
    for (size_t i = 0; i < out.size(); ++i)
      EXPECT_TRUE(holds(out[i], c.out[i])) << c.name << ": " << out[i].dump();
    EXPECT_EQ(s.server.exited(), c.exit_status >= 0) << c.name;
    if (c.exit_status >= 0) {
      EXPECT_EQ(s.server.exit_status(), c.exit_status) << c.name;
    }
  }
}

// The embedded scenario's two descriptions in a folder.
struct Scenario {
  TempDir dir;
  std::string line = dir / "Corvale_Pravena AV_linea.txt";
  std::string train = dir / "Corvale_Pravena AV_409-.txt";
  Scenario(const std::string& line_bytes = dati_linea(),
           const std::string& train_bytes = dati_treno()) {
    test::write(line, line_bytes);
    test::write(train, train_bytes);
  }
};

json open(const std::string& path, const std::string& text, int version = 1) {
  return notification("textDocument/didOpen", {{"textDocument",
                                                {{"uri", uri_of_path(path)},
                                                 {"languageId", "plaintext"},
                                                 {"version", version},
                                                 {"text", text}}}});
}
json change(const std::string& path, int version, json changes) {
  return notification("textDocument/didChange",
                      {{"textDocument", {{"uri", uri_of_path(path)}, {"version", version}}},
                       {"contentChanges", std::move(changes)}});
}
json edit(size_t l0, size_t c0, size_t l1, size_t c1, const std::string& text) {
  return {
      {"range",
       {{"start", {{"line", l0}, {"character", c0}}}, {"end", {{"line", l1}, {"character", c1}}}}},
      {"text", text}};
}

// "E16 17:12-17:16" for each diagnostic.
std::vector<std::string> summary(const json& diagnostics) {
  std::vector<std::string> out;
  for (const json& d : diagnostics) {
    const json& r = d["range"];
    out.push_back(d.value("code", std::string("info")) + " " +
                  std::to_string(r["start"]["line"].get<int>()) + ":" +
                  std::to_string(r["start"]["character"].get<int>()) + "-" +
                  std::to_string(r["end"]["line"].get<int>()) + ":" +
                  std::to_string(r["end"]["character"].get<int>()));
  }
  return out;
}

const std::string line_txt = "Corvale_Pravena AV_linea.txt";
const std::string train_txt = "Corvale_Pravena AV_409-.txt";
const std::string moved_signal = "segnale,    3500,";  // onto the first signal's cell

TEST(LanguageServer, DiagnosticsOfBothDescriptions) {
  const std::string faulty_train = replaced(dati_treno(), "segnale,    7500,", moved_signal);
  {
    SCOPED_TRACE("the saved file's fault, at its field, for the version opened");
    Scenario sc(dati_linea(), faulty_train);
    Session s;
    s.send(initialize(1));
    s.send(open(sc.train, faulty_train, 3));
    auto p = s.settle();
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(summary(p[train_txt]["diagnostics"]), std::vector<std::string>{"E16 17:12-17:16"});
    EXPECT_EQ(p[train_txt]["version"], 3);
    EXPECT_EQ(summary(p[line_txt]["diagnostics"]), std::vector<std::string>{});
    EXPECT_FALSE(p[line_txt].contains("version"));  // not open: taken from disk
    const json& d = p[train_txt]["diagnostics"][0];
    EXPECT_EQ(d["severity"], 1);
    EXPECT_EQ(d["message"], "signal cell 71 already holds a signal (at 3500 m)");
  }
  {
    SCOPED_TRACE("an unsaved buffer that fixes the fault");
    Scenario sc(dati_linea(), faulty_train);
    Session s;
    s.send(initialize(1));
    s.send(open(sc.train, dati_treno()));
    EXPECT_EQ(summary(s.settle()[train_txt]["diagnostics"]), std::vector<std::string>{});
    // And the fault back by an incremental change of line 18.
    s.send(change(sc.train, 2, {edit(17, 12, 17, 13, "3")}));
    auto p = s.settle();
    EXPECT_EQ(summary(p[train_txt]["diagnostics"]), std::vector<std::string>{"E16 17:12-17:16"});
    EXPECT_EQ(p[train_txt]["version"], 2);
  }
  {
    SCOPED_TRACE("a change to the line description changes the train's diagnostics");
    Scenario sc;
    Session s;
    s.send(initialize(1));
    s.send(open(sc.line, test::read_bytes(sc.line)));
    s.send(open(sc.train, test::read_bytes(sc.train)));
    EXPECT_EQ(summary(s.settle()[train_txt]["diagnostics"]), std::vector<std::string>{});
    // "lunghezza percorso,    92000" on line 2: 92000 becomes 50000.
    const std::string line_text = test::read_bytes(sc.line);
    const size_t at = line_text.find("92000");
    const size_t line_start = line_text.rfind('\n', at) + 1;
    const size_t line_no =
        static_cast<size_t>(std::count(line_text.begin(), line_text.begin() + at, '\n'));
    s.send(change(sc.line, 2,
                  {edit(line_no, at - line_start, line_no, at - line_start + 1, "5"),
                   edit(line_no, at - line_start + 1, line_no, at - line_start + 2, "0")}));
    auto p = s.settle();
    EXPECT_EQ(p[line_txt]["version"], 2);
    EXPECT_EQ(p[train_txt]["version"], 1);
    bool beyond = false;
    for (const json& d : p[train_txt]["diagnostics"]) beyond = beyond || d["code"] == "E15";
    EXPECT_TRUE(beyond) << p[train_txt].dump();
    EXPECT_FALSE(p[line_txt]["diagnostics"].empty());
  }
}

// A field after an emoji: the fault's column in the negotiated units.
TEST(LanguageServer, ColumnsAfterAnEmoji) {
  const std::string emoji_line = "velocità😀,    1500,   250";
  const std::string train = replaced(dati_treno(), "velocita,    1500,   250", emoji_line);
  for (const bool utf8 : {false, true}) {
    SCOPED_TRACE(utf8 ? "UTF-8" : "UTF-16");
    Scenario sc;
    Session s;
    s.send(initialize(1, utf8));
    s.send(open(sc.train, train));
    s.settle();
    // "250" becomes "x", at UTF-16 column 23 (UTF-8 byte 26), on line 10.
    const size_t col = utf8 ? 26 : 23;
    s.send(change(sc.train, 2, {edit(9, col, 9, col + 3, "x")}));
    auto p = s.settle();
    std::vector<std::string> e25;
    for (const std::string& d : summary(p[train_txt]["diagnostics"])) {
      if (d.rfind("E25 ", 0) == 0) e25.push_back(d);
    }
    const std::string at = "9:" + std::to_string(col) + "-9:" + std::to_string(col + 1);
    EXPECT_EQ(e25, std::vector<std::string>{"E25 " + at}) << p[train_txt].dump();
  }
}

// A train description saved in Windows-1252: the buffer is compiled as the
// same bytes, so its accented text is read as the saved file's.
TEST(LanguageServer, BufferEncodedAsItsFile) {
  const std::string saved =
      replaced(dati_treno(), "CORVALE CENTRALE", "CORVAL\xC8, CENTRALE");  // a text cut at a comma
  Scenario sc(dati_linea(), saved);
  Session s;
  s.send(initialize(1));
  s.send(open(sc.train, decode(saved, DiskEncoding::windows_1252)));
  const json d = s.settle()[train_txt]["diagnostics"];
  // No note that the file is read as UTF-8: the bytes are those saved.
  for (const json& x : d) EXPECT_NE(x["code"], "N1") << d.dump();
  ASSERT_FALSE(d.empty());
}

TEST(LanguageServer, FilesWithoutPartner) {
  TempDir dir;
  const std::string lone_line = dir / "Solo_linea.txt", lone_train = dir / "Altro_7-.txt",
                    other = dir / "notes.txt";
  test::write(lone_line, dati_linea());
  Session s;
  s.send(initialize(1));
  s.send(open(lone_line, dati_linea()));
  s.send(open(lone_train, dati_treno()));
  s.send(open(other, "x"));
  auto p = s.settle();
  for (const char* f : {"Solo_linea.txt", "Altro_7-.txt", "notes.txt"}) {
    ASSERT_EQ(p[f]["diagnostics"].size(), 1u) << f << ": " << p[f].dump();
    EXPECT_EQ(p[f]["diagnostics"][0]["severity"], 3) << f;
  }
}

// The program itself over standard input and output, beside check.
struct Child {
  pid_t pid = -1;
  int in = -1, out = -1;
};

Child start(const std::vector<std::string>& argv) {
  int to[2], from[2];
  if (::pipe(to) != 0 || ::pipe(from) != 0) throw std::runtime_error("pipe");
  Child c;
  c.pid = ::fork();
  if (c.pid == 0) {
    ::dup2(to[0], 0);
    ::dup2(from[1], 1);
    ::close(to[0]), ::close(to[1]), ::close(from[0]), ::close(from[1]);
    std::vector<char*> a;
    for (const std::string& s : argv) a.push_back(const_cast<char*>(s.c_str()));
    a.push_back(nullptr);
    ::execv(a[0], a.data());
    ::_exit(127);
  }
  ::close(to[0]);
  ::close(from[1]);
  c.in = to[1];
  c.out = from[0];
  return c;
}

std::string framed(const json& m) {
  const std::string b = m.dump();
  return "Content-Length: " + std::to_string(b.size()) + "\r\n\r\n" + b;
}

// Everything the child writes until it closes its output, and its status.
std::pair<std::string, int> finish(Child& c) {
  ::close(c.in);
  std::string all;
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(c.out, buf, sizeof buf);
    if (n <= 0) break;
    all.append(buf, static_cast<size_t>(n));
  }
  ::close(c.out);
  int status = 0;
  ::waitpid(c.pid, &status, 0);
  return {all, WIFEXITED(status) ? WEXITSTATUS(status) : 128};
}

std::vector<json> messages(const std::string& out) {
  MessageReader r;
  r.feed(out);
  std::vector<json> m;
  ReadEvent e;
  while (r.next(e)) m.push_back(json::parse(e.text));
  return m;
}

// Where `needle` stands in `text` (ASCII before it), moved on by `ahead`
// characters.
json place(const std::string& text, const std::string& needle, size_t ahead = 0) {
  const size_t at = text.find(needle);
  if (at == std::string::npos) throw std::runtime_error("no \"" + needle + "\" in the text");
  const size_t line = static_cast<size_t>(std::count(text.begin(), text.begin() + at, '\n'));
  const size_t start = line == 0 ? 0 : text.rfind('\n', at) + 1;
  return {{"line", line}, {"character", at - start + ahead}};
}

TEST(LanguageServer, CompletionAndHoverExchanges) {
  Scenario sc;
  std::vector<json> sent;
  Server server{[&](const json& m) { sent.push_back(m); }, SC_FORMAT_DOC};
  server.handle(initialize(1).dump());
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0]["result"]["capabilities"]["hoverProvider"], true);
  EXPECT_TRUE(sent[0]["result"]["capabilities"].contains("completionProvider"));
  const std::string line = dati_linea(), train = dati_treno();
  server.handle({open(sc.line, line).dump(), open(sc.train, train).dump()});
  server.compile_pending();

  const auto at = [](const std::string& path, json position) {
    return json{{"textDocument", {{"uri", uri_of_path(path)}}}, {"position", std::move(position)}};
  };
  // The line after a label: where a new entry is written.
  const auto after = [&](const std::string& text, const std::string& label) {
    json p = place(text, label);
    p["line"] = p["line"].get<size_t>() + 1;
    p["character"] = 0;
    return p;
  };
  const auto range = [](json from, size_t width) {
    json to = from;
    to["character"] = from["character"].get<size_t>() + width;
    return json{{"start", std::move(from)}, {"end", std::move(to)}};
  };
  struct Case {
    const char* name;
    std::string method;
    json params;
    // Completion: labels that must be offered, with a part of their
    // insert text and of their documentation; labels that must not be.
    std::vector<std::array<std::string, 3>> offered = {};
    std::vector<std::string> not_offered = {};
    // Hover: parts of its text (none: no hover) and its range.
    std::vector<std::string> hover_parts = {};
    json hover_range = nullptr;
  } cases[] = {
      {"completion under [segnali] of a train description",
       "textDocument/completion",
       at(sc.train, after(train, "[segnali]")),
       {{"segnale", "segnale, ${1:P}, ${2:SX}, ${3:S1}", "a signal at"},
        {"stazione", "${17:NAME}", "a station"},
        {"[segnali]", "[segnali]", ""},
        {"[rallentamenti]", "[rallentamenti]", ""}},
       {"pendenza", "lunghezza percorso", "[pendenze]"}},
      {"completion in [generale] of a line description",
       "textDocument/completion",
       at(sc.line, after(line, "[generale]")),
       {{"lunghezza percorso", "lunghezza percorso, ${1:L}", "the length of the line"},
        {"ripetizione segnali 4 codici", "ripetizione segnali 4 codici, ${1:A}, ${2:B}",
         "cab signalling"},
        {"sfondo tre", "sfondo tre, ${1:N}", "background"},
        {"[pendenze]", "[pendenze]", ""}},
       {"pendenza", "segnale", "[segnali]"}},
      {"completion among the element entries of a line description",
       "textDocument/completion",
       at(sc.line, after(line, "[pendenze]")),
       {{"pendenza", "pendenza, ${1:", "gradient"}, {"curvas1", "curvas1, ${1:", ""}},
       {"lunghezza percorso", "sfondo uno"}},
      {"hover on a signal's position: the cell after it, and what it holds",
       "textDocument/hover",
       at(sc.train, place(train, "segnale,    3500", 13)),
       {},
       {},
       {"3500 m", "km 3.500", "cell 71", "element: signal", "segnale,    3500"},
       range(place(train, "segnale,    3500", 12), 4)},
      {"hover on a gradient's position: its own cell, the gradient behind it",
       "textDocument/hover",
       at(sc.line, place(line, "pendenza,  1000", 11)),
       {},
       {},
       {"km 1.000", "cell 20", "gradient: gradient", "pendenza,  1000"},
       range(place(line, "pendenza,  1000", 11), 4)},
      {"hover on a key: its documentation",
       "textDocument/hover",
       at(sc.train, place(train, "segnale,    3500", 2)),
       {},
       {},
       {"`segnale, P, SX, S1", "which must be free (E16)"},
       range(place(train, "segnale,    3500"), 7)},
      {"hover on a label", "textDocument/hover", at(sc.train, place(train, "[segnali]", 2))},
      {"hover on a value that is no position", "textDocument/hover",
       at(sc.train, place(train, "segnale,    3500,   2", 20))},
      {"hover on the blanks before a position", "textDocument/hover",
       at(sc.train, place(train, "segnale,    3500", 9))},
  };
  int id = 10;
  for (const Case& c : cases) {
    sent.clear();
    server.handle(request(++id, c.method, c.params).dump());
    ASSERT_EQ(sent.size(), 1u) << c.name << ": " << json(sent).dump();
    ASSERT_EQ(sent[0]["id"], id) << c.name;
    const json& result = sent[0]["result"];
    if (c.method == "textDocument/completion") {
      for (const auto& [label, insert, doc] : c.offered) {
        const auto item = std::find_if(result.begin(), result.end(),
                                       [&](const json& i) { return i["label"] == label; });
        ASSERT_NE(item, result.end()) << c.name << ": no " << label;
        EXPECT_NE((*item)["insertText"].get<std::string>().find(insert), std::string::npos)
            << c.name << ": " << item->dump();
        if (!doc.empty()) {
          EXPECT_NE((*item)["documentation"]["value"].get<std::string>().find(doc),
                    std::string::npos)
              << c.name << ": " << item->dump();
        }
      }
      for (const std::string& label : c.not_offered) {
        EXPECT_TRUE(std::none_of(result.begin(), result.end(),
                                 [&](const json& i) { return i["label"] == label; }))
            << c.name << ": " << label << " offered";
      }
    } else if (c.hover_parts.empty()) {
      EXPECT_TRUE(result.is_null()) << c.name << ": " << result.dump();
    } else {
      ASSERT_TRUE(result.is_object()) << c.name;
      const std::string text = result["contents"]["value"].get<std::string>();
      for (const std::string& part : c.hover_parts)
        EXPECT_NE(text.find(part), std::string::npos)
            << c.name << ": no " << part << " in " << text;
      EXPECT_EQ(result["range"], c.hover_range) << c.name;
    }
  }
}

TEST(LanguageServerProgram, SameDiagnosticsAsCheck) {
  ::signal(SIGPIPE, SIG_IGN);
  // Several faults, a warning and a text with an accent, saved in
  // Windows-1252.
  std::string train = replaced(dati_treno(), "segnale,    7500,", moved_signal);
  train = replaced(train, "velocita,    1500,   250", "velocia,    1500,   250");
  train = replaced(train, "CORVALE CENTRALE", "CORVAL\xC8, CENTRALE");
  const std::string line =
      replaced(dati_linea(), "lunghezza percorso,    92000", "lunghezza percorso,    50000");
  Scenario sc(line, train);

  // check writes its diagnostics on standard error.
  const std::string json_out = sc.dir / "check.json";
  const std::string command = std::string("'") + SC_PROGRAM +
                              "' check --diagnostics-format json '" + sc.line + "' '" + sc.train +
                              "' 2> '" + json_out + "'";
  ASSERT_EQ(WEXITSTATUS(std::system(command.c_str())), 1);
  const json expected = json::parse(test::read_bytes(json_out));
  ASSERT_GT(expected.size(), 3u);

  Child lsp = start({SC_PROGRAM, "lsp"});
  const std::string init = framed(initialize(1)) + framed(notification("initialized")) +
                           framed(open(sc.train, decode(train, DiskEncoding::windows_1252))) +
                           framed(open(sc.line, line));
  ASSERT_EQ(::write(lsp.in, init.data(), init.size()), static_cast<ssize_t>(init.size()));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));  // past the debounce
  const std::string end = framed(request(2, "shutdown")) + framed(notification("exit"));
  ASSERT_EQ(::write(lsp.in, end.data(), end.size()), static_cast<ssize_t>(end.size()));
  const auto [out, status] = finish(lsp);
  EXPECT_EQ(status, 0);

  std::map<std::string, json> published;  // the last publication of each file
  for (const json& m : messages(out)) {
    if (m.value("method", "") == "textDocument/publishDiagnostics")
      published[*path_of_uri(m["params"]["uri"].get<std::string>())] = m["params"]["diagnostics"];
  }
  ASSERT_EQ(published.size(), 2u) << out;
  std::map<std::string, size_t> seen;
  for (const json& e : expected) {
    const std::string file = e["file"].get<std::string>();
    const size_t i = seen[file]++;
    ASSERT_LT(i, published[file].size()) << e.dump();
    const json& d = published[file][i];
    std::string message = e["message"].get<std::string>();
    if (e["after_first_fault"].get<bool>()) message += " (found after the first fault)";
    EXPECT_EQ(d["code"], e["code"]);
    EXPECT_EQ(d["message"], message);
    EXPECT_EQ(d["severity"], e["severity"] == "error" ? 1 : e["severity"] == "warning" ? 2 : 3);
    EXPECT_EQ(d["range"]["start"]["line"], e["line"].get<int>() - 1) << e.dump();
    // Every line here is ASCII before its fields but the station's, whose
    // accent is one character in both.
    EXPECT_EQ(d["range"]["start"]["character"], e["column"].get<int>() - 1) << e.dump();
    EXPECT_EQ(d["range"]["end"]["character"], e["end_column"].get<int>() - 1) << e.dump();
    EXPECT_EQ(d.value("relatedInformation", json::array()).size(), e["notes"].size());
  }
  for (const auto& [file, d] : published) EXPECT_EQ(d.size(), seen[file]) << file;
}

}  // namespace
}  // namespace sc::lsp
