// The program's name as it prefixes every message, and its exit statuses:
//
//   0  compiled without fault (or the command did its work)
//   1  compiled, with faults reported (or the compile stopped before the
//      cells existed: nothing compiled written)
//   2  usage error, or an input file that cannot be read
//   3  reserved-slot clash ("Errore n. 1250" / "1251"): nothing compiled written
//   4  an output file could not be written
#pragma once

namespace sc {

inline constexpr const char* nome_programma = "scenario-compiler";

inline constexpr int stato_ok = 0;
inline constexpr int stato_con_errori = 1;
inline constexpr int stato_uso = 2;
inline constexpr int stato_errore_riservato = 3;
inline constexpr int stato_file_non_scritto = 4;

}  // namespace sc
