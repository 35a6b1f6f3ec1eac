// scenario-compiler: its options are defined in options.cpp.
namespace sc {
int run_command_line(int argc, char** argv);
}

int main(int argc, char** argv) { return sc::run_command_line(argc, argv); }
