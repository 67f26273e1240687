#pragma once
// Sets a flag for exactly the life of a scope, whichever way the scope is left: the guard of
// work that a message dispatched inside it could start a second time.
namespace hdq {

class ScopedFlag {
public:
    explicit ScopedFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~ScopedFlag() { flag_ = false; }
    ScopedFlag(const ScopedFlag&) = delete;
    ScopedFlag& operator=(const ScopedFlag&) = delete;

private:
    bool& flag_;
};

}  // namespace hdq
