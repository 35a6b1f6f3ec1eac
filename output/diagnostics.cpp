#include "output/diagnostics.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>

#include "compiler/testo.h"

namespace sc {
namespace {

// Whether the message already gives the position as "P m" (P not part of
// a longer number).
bool da_la_posizione(const std::string& message, int32_t posizione) {
  const std::string metri = std::to_string(posizione) + " m";
  for (size_t i = message.find(metri); i != std::string::npos; i = message.find(metri, i + 1)) {
    const bool inizio_numero = i == 0 || !(std::isdigit(static_cast<unsigned char>(message[i - 1])) ||
                                           message[i - 1] == '-');
    if (inizio_numero) return true;
  }
  return false;
}

// Text from a description as it may be shown on a terminal: a control
// character (an escape sequence, a NUL, a stray carriage return) becomes
// "?", one character for one, so a caret under the text still lines up.
std::string mostrabile(const std::string& t) {
  std::string s = t;
  for (char& c : s) {
    const unsigned char u = static_cast<unsigned char>(c);
    if ((u < 0x20 && c != '\t') || u == 0x7F) c = '?';
  }
  return s;
}

struct Colori {
  const char* grassetto = "";
  const char* errore = "";
  const char* avviso = "";
  const char* nota = "";
  const char* cursore = "";
  const char* fine = "";
};

Colori colori(const StileDiagnostica& s) {
  if (!s.colore) return {};
  return {"\x1b[1m", "\x1b[1;31m", "\x1b[1;35m", "\x1b[1;36m", "\x1b[1;32m", "\x1b[0m"};
}

const char* colore_di(Gravita g, const Colori& c) {
  return g == Gravita::errore ? c.errore : g == Gravita::avviso ? c.avviso : c.nota;
}

// The message with " (at P m)" when the fault has a position that the
// message does not already give.
std::string messaggio(const Fault& f) {
  std::string s = mostrabile(f.message);
  if (f.posizione && !da_la_posizione(f.message, *f.posizione)) s += " (at " + std::to_string(*f.posizione) + " m)";
  return s;
}

// The caret line under a field: blanks up to the field (tabs kept, so the
// caret lines up however tabs are shown), then "^" and one "~" for every
// further character of the field.
// In a UTF-8 line a character of several bytes takes one column.
std::string sottolinea(const SourceLocation& w) {
  const bool utf8 = utf8_multibyte(w.text);
  const auto continua = [&](size_t i) {
    return utf8 && i < w.text.size() && (static_cast<unsigned char>(w.text[i]) & 0xC0) == 0x80;
  };
  std::string s;
  const size_t colonna = w.column > 1 ? static_cast<size_t>(w.column - 1) : 0;
  for (size_t i = 0; i < colonna; ++i) {
    if (!continua(i)) s += (i < w.text.size() && w.text[i] == '\t') ? '\t' : ' ';
  }
  s += '^';
  for (size_t i = colonna + 1; i < colonna + static_cast<size_t>(std::max(w.width, 1)); ++i) {
    if (!continua(i)) s += '~';
  }
  return s;
}

// "FILE:LINE:COL: ", "FILE: " or "".
std::string luogo(const std::optional<SourceLocation>& w) {
  if (!w || w->file.empty()) return "";
  if (w->line <= 0) return w->file + ": ";
  return w->file + ":" + std::to_string(w->line) + ":" + std::to_string(w->column > 0 ? w->colonna_file() : 1) + ": ";
}

std::string riga_e_cursore(const std::optional<SourceLocation>& w, const Colori& c) {
  if (!w || w->line <= 0) return "";
  return mostrabile(w->text) + "\n" + c.cursore + sottolinea(*w) + c.fine + "\n";
}

}  // namespace

std::string conta(size_t n, const char* cosa) {
  return std::to_string(n) + " " + cosa + (n == 1 ? "" : "s");
}

std::string formatta_fault(const Fault& f, const StileDiagnostica& stile) {
  const Colori c = colori(stile);
  const std::string_view gravita = nome_gravita(f.gravita);
  std::string s = std::string(c.grassetto) + luogo(f.where) + c.fine + colore_di(f.gravita, c) + std::string(gravita) +
                  ":" + c.fine + " " + c.grassetto + messaggio(f) + c.fine + " [" + codice_diagnostica(f) + "]";
  if (f.dopo_il_primo) s += " (found after the first fault)";
  s += "\n" + riga_e_cursore(f.where, c);
  for (const Richiamo& r : f.richiami) {
    s += std::string(c.grassetto) + luogo(r.where) + c.fine + c.nota + "note:" + c.fine + " " + mostrabile(r.message) +
         "\n" + riga_e_cursore(r.where, c);
  }
  return s;
}

std::string formatta_faults(const FaultLog& log, const StileDiagnostica& stile) {
  std::string s;
  for (const Fault* f : log.in_ordine()) s += formatta_fault(*f, stile);
  return s;
}

std::string stringa_json(const std::string& t) {
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
std::string campi_luogo(const std::optional<SourceLocation>& w) {
  const bool riga = w && w->line > 0;
  const int colonna = riga ? (w->column > 0 ? w->colonna_file() : 1) : 0;
  const int fine = riga ? colonna + (w->width > 0 ? w->width : 1) : 0;
  return "\"file\": " + (w && !w->file.empty() ? stringa_json(w->file) : "null") +
         ", \"line\": " + numero_o_null(riga ? w->line : 0, riga) + ", \"column\": " + numero_o_null(colonna, riga) +
         ", \"end_column\": " + numero_o_null(fine, riga);
}

}  // namespace

std::string diagnostiche_json(const FaultLog& log) {
  std::string s = "[";
  bool primo = true;
  for (const Fault* f : log.in_ordine()) {
    s += primo ? "\n  {" : ",\n  {";
    primo = false;
    s += campi_luogo(f->where);
    s += ", \"severity\": " + stringa_json(std::string(nome_gravita(f->gravita)));
    s += ", \"code\": " + stringa_json(codice_diagnostica(*f));
    s += ", \"message\": " + stringa_json(messaggio(*f));
    s += ", \"position_m\": " + numero_o_null(f->posizione.value_or(0), f->posizione.has_value());
    s += std::string(", \"after_first_fault\": ") + (f->dopo_il_primo ? "true" : "false");
    s += ", \"notes\": [";
    for (size_t i = 0; i < f->richiami.size(); ++i) {
      s += (i ? ", {" : "{") + campi_luogo(f->richiami[i].where) +
           ", \"message\": " + stringa_json(f->richiami[i].message) + "}";
    }
    s += "]}";
  }
  return s + (primo ? "]\n" : "\n]\n");
}

namespace {

std::string luogo_sarif(const SourceLocation& w, const std::string* messaggio) {
  std::string s = "{";
  if (messaggio) s += "\"message\": {\"text\": " + stringa_json(*messaggio) + "}, ";
  s += "\"physicalLocation\": {\"artifactLocation\": {\"uri\": " + stringa_json(w.file) + "}";
  if (w.line > 0) {
    const int colonna = w.column > 0 ? w.colonna_file() : 1;
    s += ", \"region\": {\"startLine\": " + std::to_string(w.line) + ", \"startColumn\": " + std::to_string(colonna) +
         ", \"endColumn\": " + std::to_string(colonna + (w.width > 0 ? w.width : 1)) + "}";
  }
  return s + "}}";
}

}  // namespace

std::string diagnostiche_sarif(const FaultLog& log, const std::string& versione) {
  const std::vector<const Fault*> tutte = log.in_ordine();
  std::set<std::string> codici;
  for (const Fault* f : tutte) codici.insert(codice_diagnostica(*f));
  std::string regole;
  for (const std::string& c : codici) {
    const VoceCodice* v = trova_codice(c);
    if (!regole.empty()) regole += ", ";
    regole += "{\"id\": " + stringa_json(c);
    if (v) {
      regole += ", \"shortDescription\": {\"text\": " + stringa_json(std::string(v->titolo)) +
                "}, \"fullDescription\": {\"text\": " + stringa_json(std::string(v->significato)) + "}";
    }
    regole += "}";
  }
  std::string risultati;
  for (const Fault* f : tutte) {
    if (!risultati.empty()) risultati += ",\n        ";
    const char* livello = f->gravita == Gravita::errore ? "error" : f->gravita == Gravita::avviso ? "warning" : "note";
    risultati += "{\"ruleId\": " + stringa_json(codice_diagnostica(*f)) + ", \"level\": \"" + livello +
                 "\", \"message\": {\"text\": " +
                 stringa_json(messaggio(*f) + (f->dopo_il_primo ? " (found after the first fault)" : "")) + "}";
    if (f->where && !f->where->file.empty()) risultati += ", \"locations\": [" + luogo_sarif(*f->where, nullptr) + "]";
    if (!f->richiami.empty()) {
      risultati += ", \"relatedLocations\": [";
      for (size_t i = 0; i < f->richiami.size(); ++i) {
        if (i) risultati += ", ";
        risultati += luogo_sarif(f->richiami[i].where, &f->richiami[i].message);
      }
      risultati += "]";
    }
    risultati += "}";
  }
  return "{\n  \"$schema\": \"https://json.schemastore.org/sarif-2.1.0.json\",\n  \"version\": \"2.1.0\",\n"
         "  \"runs\": [{\n    \"tool\": {\"driver\": {\"name\": \"scenario-compiler\", \"version\": " +
         stringa_json(versione) + ", \"informationUri\": \"docs/format.md\", \"rules\": [" + regole +
         "]}},\n    \"results\": [" + (risultati.empty() ? "" : "\n        " + risultati + "\n    ") + "]\n  }]\n}\n";
}

std::string testo_errore(const std::string& a) { return " Errore n. " + a; }

}  // namespace sc
