#include <cstdio>

int main() {
    std::fputs("Vantello: the main window is not built yet. Run scripts/test to check the core.\n",
               stderr);
    return 0;
}
