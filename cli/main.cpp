#include "cli/cli.h"

int main(int argc, char** argv) { return sc::esegui_riga_di_comando(argc, argv); }
