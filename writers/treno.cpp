// Train description: general values, adhesion, speed limits, stations, an empty
// restriction section, signals, cab-code points.

#include "writers/content.h"
#include "writers/scenario.h"

namespace sc {

const std::vector<std::string>& train_table() {
  static const std::vector<std::string> table{
      "[generale]",
      "numero vetture,    12",
      "percentuale massa frenata,    130",
      "sabbia,    300",
      "orologio,    11              20            0 ",
      "[aderenze]",
      "aderenza,   0,    100",
      "[vel_limite]",
      "velocita,   0,    30",
      "velocita,    1500,   250",
      "[stazioni]",
      "stazione,       0,  8,  700,  0, 0, 0,  1,1,0,  4,1,1,    1,   0, 0, 0, CORVALE CENTRALE",
      "stazione,   29950, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,    0,   0, 0, 0, SAN PELLEGRINO",
      "stazione,   93700,  6,  800,  0, 0, 0,  1,1,0,  2,1,1,    1,  11,50, 0, PRAVENA S.M.N",
      "[rallentamenti]",
      "[segnali]",
      "segnale,    3500,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,    7500,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,    9500,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   12000,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   14500,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   17000,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   19000,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   21500,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   23500,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   25500,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   28000,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   31500,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   33500,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   36000,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   38000,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   40500,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   42000,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   43500,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   45500,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   47500,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   50500,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   53500,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   57000,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   60000,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   63000,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   65000,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   68000,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   70500,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   72500,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   77000,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   79000,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   80500,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   82000,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   83700,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   85700,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   88200,   2, 4, 1,  1, 0,    2,  2,1,1, 0",
      "segnale,   91450,   2, 3, 1,  1, 0,    2,  2,1,1, 0",
      "[codici]",
      "abbattimento,   83400,   280",
      "abbattimento,   84900,   180",
      "[fine]",
      marcatore_fine,
  };
  return table;
}

}  // namespace sc
