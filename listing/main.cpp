// scenario-compiler-inspect: the inspect command (JSON). The main program
// hands the command to it; its options are defined in program_options.cpp.
namespace sc {
int inspect_main(int argc, char** argv);
}

int main(int argc, char** argv) { return sc::inspect_main(argc, argv); }
