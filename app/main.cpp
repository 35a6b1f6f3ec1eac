#include "app/esegui_scenario.h"

int main() { return sc::avvia_programma(); }
