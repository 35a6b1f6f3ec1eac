#include "lsp/outline.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "lsp/server.h"
#include "tests/support/test_dir.h"
#include "writers/scenario.h"

namespace sc::lsp {
namespace {

std::string range_of(const json& r) {
  return std::to_string(r["start"]["line"].get<int>()) + ":" +
         std::to_string(r["start"]["character"].get<int>()) + "-" +
         std::to_string(r["end"]["line"].get<int>()) + ":" +
         std::to_string(r["end"]["character"].get<int>());
}

// One line for each symbol, its children indented under it:
// "name | detail | kind | range", and the selection range where it does
// not start the range or the symbol is a section.
std::vector<std::string> symbol_lines(const json& symbols, const std::string& indent = "") {
  std::vector<std::string> out;
  for (const json& s : symbols) {
    EXPECT_FALSE(s["name"].get<std::string>().empty()) << s.dump();
    EXPECT_EQ(s["selectionRange"]["start"], s["range"]["start"]) << s.dump();
    out.push_back(indent + s["name"].get<std::string>() + " | " + s["detail"].get<std::string>() +
                  " | " + std::to_string(s["kind"].get<int>()) + " | " + range_of(s["range"]) +
                  (s.contains("children") ? " sel " + range_of(s["selectionRange"]) : ""));
    if (s.contains("children")) {
      for (std::string& c : symbol_lines(s["children"], indent + "  ")) out.push_back(std::move(c));
    }
  }
  return out;
}

TEST(Outline, EmbeddedDescriptions) {
  // The sections in order with their number of entries, and a few entries
  // with their ranges.
  struct Section {
    std::string label;
    size_t entries;
    std::string range;
  };
  struct Case {
    const char* name;
    std::string text;
    bool line_description;
    std::vector<Section> sections;
    std::vector<std::pair<size_t, std::string>> children;  // section index, its symbol
  } cases[] = {
      {"line description",
       dati_linea(),
       true,
       {{"[generale]", 8, "0:0-8:47"},
        {"[curve]", 10, "9:0-19:22"},
        {"[pendenze]", 20, "20:0-40:22"},
        {"[montagne]", 11, "41:0-52:29"},
        {"[cartelli]", 6, "53:0-59:61"},
        {"[indicazioni]", 12, "60:0-72:63"},
        {"[fine]", 0, "73:0-73:6"}},
       {{0, "lunghezza percorso | 92000 | 7 | 1:0-1:28"},
        {0, "ripetizione segnali | ripetizione segnali 9 codici: 1000, 80000 | 7 | 8:0-8:47"},
        {1, "curva 2000 m | curvad1: km 2.000 | 8 | 10:0-10:21"},
        {1, "curva 88000 m | curvad3: km 88.000 | 8 | 19:0-19:22"},
        {2, "pendenza 49500 m | km 49.500 | 8 | 34:0-34:21"},
        {4, "indicatori_vmax 92450 m | km 92.450 | 8 | 59:0-59:61"},
        {5, "cartello_indicatore 4400 m | km 4.400 | 8 | 61:0-61:66"}}},
      {"train description",
       dati_treno(),
       false,
       {{"[generale]", 4, "0:0-4:44"},
        {"[aderenze]", 1, "5:0-6:21"},
        {"[vel_limite]", 2, "7:0-9:24"},
        {"[stazioni]", 3, "10:0-13:85"},
        {"[rallentamenti]", 0, "14:0-14:15"},
        {"[segnali]", 37, "15:0-52:51"},
        {"[codici]", 2, "53:0-55:28"},
        {"[fine]", 0, "56:0-56:6"}},
       {{0, "orologio | 11 20 0 | 7 | 4:0-4:44"},
        {3, "CORVALE CENTRALE | stazione 0 m, km 0.000 | 5 | 11:0-11:88"},
        {3, "PRAVENA S.M.N | stazione 93700 m, km 93.700 | 5 | 13:0-13:85"},
        {5, "segnale 3500 m | km 3.500 | 24 | 16:0-16:51"},
        {6, "abbattimento 84900 m | km 84.900 | 8 | 55:0-55:28"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const json o = outline(c.text, PositionEncoding::utf16, c.line_description);
    ASSERT_EQ(o.size(), c.sections.size()) << o.dump();
    for (size_t i = 0; i < o.size(); ++i) {
      EXPECT_EQ(o[i]["name"], c.sections[i].label);
      EXPECT_EQ(o[i]["kind"], 3);
      EXPECT_EQ(o[i]["children"].size(), c.sections[i].entries) << c.sections[i].label;
      EXPECT_EQ(range_of(o[i]["range"]), c.sections[i].range) << c.sections[i].label;
    }
    for (const auto& [section, symbol] : c.children) {
      const std::vector<std::string> s = symbol_lines(o[section]["children"]);
      EXPECT_NE(std::find(s.begin(), s.end(), symbol), s.end())
          << "no " << symbol << " under " << c.sections[section].label;
    }
  }
}

TEST(Outline, WhatAFaultyOrUnfinishedDocumentHolds) {
  struct Case {
    const char* name;
    std::string text;
    bool line_description;
    std::vector<std::string> expected;
  } cases[] = {
      {"empty", "", true, {}},
      {"blank lines only", "\r\n  \t\r\n\n", false, {}},
      {"a line description with faults, ending in an unfinished entry",
       "-- line of Corvale\n"
       "notes here\n"
       "[generale]\r\n"
       "lunghezza percorso, 92000\r\n"
       "[curve]\n"
       "curvad1,2000,9000\n"
       "pendenza, 1000, 1, pendenza, 4500, 0\n"
       "curvx, 5\n"
       "- pendenza, 7500, 1\n"
       "pendenza, abc, 1\n"
       "[pendenze\n"
       "pendenza, 9000",
       true,
       {"notes here | unknown key | 20 | 1:0-1:10",
        "[generale] | section | 3 | 2:0-3:25 sel 2:0-2:10",
        "  lunghezza percorso | 92000 | 7 | 3:0-3:25",
        "[curve] | section | 3 | 4:0-11:14 sel 4:0-4:7",
        "  curva 2000 m | curvad1: km 2.000 | 8 | 5:0-5:17",
        "  pendenza 1000 m | km 1.000 | 8 | 6:0-6:17",
        "  pendenza 4500 m | km 4.500 | 8 | 6:19-6:36", "  curvx | unknown key | 20 | 7:0-7:8",
        "  pendenza | position \"abc\" | 8 | 9:0-9:16",
        "  [pendenze | unknown key | 20 | 10:0-10:9",
        "  pendenza 9000 m | km 9.000 | 8 | 11:0-11:14"}},
      {"a train description: a label of its own, a station without its name, an entry cut "
       "short",
       "[generale]\n"
       "  sabbia,300  \n"
       "[note]\n"
       "stazione, 500, 8\n"
       "segnale\n"
       "velocita, -50, 30\n",
       false,
       {"[generale] | section | 3 | 0:0-1:12 sel 0:0-0:10", "  sabbia | 300 | 7 | 1:2-1:12",
        "[note] | section (a label the exported files lack) | 3 | 2:0-5:17 sel 2:0-2:6",
        "  stazione 500 m | km 0.500 | 5 | 3:0-3:16", "  segnale | no position | 24 | 4:0-4:7",
        "  velocita -50 m | km -0.050 | 8 | 5:0-5:17"}},
      {"general keys where element entries stand, in the line description's own order",
       "[generale]\n"
       "pendenza, 100, 1\n"
       "[pendenze]\n"
       "sfondo uno, 4\n",
       true,
       {"[generale] | section | 3 | 0:0-1:16 sel 0:0-0:10",
        "  pendenza 100 m | km 0.100 | 8 | 1:0-1:16",
        "[pendenze] | section | 3 | 2:0-3:13 sel 2:0-2:10", "  sfondo uno | 4 | 7 | 3:0-3:13"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(symbol_lines(outline(c.text, PositionEncoding::utf16, c.line_description)),
              c.expected);
  }
}

// The request through the server: advertised, answered for an open
// document in the negotiated units, null for one that is not open.
TEST(Outline, DocumentSymbolRequest) {
  test::TempDir dir;
  const std::string train = dir / "Corvale_9-.txt";
  const std::string text = "[generale]\nvelocità😀, 1500, 250, aderenza, 0, 100\n";
  for (const bool utf8 : {false, true}) {
    SCOPED_TRACE(utf8 ? "UTF-8" : "UTF-16");
    std::vector<json> sent;
    Server server{[&](const json& m) { sent.push_back(m); }};
    json caps = json::object();
    if (utf8) caps["general"]["positionEncodings"] = {"utf-8"};
    server.handle(json{{"jsonrpc", "2.0"},
                       {"id", 1},
                       {"method", "initialize"},
                       {"params", {{"capabilities", caps}}}}
                      .dump());
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0]["result"]["capabilities"]["documentSymbolProvider"], true);
    server.handle(
        json{{"jsonrpc", "2.0"},
             {"method", "textDocument/didOpen"},
             {"params",
              {{"textDocument", {{"uri", uri_of_path(train)}, {"version", 1}, {"text", text}}}}}}
            .dump());
    for (const std::string& path : {train, dir / "Corvale_linea.txt"}) {
      sent.clear();
      server.handle(json{{"jsonrpc", "2.0"},
                         {"id", 2},
                         {"method", "textDocument/documentSymbol"},
                         {"params", {{"textDocument", {{"uri", uri_of_path(path)}}}}}}
                        .dump());
      ASSERT_FALSE(sent.empty());
      const json& answer = sent.back();
      ASSERT_EQ(answer["id"], 2) << answer.dump();
      if (path != train) {
        EXPECT_TRUE(answer["result"].is_null()) << answer.dump();
        continue;
      }
      // "velocità😀" is 10 UTF-16 units and 13 bytes.
      const std::vector<std::string> expected =
          utf8 ? std::vector<std::string>{"[generale] | section | 3 | 0:0-1:42 sel 0:0-0:10",
                                          "  velocita 1500 m | velocità😀: km 1.500 | 8 | 1:0-1:24",
                                          "  aderenza 0 m | km 0.000 | 8 | 1:26-1:42"}
               : std::vector<std::string>{"[generale] | section | 3 | 0:0-1:39 sel 0:0-0:10",
                                          "  velocita 1500 m | velocità😀: km 1.500 | 8 | 1:0-1:21",
                                          "  aderenza 0 m | km 0.000 | 8 | 1:23-1:39"};
      EXPECT_EQ(symbol_lines(answer["result"]), expected);
    }
  }
}

}  // namespace
}  // namespace sc::lsp
