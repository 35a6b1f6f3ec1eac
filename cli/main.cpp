// scenario-compiler: its options are defined in options.cpp.
namespace sc {
int esegui_riga_di_comando(int argc, char** argv);
}

int main(int argc, char** argv) { return sc::esegui_riga_di_comando(argc, argv); }
