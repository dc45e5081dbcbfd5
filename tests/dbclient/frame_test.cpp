#include <gtest/gtest.h>

#include "frame.h"

namespace frame = dalvero::frame;

TEST(Frame, LittleEndianHeaderAndZeroTerminatedPayload) {
    const auto bytes = frame::EncodeHeader({0x01020304, 31001, 20004});
    EXPECT_EQ(bytes[0], 0x04);
    EXPECT_EQ(bytes[3], 0x01);
    const auto back = frame::DecodeHeader(bytes.data());
    EXPECT_EQ(back.length, 0x01020304u);
    EXPECT_EQ(back.command, 31001u);
    EXPECT_EQ(back.subCommand, 20004u);

    const auto f = frame::Encode(20002, 0, "V2,Cases");
    ASSERT_TRUE(f);
    ASSERT_EQ(f->size(), 12u + 9u);
    EXPECT_EQ(f->back(), '\0');
    EXPECT_TRUE(frame::Encode(1, 0, std::string(49'988, 'x')));
    EXPECT_FALSE(frame::Encode(1, 0, std::string(49'989, 'x')));
}
