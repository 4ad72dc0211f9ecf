// The queue list read in one call gives what reading Queue1, Queue2, ... one key at a time
// through the platform gives, on ordinary and awkward profiles alike.
#include "config/QueueList.h"
#include "config/NumberedKeys.h"
#include "tests/driver/TestFiles.h"

#include <gtest/gtest.h>

namespace
{
const std::string kDir = "C:\\kel-unit\\queues";

std::vector<std::string> ReadKeyByKey(const CProfileFile& profile)
{
    std::vector<std::string> names;
    for (long n = 1;; ++n)
    {
        const std::string name =
            profile.GetString("Queues", FormatNumberedKey("Queue%d", n).c_str());
        if (name.empty())
            return names;
        names.push_back(name);
    }
}
} // namespace

TEST(QueueListTest, OneReadGivesWhatKeyByKeyReadsGive)
{
    DeleteTree(kDir);
    ASSERT_TRUE(MakeDirectories(kDir));
    const std::string many = []
    {
        std::string text = "[Queues]\r\n";
        for (int n = 1; n <= 1200; ++n)
            text += "Queue" + std::to_string(n) + "=Q" + std::to_string(n) + "\r\n";
        return text;
    }();
    const std::string profiles[] = {
        "[Queues]\r\nQueue1=Beta\r\nQueue2=Alpha\r\nQueue4=Delta\r\n",
        "[Queues]\r\nQueue2=Alpha\r\n",
        "[queues]\r\nqueue1=lower\r\nQUEUE2=UPPER\r\n",
        "[Queues]\r\nQueue1 = spaced name \r\nQueue2=\"quoted name\"\r\nQueue3='single'\r\n",
        "[Queues]\r\nQueue1=first\r\nQueue1=second\r\nQueue2=x\r\n",
        "[Queues]\r\nQueue1=a\r\nQueue2=\r\nQueue3=c\r\n",
        "[Queues]\r\nQueue01=zero padded\r\nQueue1=plain\r\nQueue2\r\n",
        "[Queues]\r\nQueue1=" + std::string(1500, 'n') + "\r\n",
        "[Queues]\r\nQueue1=a\r\nQueue4000000000=too large\r\nQueue2147483648=x\r\n",
        "[Other]\r\nQueue1=elsewhere\r\n[Queues]\r\nQueue1=here\r\n[Queues2]\r\nQueue2=not "
        "here\r\n",
        many,
        "",
    };
    int index = 0;
    for (const std::string& text : profiles)
    {
        const std::string path = kDir + "\\p" + std::to_string(index++) + ".ini";
        ASSERT_TRUE(WriteFileText(path, text));
        const CProfileFile profile(path);
        EXPECT_EQ(ReadQueueNames(profile), ReadKeyByKey(profile)) << text.substr(0, 200);
    }
    DeleteTree(kDir);
}
