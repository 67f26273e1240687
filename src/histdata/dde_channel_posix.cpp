#include "core/error.h"
#include "histdata/dde_channel.h"

namespace hdq {
namespace {

// There is no DDE outside Windows: no server ever answers, so no channel is ever open.
class NoDdeChannel : public DdeChannel {
public:
    void SetLinkMode(LinkMode mode) override {
        mode_ = LinkMode::None;
        if (mode != LinkMode::None) {
            throw VrxError(dde_err::NoResponse, "No foreign application responded to a DDE initiate");
        }
    }
    void LinkPoke() override { throw NoChannel(); }
    void LinkRequest() override { throw NoChannel(); }

private:
    static VrxError NoChannel() { return VrxError(dde_err::NoChannel, "DDE method invoked with no channel open"); }
};

}  // namespace

std::unique_ptr<DdeChannel> MakePlatformDdeChannel() { return std::make_unique<NoDdeChannel>(); }

}  // namespace hdq
