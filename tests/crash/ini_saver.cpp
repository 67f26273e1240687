// The child of the INI crash-safety test on Windows: saves the two known INI versions in turn
// until the test terminates it. Arguments: the INI file, the file to create after the first save.
#include "ini_generations.h"

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    return hdq::test::SaveGenerationsUntilKilled(argv[1], argv[2]);
}
