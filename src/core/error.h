#pragma once
// The one exception type of the program: a numbered error with its description,
// raised where a routine reports a numbered failure to its caller.
#include <stdexcept>
#include <string>

namespace hdq {

class VrxError : public std::runtime_error {
public:
    VrxError(long number, std::string description)
        : std::runtime_error(description), number_(number), description_(std::move(description)) {}
    long Number() const noexcept { return number_; }
    const std::string& Description() const noexcept { return description_; }

private:
    long number_;
    std::string description_;
};

// Numbers used across the program.
namespace err {
inline constexpr long InvalidProcedureCall = 5;   // missing key in a table
inline constexpr long DuplicateKey = 457;         // key already in a table
inline constexpr long Overflow = 6;               // number does not fit its type
inline constexpr long TypeMismatch = 13;          // text is not a number, date or Boolean
inline constexpr long SubscriptOutOfRange = 9;    // cursor read past the end
inline constexpr long FileNotFound = 53;
inline constexpr long PathNotFound = 76;
inline constexpr long PermissionDenied = 70;
inline constexpr long DeviceUnavailable = 68;
inline constexpr long HashTable = 1001;
inline constexpr long MissingConfigKey = 10781;
}  // namespace err

}  // namespace hdq
