#include <cstdio>

int main() {
    std::puts("kv47310-cli");
    return 0;
}
