// scenario-compiler-run: the embedded run, with its status window and error
// box (FLTK, X11). The main program hands the run to it; its options are
// defined in run_options.cpp.
namespace sc {
int run_main(int argc, char** argv);
}

int main(int argc, char** argv) { return sc::run_main(argc, argv); }
