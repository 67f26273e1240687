#include <gtest/gtest.h>

#include <string>

#include "core/error.h"
#include "histdata/dde_channel.h"

namespace hdq {
namespace {

long NumberOf(void (*action)(DdeChannel&), DdeChannel& channel) {
    try {
        action(channel);
    } catch (const VrxError& e) {
        return e.Number();
    }
    return 0;
}

// Natively there is no DDE at all; on Windows nobody offers this service. Either way the
// request session must see the same numbered failures and a closed link.
TEST(PlatformDdeChannel, WithNoServerRefusesToOpenAndHasNoChannelToUse) {
    auto channel = MakePlatformDdeChannel();
    channel->linkTopic = "hdqnosuchservice|nosuchtopic";
    channel->linkTimeout = 10;
    EXPECT_EQ(dde_err::NoResponse, NumberOf([](DdeChannel& c) { c.SetLinkMode(LinkMode::Manual); }, *channel));
    EXPECT_EQ(LinkMode::None, channel->linkMode());
    channel->linkItem = "DATADIR";
    channel->text = "C:\\x";
    EXPECT_EQ(dde_err::NoChannel, NumberOf([](DdeChannel& c) { c.LinkPoke(); }, *channel));
    EXPECT_EQ(dde_err::NoChannel, NumberOf([](DdeChannel& c) { c.LinkRequest(); }, *channel));
    EXPECT_EQ(0, NumberOf([](DdeChannel& c) { c.SetLinkMode(LinkMode::None); }, *channel));
}

}  // namespace
}  // namespace hdq
