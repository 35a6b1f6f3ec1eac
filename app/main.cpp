#include <cstdio>

int main() {
  std::puts("scenario-compiler: not yet wired");
  return 0;
}
