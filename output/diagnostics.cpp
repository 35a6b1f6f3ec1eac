#include "output/diagnostics.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ostream>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

#include "compiler/text_1252.h"
#include "output/terminal_text.h"

namespace sc {
namespace {

// Whether the message already gives the position as "P m" (P not part of
// a longer number).
bool gives_position(const std::string& message, int32_t posizione) {
  const std::string metres = std::to_string(posizione) + " m";
  for (size_t i = message.find(metres); i != std::string::npos; i = message.find(metres, i + 1)) {
    const bool inizio_numero =
        i == 0 ||
        !(std::isdigit(static_cast<unsigned char>(message[i - 1])) || message[i - 1] == '-');
    if (inizio_numero) return true;
  }
  return false;
}

struct Colors {
  const char* bold = "";
  const char* errore = "";
  const char* avviso = "";
  const char* note = "";
  const char* cursor = "";
  const char* fine = "";
};

Colors colors(const DiagnosticStyle& s) {
  if (!s.color) return {};
  return {"\x1b[1m", "\x1b[1;31m", "\x1b[1;35m", "\x1b[1;36m", "\x1b[1;32m", "\x1b[0m"};
}

const char* color_of(Severity g, const Colors& c) {
  return g == Severity::errore ? c.errore : g == Severity::avviso ? c.avviso : c.note;
}

// The message for JSON and SARIF, which escape what they must themselves:
// a control character (below 0x20 but a tab, DEL) becomes "?".
std::string without_controls(const std::string& t) {
  std::string s = t;
  for (char& c : s) {
    const unsigned char u = static_cast<unsigned char>(c);
    if ((u < 0x20 && c != '\t') || u == 0x7F) c = '?';
  }
  return s;
}

// The message with " (at P m)" when the fault has a position that the
// message does not already give: for the terminal (escaped as
// terminal_text escapes) or for JSON and SARIF.
std::string message(const Fault& f, bool terminal) {
  std::string s =
      terminal ? terminal_text(f.message, TextSource::description) : without_controls(f.message);
  if (f.posizione && !gives_position(f.message, *f.posizione))
    s += " (at " + std::to_string(*f.posizione) + " m)";
  return s;
}

// A quoted source line: its control characters escaped as terminal_text
// escapes them, its tabs kept (so the caret below lines up however tabs
// are shown).
std::string shown_line(const std::string& text) {
  std::string s;
  for (ShownCharacters c(text, TextSource::description, /*keep_tabs=*/true); !c.done();) {
    c.next(s);
  }
  return s;
}

// The caret line under a field of the line as shown_line shows it: blanks
// up to the field (tabs kept), then "^" and "~" under the rest of the
// field. A character takes as many columns as it is shown with: one for a
// character of the text (of one byte or several), four or six for an escape.
std::string underline(const SourceLocation& w) {
  const size_t column = w.column > 1 ? static_cast<size_t>(w.column - 1) : 0;
  const size_t end = column + static_cast<size_t>(std::max(w.width, 1));
  std::string s;
  bool caret = false;
  size_t at = 0;  // the byte of the text where the next character starts
  std::string shown;
  for (ShownCharacters c(w.text, TextSource::description, true); !c.done() && at < end;) {
    shown.clear();
    const size_t n = c.next(shown);
    size_t columns = 0;  // UTF-8 continuation bytes take no column
    for (const char b : shown) columns += (static_cast<unsigned char>(b) & 0xC0) != 0x80;
    if (at + n <= column) {
      s += shown == "\t" ? std::string("\t") : std::string(columns, ' ');
    } else {
      s += caret ? std::string(columns, '~') : "^" + std::string(columns - 1, '~');
      caret = true;
    }
    at += n;
  }
  // A field at or past the end of the line.
  if (!caret) {
    s += std::string(column > at ? column - at : 0, ' ') + "^";
    at = std::max(at, column) + 1;
  }
  if (end > at) s += std::string(end - at, '~');
  return s;
}

// "FILE:LINE:COL: ", "FILE: " or "".
std::string location(const std::optional<SourceLocation>& w) {
  if (!w || w->file.empty()) return "";
  const std::string file = terminal_text(w->file);
  if (w->line <= 0) return file + ": ";
  return file + ":" + std::to_string(w->line) + ":" +
         std::to_string(w->column > 0 ? w->file_column() : 1) + ": ";
}

std::string line_and_cursor(const std::optional<SourceLocation>& w, const Colors& c) {
  if (!w || w->line <= 0) return "";
  return shown_line(w->text) + "\n" + c.cursor + underline(*w) + c.fine + "\n";
}

}  // namespace

std::string count(size_t n, const char* what) {
  return std::to_string(n) + " " + what + (n == 1 ? "" : "s");
}

std::string formatta_fault(const Fault& f, const DiagnosticStyle& stile) {
  const Colors c = colors(stile);
  const std::string_view severity = severity_name(f.severity);
  std::string s = std::string(c.bold) + location(f.where) + c.fine + color_of(f.severity, c) +
                  std::string(severity) + ":" + c.fine + " " + c.bold + message(f, true) + c.fine +
                  " [" + diagnostic_code(f) + "]";
  if (f.after_first) s += " (found after the first fault)";
  s += "\n" + line_and_cursor(f.where, c);
  for (const Note& r : f.notes) {
    s += std::string(c.bold) + location(r.where) + c.fine + c.note + "note:" + c.fine + " " +
         terminal_text(r.message, TextSource::description) + "\n" + line_and_cursor(r.where, c);
  }
  return s;
}

std::string formatta_faults(const FaultLog& log, const DiagnosticStyle& stile) {
  std::string s;
  for (const Fault* f : log.in_order()) s += formatta_fault(*f, stile);
  return s;
}

size_t write_text_diagnostics(const FaultLog& log, const DiagnosticStyle& stile, size_t limit,
                              std::ostream& out) {
  const std::vector<const Fault*> all = log.in_order();
  const size_t shown = limit == 0 ? all.size() : std::min(limit, all.size());
  for (size_t i = 0; i < shown; ++i) out << formatta_fault(*all[i], stile);
  return all.size() - shown;
}

std::string json_string(const std::string& t) {
  // Valid UTF-8 passes as it is; any other byte beyond ASCII (a
  // Windows-1252 text) is written as the code point of the same number, so
  // the output is valid JSON whatever the file held.
  bool ascii = true;
  for (const char ch : t) ascii = ascii && static_cast<unsigned char>(ch) < 0x80;
  const bool utf8 = !ascii && utf8_multibyte(t);
  std::string s = "\"";
  for (const char ch : t) {
    const unsigned char u = static_cast<unsigned char>(ch);
    switch (ch) {
      case '"': s += "\\\""; break;
      case '\\': s += "\\\\"; break;
      case '\n': s += "\\n"; break;
      case '\r': s += "\\r"; break;
      case '\t': s += "\\t"; break;
      default:
        if (u < 0x20 || u == 0x7F) {
          char b[8];
          std::snprintf(b, sizeof b, "\\u%04x", u);
          s += b;
        } else if (u >= 0x80 && !utf8) {
          char b[8];
          std::snprintf(b, sizeof b, "\\u%04x", u);
          s += b;
        } else {
          s += ch;
        }
    }
  }
  return s + "\"";
}

namespace {

std::string numero_o_null(int v, bool c_e) { return c_e ? std::to_string(v) : "null"; }

// "file", "line", "column", "end_column" of a location (null where unknown).
std::string location_fields(const std::optional<SourceLocation>& w) {
  const bool riga = w && w->line > 0;
  const int column = riga ? (w->column > 0 ? w->file_column() : 1) : 0;
  const int fine = riga ? column + (w->width > 0 ? w->width : 1) : 0;
  return "\"file\": " + (w && !w->file.empty() ? json_string(w->file) : "null") +
         ", \"line\": " + numero_o_null(riga ? w->line : 0, riga) +
         ", \"column\": " + numero_o_null(column, riga) +
         ", \"end_column\": " + numero_o_null(fine, riga);
}

// One diagnostic as a JSON object.
std::string json_object(const Fault& f) {
  std::string s = "{" + location_fields(f.where);
  s += ", \"severity\": " + json_string(std::string(severity_name(f.severity)));
  s += ", \"code\": " + json_string(diagnostic_code(f));
  s += ", \"message\": " + json_string(message(f, false));
  s += ", \"position_m\": " + numero_o_null(f.posizione.value_or(0), f.posizione.has_value());
  s += std::string(", \"after_first_fault\": ") + (f.after_first ? "true" : "false");
  s += ", \"notes\": [";
  for (size_t i = 0; i < f.notes.size(); ++i) {
    s += (i ? ", {" : "{") + location_fields(f.notes[i].where) +
         ", \"message\": " + json_string(f.notes[i].message) + "}";
  }
  return s + "]}";
}

}  // namespace

void write_json_diagnostics(const FaultLog& log, std::ostream& out) {
  out << "[";
  bool first = true;
  for (const Fault* f : log.in_order()) {
    out << (first ? "\n  " : ",\n  ") << json_object(*f);
    first = false;
  }
  out << (first ? "]\n" : "\n]\n");
}

std::string json_diagnostics(const FaultLog& log) {
  std::ostringstream s;
  write_json_diagnostics(log, s);
  return std::move(s).str();
}

namespace {

std::string sarif_location(const SourceLocation& w, const std::string* message) {
  std::string s = "{";
  if (message) s += "\"message\": {\"text\": " + json_string(*message) + "}, ";
  s += "\"physicalLocation\": {\"artifactLocation\": {\"uri\": " + json_string(w.file) + "}";
  if (w.line > 0) {
    const int column = w.column > 0 ? w.file_column() : 1;
    s += ", \"region\": {\"startLine\": " + std::to_string(w.line) +
         ", \"startColumn\": " + std::to_string(column) +
         ", \"endColumn\": " + std::to_string(column + (w.width > 0 ? w.width : 1)) + "}";
  }
  return s + "}}";
}

}  // namespace

namespace {

// One diagnostic as a SARIF result.
std::string sarif_result(const Fault& f) {
  const char* level = f.severity == Severity::errore   ? "error"
                      : f.severity == Severity::avviso ? "warning"
                                                       : "note";
  std::string s =
      "{\"ruleId\": " + json_string(diagnostic_code(f)) + ", \"level\": \"" + level +
      "\", \"message\": {\"text\": " +
      json_string(message(f, false) + (f.after_first ? " (found after the first fault)" : "")) +
      "}";
  if (f.where && !f.where->file.empty())
    s += ", \"locations\": [" + sarif_location(*f.where, nullptr) + "]";
  if (!f.notes.empty()) {
    s += ", \"relatedLocations\": [";
    for (size_t i = 0; i < f.notes.size(); ++i) {
      if (i) s += ", ";
      s += sarif_location(f.notes[i].where, &f.notes[i].message);
    }
    s += "]";
  }
  return s + "}";
}

}  // namespace

void write_sarif_diagnostics(const FaultLog& log, const std::string& version, std::ostream& out) {
  const std::vector<const Fault*> all = log.in_order();
  std::set<std::string> codici;
  for (const Fault* f : all) codici.insert(diagnostic_code(*f));
  std::string rules;
  for (const std::string& c : codici) {
    const CodeEntry* v = find_code(c);
    if (!rules.empty()) rules += ", ";
    rules += "{\"id\": " + json_string(c);
    if (v) {
      rules += ", \"shortDescription\": {\"text\": " + json_string(std::string(v->title)) +
               "}, \"fullDescription\": {\"text\": " + json_string(std::string(v->meaning)) + "}";
    }
    rules += "}";
  }
  out << "{\n  \"$schema\": \"https://json.schemastore.org/sarif-2.1.0.json\",\n  \"version\": "
         "\"2.1.0\",\n"
         "  \"runs\": [{\n    \"tool\": {\"driver\": {\"name\": \"scenario-compiler\", "
         "\"version\": "
      << json_string(version) << ", \"informationUri\": \"docs/format.md\", \"rules\": [" << rules
      << "]}},\n    \"results\": [";
  for (size_t i = 0; i < all.size(); ++i) {
    out << (i ? ",\n        " : "\n        ") << sarif_result(*all[i]);
  }
  out << (all.empty() ? "" : "\n    ") << "]\n  }]\n}\n";
}

std::string sarif_diagnostics(const FaultLog& log, const std::string& version) {
  std::ostringstream s;
  write_sarif_diagnostics(log, version, s);
  return std::move(s).str();
}

std::string error_text(const std::string& a) { return " Errore n. " + a; }

}  // namespace sc
