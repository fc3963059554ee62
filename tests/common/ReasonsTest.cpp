// Every reason code and every named field has both wordings, from one table.
#include "common/Reasons.h"

#include <gtest/gtest.h>

namespace velnor {
namespace {

bool hasJapanese(const std::string& s)
{
    for (unsigned char c : s)
        if (c >= 0xE3) // the lead byte of kana and most kanji in UTF-8
            return true;
    return false;
}

TEST(Reasons, EveryCodeAndFieldHasBothWordings)
{
    EXPECT_TRUE(patternsInCodeOrder());
    for (int i = 0; i < kReasonCodeCount; ++i) {
        const Reason r{static_cast<ReasonCode>(i), "tubeVoltageKv", -75, 1, 150, "kV", "abc"};
        const std::string en = inEnglish(r), ja = inJapanese(r);
        EXPECT_FALSE(en.empty());
        EXPECT_FALSE(hasJapanese(en) && en.find("abc") == std::string::npos) << i << ": " << en;
        EXPECT_TRUE(hasJapanese(ja)) << i << ": " << ja;
        // Every placeholder is filled in.
        EXPECT_EQ(en.find('{'), std::string::npos) << i << ": " << en;
        EXPECT_EQ(ja.find('{'), std::string::npos) << i << ": " << ja;
        EXPECT_NE(en, ja) << i;
    }
    std::size_t count = 0;
    const char* const* fields = namedFields(count);
    EXPECT_GT(count, 40u);
    for (std::size_t i = 0; i < count; ++i) {
        EXPECT_FALSE(hasJapanese(fieldNameEnglish(fields[i]))) << fields[i];
        EXPECT_TRUE(hasJapanese(fieldNameJapanese(fields[i])) || std::string(fields[i]).rfind("racetrack", 0) == 0) << fields[i];
    }
    // A range names the value, its limits and its unit in both.
    const Reason range{ReasonCode::OutOfRange, "tubeCurrentMa", 0, 0.001, 10000, "mA", {}};
    EXPECT_EQ(inEnglish(range), "tube current 0 mA: it must lie between 0.001 and 10000 mA");
    EXPECT_EQ(inJapanese(range), "Ｘ線管電流が 0 mA です。0.001 〜 10000 mA の範囲で入力して下さい");
    EXPECT_EQ(inJapanese({ReasonCode::NotANumberTyped, "tubeVoltageKv", 0, 0, 0, {}, "abc"}), "Ｘ線管電圧の欄が数値ではありません");
    // The system's words a user meets most are Japanese too, with the next step where it is plain.
    EXPECT_EQ(inJapanese({ReasonCode::FileCannotOpen, {}, 0, 0, 0, {}, {}, "No such file or directory"}),
              "開けません（ファイルまたはフォルダがありません）");
    EXPECT_NE(inJapanese({ReasonCode::FileCannotWrite, {}, 0, 0, 0, {}, {}, "No space left on device"}).find("ディスクがいっぱい"),
              std::string::npos);
    EXPECT_NE(inJapanese({ReasonCode::FileCannotWrite, {}, 0, 0, 0, {}, {}, "Read-only file system"}).find("別のフォルダに保存"),
              std::string::npos);
    EXPECT_EQ(inEnglish({ReasonCode::FileCannotOpen, {}, 0, 0, 0, {}, {}, "No such file or directory"}),
              "cannot be opened for reading (No such file or directory)");
}

} // namespace
} // namespace velnor
