#pragma once
// The DDE client channel seam: the properties and operations the request session needs.
// The DDEML channel (dde_channel_win32.cpp) talks to a real server; tests use a recording fake.
// Failures raise hdq::VrxError with a DDE error number and description:
//   282 "No foreign application responded to a DDE initiate" (conversation refused)
//   285 "Foreign application won't perform DDE method or operation" (poke/request refused)
//   286 "Timeout occurred while waiting for DDE response"
//   293 "DDE method invoked with no channel open"
#include <cstdint>
#include <memory>
#include <string>

namespace hdq {

namespace dde_err {
inline constexpr long NoResponse = 282;
inline constexpr long Refused = 285;
inline constexpr long Timeout = 286;
inline constexpr long NoChannel = 293;
}  // namespace dde_err

enum class LinkMode : int { None = 0, Manual = 2 };

class DdeChannel {
public:
    virtual ~DdeChannel() = default;
    std::string text;        // what a poke sends, and what a request puts back
    std::string linkTopic;   // "application|topic"
    std::string linkItem;
    int32_t linkTimeout = 50;  // tenths of a second

    LinkMode linkMode() const { return mode_; }
    // Manual opens (or reopens) the conversation named by linkTopic; None closes it.
    virtual void SetLinkMode(LinkMode mode) = 0;
    virtual void LinkPoke() = 0;     // sends text as the new value of linkItem
    virtual void LinkRequest() = 0;  // asks for linkItem's value into text

protected:
    LinkMode mode_ = LinkMode::None;
};

// The platform's channel: DDEML on Windows; natively a channel whose every operation fails.
std::unique_ptr<DdeChannel> MakePlatformDdeChannel();

}  // namespace hdq
