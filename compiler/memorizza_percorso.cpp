#include "compiler/memorizza_percorso.h"

#include <utility>

#include "compiler/cell_pass.h"
#include "compiler/memorizza_dati.h"
#include "compiler/output_files.h"

namespace sc {

ContenutoFile::ContenutoFile(std::string bytes) : proprio_(std::move(bytes)) {
  size_ = proprio_.size();
  if (size_ > 0) tratti_.push_back({nullptr, 0, size_});
}

void ContenutoFile::aggiungi_copia(const char* p, size_t n) {
  if (n == 0) return;
  unito_.reset();
  if (!tratti_.empty() && tratti_.back().esterno == nullptr) {
    tratti_.back().n += n;  // owned pieces are consecutive in proprio_
  } else {
    tratti_.push_back({nullptr, proprio_.size(), n});
  }
  proprio_.append(p, n);
  size_ += n;
}

void ContenutoFile::aggiungi_riferimento(const char* p, size_t n) {
  if (n == 0) return;
  unito_.reset();
  if (!tratti_.empty() && tratti_.back().esterno != nullptr && tratti_.back().esterno + tratti_.back().n == p) {
    tratti_.back().n += n;
  } else {
    tratti_.push_back({p, 0, n});
  }
  size_ += n;
}

std::vector<std::string_view> ContenutoFile::pezzi() const {
  std::vector<std::string_view> v;
  v.reserve(tratti_.size());
  for (const Tratto& t : tratti_) v.emplace_back(t.esterno != nullptr ? t.esterno : proprio_.data() + t.inizio, t.n);
  return v;
}

std::string ContenutoFile::unito() const {
  std::string s;
  s.reserve(size_);
  for (std::string_view v : pezzi()) s.append(v);
  return s;
}

ContenutoFile::operator std::string_view() const {
  if (tratti_.empty()) return {};
  if (tratti_.size() == 1) return pezzi().front();
  if (!unito_) unito_ = unito();
  return *unito_;
}

Compilazione memorizza_percorso(Percorso& p, int32_t j, const Sorgenti& sorgenti, FaultLog& log) {
  p.modo = j;
  p.codice_errore = 0;  // posizione_errore keeps its value
  for (Elemento& e : p.elementi) e = Elemento{};
  memorizza_dati(p, sorgenti, log);
  return completa_compilazione(p, log);
}

Compilazione completa_compilazione(Percorso& p, FaultLog& log) {
  Compilazione c;
  // A parse that ended before the line length was read (or with a length
  // too short for cell 1) leaves no cell to mark: nothing is written.
  if (p.celle.size() < 2) {
    c.stato = Compilazione::Stato::senza_celle;
    return c;
  }

  passo_celle(p, log);

  c.stato = marca_e_codifica(p);
  if (c.stato != Compilazione::Stato::pronto) return c;

  if (p.modo != 0) c.files.push_back({CompiledKind::tracciato, pezzi_tracciato(p.tracciato)});
  c.files.push_back({CompiledKind::elementi, serializza_elementi(p.elementi)});
  c.files.push_back({CompiledKind::celle, serializza_celle(p.celle)});
  return c;
}

}  // namespace sc
