// scenario-compiler-plot: the plot command (Cairo). The main program hands
// the command to it; its options are defined in plot_options.cpp.
namespace sc {
int plot_main(int argc, char** argv);
}

int main(int argc, char** argv) { return sc::plot_main(argc, argv); }
