#include <gtest/gtest.h>

#include "TestSupport.h"
#include "UsedMessageIds.h"
#include "zoratmsg.h"

using namespace testing_support;

namespace {

// Every identifier the programs report has an English and a Japanese text,
// of one line but for the usage texts, which are printed as they stand.
TEST(MessageFile, EveryUsedMessageHasBothLanguages)
{
    const std::string messageFile = BuildDirectory() + "\\bin\\zoratmsg.dll";
    ASSERT_GT(sizeof(USED_MESSAGE_IDS) / sizeof(USED_MESSAGE_IDS[0]), 0u);
    for (unsigned long id : USED_MESSAGE_IDS) {
        const std::string english = MessageText(messageFile, id, 0x409);
        const std::string japanese = MessageText(messageFile, id, 0x411);
        EXPECT_FALSE(english.empty()) << std::hex << id << " has no English text";
        EXPECT_FALSE(japanese.empty()) << std::hex << id << " has no Japanese text";
        if (id == MSG_USAGE_BACKUP || id == MSG_USAGE_RESTORE) continue;
        EXPECT_EQ(std::string::npos, english.find_first_of("\r\n")) << std::hex << id;
    }
}

}  // namespace
