#pragma once
// Move-only owners of DDEML handles. String and data handles belong to a DDEML instance, so
// each owner remembers the instance it must give the handle back to. Header only: the
// HistData stand-in uses them too.
#include <windows.h>
#include <ddeml.h>

#include <string>
#include <utility>

namespace hdq::dde {

// One DDEML instance of the calling thread; uninitialised on destruction, which also ends
// every conversation the instance still has.
class Instance {
public:
    Instance() = default;
    ~Instance() { reset(); }
    Instance(const Instance&) = delete;
    Instance& operator=(const Instance&) = delete;
    Instance(Instance&& o) noexcept : id_(std::exchange(o.id_, 0)) {}
    Instance& operator=(Instance&& o) noexcept {
        if (this != &o) {
            reset();
            id_ = std::exchange(o.id_, 0);
        }
        return *this;
    }
    // Returns the DMLERR_ code of DdeInitializeA (DMLERR_NO_ERROR on success).
    UINT Initialize(PFNCALLBACK callback, DWORD flags) {
        reset();
        DWORD id = 0;
        const UINT rc = DdeInitializeA(&id, callback, flags, 0);
        if (rc == DMLERR_NO_ERROR) id_ = id;
        return rc;
    }
    DWORD get() const { return id_; }
    explicit operator bool() const { return id_ != 0; }
    void reset() {
        if (id_) DdeUninitialize(std::exchange(id_, 0));
    }

private:
    DWORD id_ = 0;
};

class StringHandle {
public:
    StringHandle() = default;
    StringHandle(DWORD inst, const std::string& text)
        : inst_(inst), h_(DdeCreateStringHandleA(inst, text.c_str(), CP_WINANSI)) {}
    ~StringHandle() { reset(); }
    StringHandle(const StringHandle&) = delete;
    StringHandle& operator=(const StringHandle&) = delete;
    StringHandle(StringHandle&& o) noexcept : inst_(o.inst_), h_(std::exchange(o.h_, nullptr)) {}
    StringHandle& operator=(StringHandle&& o) noexcept {
        if (this != &o) {
            reset();
            inst_ = o.inst_;
            h_ = std::exchange(o.h_, nullptr);
        }
        return *this;
    }
    HSZ get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void reset() {
        if (h_) DdeFreeStringHandle(inst_, std::exchange(h_, nullptr));
    }

private:
    DWORD inst_ = 0;
    HSZ h_ = nullptr;
};

class Conversation {
public:
    Conversation() = default;
    explicit Conversation(HCONV h) : h_(h) {}
    ~Conversation() { reset(); }
    Conversation(const Conversation&) = delete;
    Conversation& operator=(const Conversation&) = delete;
    Conversation(Conversation&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    Conversation& operator=(Conversation&& o) noexcept {
        if (this != &o) {
            reset();
            h_ = std::exchange(o.h_, nullptr);
        }
        return *this;
    }
    HCONV get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void reset() {
        if (h_) DdeDisconnect(std::exchange(h_, nullptr));
    }

private:
    HCONV h_ = nullptr;
};

// A data handle received from a transaction (the receiver frees it). Handles that are
// returned to DDEML from a server callback are owned by DDEML and must not be put in here.
class DataHandle {
public:
    DataHandle() = default;
    explicit DataHandle(HDDEDATA h) : h_(h) {}
    ~DataHandle() { reset(); }
    DataHandle(const DataHandle&) = delete;
    DataHandle& operator=(const DataHandle&) = delete;
    DataHandle(DataHandle&& o) noexcept : h_(std::exchange(o.h_, nullptr)) {}
    DataHandle& operator=(DataHandle&& o) noexcept {
        if (this != &o) {
            reset();
            h_ = std::exchange(o.h_, nullptr);
        }
        return *this;
    }
    HDDEDATA get() const { return h_; }
    explicit operator bool() const { return h_ != nullptr; }
    void reset() {
        if (h_) DdeFreeDataHandle(std::exchange(h_, nullptr));
    }

private:
    HDDEDATA h_ = nullptr;
};

// The text of a CF_TEXT data handle, up to its first NUL.
inline std::string TextOf(HDDEDATA data) {
    if (!data) return {};
    const DWORD size = DdeGetData(data, nullptr, 0, 0);
    std::string text(size, '\0');
    if (size) DdeGetData(data, reinterpret_cast<LPBYTE>(text.data()), size, 0);
    const auto nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    return text;
}

// The text of a string handle.
inline std::string TextOf(DWORD inst, HSZ hsz) {
    if (!hsz) return {};
    const DWORD len = DdeQueryStringA(inst, hsz, nullptr, 0, CP_WINANSI);
    std::string text(len + 1, '\0');
    DdeQueryStringA(inst, hsz, text.data(), len + 1, CP_WINANSI);
    text.resize(len);
    return text;
}

}  // namespace hdq::dde
