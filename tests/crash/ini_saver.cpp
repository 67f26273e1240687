// The child of the INI crash-safety test on Windows: saves the two known INI versions in turn
// until the test terminates it. Arguments: the INI file, the file to create after the first save.
#include <string>

#include "core/files.h"
#include "ini_generations.h"

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const std::string ini = argv[1];
    const std::string ready = argv[2];
    hdq::VRXConfiguration first, second;
    hdq::test::MakeGeneration(first, 'A', ini);
    hdq::test::MakeGeneration(second, 'B', ini);
    return hdq::test::SaveGenerationsForever(first, second, [&] { return hdq::fsys::WriteAll(ready, "ready"); });
}
