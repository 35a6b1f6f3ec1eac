#include "output/diagnostics.h"

#include <cctype>

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

// "error N: MESSAGE", with " (at P m)" when the fault has a position that
// the message does not already give.
std::string intestazione(const Fault& f) {
  std::string s = "error " + std::to_string(f.codice) + ": " + mostrabile(f.message);
  if (f.posizione && !da_la_posizione(f.message, *f.posizione)) s += " (at " + std::to_string(*f.posizione) + " m)";
  return s;
}

// The caret line under a field: blanks up to the field (tabs kept, so the
// caret lines up however tabs are shown), then "^" and one "~" for every
// further character of the field.
std::string sottolinea(const SourceLocation& w) {
  std::string s;
  const size_t colonna = w.column > 1 ? static_cast<size_t>(w.column - 1) : 0;
  for (size_t i = 0; i < colonna; ++i) s += (i < w.text.size() && w.text[i] == '\t') ? '\t' : ' ';
  s += '^';
  if (w.width > 1) s.append(static_cast<size_t>(w.width - 1), '~');
  return s;
}

}  // namespace

std::string formatta_fault(const Fault& f) {
  if (f.where && f.where->line > 0) {
    const SourceLocation& w = *f.where;
    return w.file + ":" + std::to_string(w.line) + ": " + intestazione(f) + "\n" + mostrabile(w.text) + "\n" + sottolinea(w) +
           "\n";
  }
  if (f.where && !f.where->file.empty()) return f.where->file + ": " + intestazione(f) + "\n";
  return intestazione(f) + "\n";
}

std::string formatta_faults(const FaultLog& log) {
  std::string s;
  for (const Fault& f : log.all()) s += formatta_fault(f);
  return s;
}

std::string testo_errore(const std::string& a) { return " Errore n. " + a; }

}  // namespace sc
