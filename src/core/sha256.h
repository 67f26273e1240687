#pragma once
// SHA-256 (FIPS 180-4), fed in pieces: the journal proves what the importer was given without
// holding a second copy of the file.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace hdq {

class Sha256 {
public:
    Sha256();
    void Update(std::string_view bytes);
    // 64 lower-case hex digits. The object is spent afterwards: feed a new one.
    std::string Final();

private:
    void Block(const unsigned char* p);

    std::array<uint32_t, 8> h_;
    std::array<unsigned char, 64> buffer_{};
    size_t used_ = 0;
    uint64_t length_ = 0;  // bytes fed so far
};

}  // namespace hdq
