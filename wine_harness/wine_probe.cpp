// The probe's 32-bit console program: it prints its word only if Wine ran it.
#include <cstdio>

int main() {
  std::puts("posrelay-wine32-ok");
  return 0;
}
