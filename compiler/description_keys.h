// The keys of the line and the train description, one table per part: how
// the parse tells each key in a key field, the key as the exported scenario
// writes it, how many values its entry reads. The parsers dispatch on these
// tables, unknown-key warnings suggest from them, and the viewer finds the
// entries that place something at a position with them.
#pragma once

#include <cstddef>
#include <iterator>
#include <span>
#include <string_view>
#include <vector>

namespace sc {

struct DescriptionKey {
  // A field holds this key when it contains `word`, and `also` too unless
  // that is empty; letter case is ignored unless `exact_case`.
  std::string_view word;
  std::string_view also;
  bool exact_case;
  // The entry as reads and faults name it.
  const char* name;
  int values;
  // As the exported scenario writes the key: what an unknown key is
  // compared with for a suggestion (a second form, or empty).
  std::string_view written[2];
  // The entry's first value is a position along the line, in metres.
  bool positioned;
};

// The general section of the line description.
enum class LineGeneralKey {
  lunghezza_percorso,
  progressiva_uno,
  progressiva_due,
  progressiva_tre,
  sfondo_uno,
  sfondo_due,
  sfondo_tre,
  ripetizione_segnali,
};
inline constexpr DescriptionKey line_general_keys[] = {
    {"lunghezza", "percorso", false, "lunghezza percorso", 1, {"lunghezza percorso"}, false},
    {"progressiva",
     "uno",
     true,
     "progressiva chilometrica uno",
     3,
     {"progressiva chilometrica uno"},
     false},
    {"progressiva",
     "due",
     true,
     "progressiva chilometrica due",
     3,
     {"progressiva chilometrica due"},
     false},
    {"progressiva",
     "tre",
     true,
     "progressiva chilometrica tre",
     3,
     {"progressiva chilometrica tre"},
     false},
    {"sfondo", "uno", true, "sfondo uno", 1, {"sfondo uno"}, false},
    {"sfondo", "due", true, "sfondo due", 1, {"sfondo due"}, false},
    {"sfondo", "tre", true, "sfondo tre", 1, {"sfondo tre"}, false},
    {"ripetizione",
     "segnali",
     true,
     "ripetizione segnali",
     2,
     {"ripetizione segnali 9 codici", "ripetizione segnali 4 codici"},
     false},
};

// The element sections of the line description.
enum class LineElementKey { pendenza, curva, montagna, indicatori_vmax, cartello_indicatore };
inline constexpr DescriptionKey line_element_keys[] = {
    {"pendenza", "", false, "pendenza", 2, {"pendenza"}, true},
    {"curva", "", false, "curva", 2, {"curvad1", "curvas1"}, true},
    {"montagna", "", false, "montagna", 3, {"montagna"}, true},
    {"indicatori_v", "", false, "indicatori_vmax", 9, {"indicatori_vmax"}, true},
    {"cartello", "indicat", false, "cartello_indicatore", 2, {"cartello_indicatore"}, true},
};

// The train description, in the order its parse tries the keys.
enum class TrainKey {
  percentuale_massa_frenata,
  numero_vetture,
  velocita,
  aderenza,
  orologio,
  sabbia,
  segnale,
  rallentamento,
  abbattimento,
  stazione,
};
inline constexpr DescriptionKey train_keys[] = {
    {"frenata",
     "massa",
     false,
     "percentuale massa frenata",
     1,
     {"percentuale massa frenata"},
     false},
    {"vetture", "", false, "numero vetture", 1, {"numero vetture"}, false},
    {"velocit", "", false, "velocita", 2, {"velocita"}, true},
    {"aderenza", "", false, "aderenza", 2, {"aderenza"}, true},
    {"orologio", "", false, "orologio", 3, {"orologio"}, false},
    {"sabbia", "", false, "sabbia", 1, {"sabbia"}, false},
    {"segnale", "", false, "segnale", 11, {"segnale"}, true},
    {"rallentamento", "", false, "rallentamento", 6, {"rallentamento"}, true},
    {"abbattimento", "", false, "abbattimento", 2, {"abbattimento"}, true},
    {"stazione", "", false, "stazione", 17, {"stazione"}, true},
};

// The section labels the exported descriptions write, in their order. In
// the line description "[generale]" opens the general section and the next
// label ends it; the others only help the reader, as the train
// description's labels do (everything before "[generale]" is skipped).
inline constexpr std::string_view line_section_labels[] = {
    "[generale]", "[curve]", "[pendenze]", "[montagne]", "[cartelli]", "[indicazioni]", "[fine]"};
inline constexpr std::string_view train_section_labels[] = {
    "[generale]",      "[aderenze]", "[vel_limite]", "[stazioni]",
    "[rallentamenti]", "[segnali]",  "[codici]",     "[fine]"};

inline constexpr const DescriptionKey& key_of(LineGeneralKey k) {
  return line_general_keys[static_cast<size_t>(k)];
}
inline constexpr const DescriptionKey& key_of(LineElementKey k) {
  return line_element_keys[static_cast<size_t>(k)];
}
inline constexpr const DescriptionKey& key_of(TrainKey k) {
  return train_keys[static_cast<size_t>(k)];
}

// Each enumeration names the rows of its table, in order.
static_assert(std::size(line_general_keys) ==
              static_cast<size_t>(LineGeneralKey::ripetizione_segnali) + 1);
static_assert(std::size(line_element_keys) ==
              static_cast<size_t>(LineElementKey::cartello_indicatore) + 1);
static_assert(std::size(train_keys) == static_cast<size_t>(TrainKey::stazione) + 1);

// Whether `field` holds `key`.
bool holds_key(const DescriptionKey& key, std::string_view field);

// The words that tell the keys of a part (a word may come twice): a hyphen
// field holding one is a disabled entry, a field after a cut text holding
// one a new entry.
std::vector<std::string_view> key_words(std::span<const DescriptionKey> keys);

// The keys of a part as written, in table order, for suggestions.
std::vector<std::string_view> written_keys(std::span<const DescriptionKey> keys);

// Whether the entry whose key field is `field` places something at the
// position its first value gives (a gradient, a curve, a signal ...), by
// the keys of both descriptions.
bool key_with_position(std::string_view field);

}  // namespace sc
