#include <cstdio>

int main() {
    std::fprintf(stderr, "wavesmith-cli: no commands yet\n");
    return 2;
}
