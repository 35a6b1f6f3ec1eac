// A C++ program that does nothing: the start-up that `check` is compared
// with (linked with the C++ standard library, loaded though unused).
int main() { return 0; }
