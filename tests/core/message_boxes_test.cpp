#include <gtest/gtest.h>

#include "core/message_boxes.h"

namespace corvane {
namespace {

TEST(MessageBoxes, ScriptedAnswersAreGivenInOrderAndRunOutAsNo) {
    ScopedScriptedMessageBoxes boxes;
    boxes.queueAnswer(true);
    ShowInformation("hello");
    EXPECT_TRUE(AskYesNo("first?", "T1"));
    EXPECT_FALSE(AskYesNoDefaultNo("second?", "T2"));
    ASSERT_EQ(boxes.shown().size(), 3u);
    EXPECT_EQ(boxes.shown()[0].title, "Information");
    EXPECT_EQ(boxes.shown()[2].kind, ScriptedMessageBoxes::Shown::YesNoDefaultNo);
    EXPECT_EQ(boxes.texts(), QStringList({"hello", "first?", "second?"}));
}

TEST(MessageBoxes, WithoutAnImplementationQuestionsAreAnsweredNo) {
    setMessageBoxes(nullptr);
    EXPECT_FALSE(AskYesNo("q", "t"));
    EXPECT_FALSE(AskYesNoDefaultNo("q", "t"));
}

}  // namespace
}  // namespace corvane
