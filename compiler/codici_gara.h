// The contest codes: check numbers of the scenario identity (train number
// and scenario name), stamped into the compiled files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/percorso.h"

namespace sc {

// Appended to the joined identity so that 25 characters always exist.
inline constexpr std::string_view riempitivo_gara = "aabbccddeeffgghhiillmmnnoo";
// How many characters of the working text count.
constexpr int contest_chars = 25;

// The working text: train number and scenario name joined without
// separator, lower-cased in Windows-1252, followed by the filler.
std::string contest_text(std::string_view numero_treno, std::string_view nome_scenario);

// The plain sum of the Windows-1252 codes of the first 25 characters of a
// working text (0 to 6375), and the sum weighted by position, the first
// character counting once and the 25th 25 times (0 to 82875). The text must
// hold at least 25 characters, as every working text does.
int16_t contest_sum(std::string_view text);
int32_t weighted_contest_sum(std::string_view text);

// The two codes of the model's identity, read from the `nome` of records 86
// (train number) and 85 (scenario name). Each leaves its working text in
// `riga`.
int16_t codice_gara_og(Percorso& p);
int32_t codice_gara_st(Percorso& p);

}  // namespace sc
