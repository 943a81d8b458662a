// ScriptedPrompts answers in order, records every question and fails a test on a question it
// was not told to expect.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include "common/scriptedprompts.h"
#include "widgets/prompts.h"

TEST(ScriptedPrompts, AnswersInOrderAndRecordsEveryCall) {
    ScriptedPrompts prompts;
    prompts.expect("Confirm", "Delete this record?", Prompts::Yes)
        .answer(Prompts::No)
        .answerFile("/tmp/x.DBF")
        .answerFont(QFont("Courier"))
        .answerColor(QColor(1, 2, 3))
        .answerPrint(false);
    Prompts& p = Prompts::instance();
    EXPECT_EQ(&p, &prompts);
    EXPECT_TRUE(p.confirm(nullptr, "Delete this record?"));
    p.beep();
    EXPECT_EQ(p.message(nullptr, "Warning", "Really?", Prompts::Yes | Prompts::No, Prompts::No,
                        Prompts::Icon::Warning),
              Prompts::No);
    EXPECT_EQ(p.openFile(nullptr, "Open Database", "Database Files (*.DBF)", "DBF", "/tmp"), "/tmp/x.DBF");
    EXPECT_EQ(p.font(nullptr, QFont("Arial"))->family(), "Courier");
    EXPECT_EQ(*p.color(nullptr, Qt::red), QColor(1, 2, 3));
    EXPECT_FALSE(p.print(nullptr, nullptr));
    EXPECT_TRUE(prompts.done());

    ASSERT_EQ(prompts.calls().size(), 7u);
    EXPECT_EQ(prompts.beeps(), 1);
    auto messages = prompts.messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].caption, "Confirm");
    EXPECT_EQ(messages[0].buttons, Prompts::Yes | Prompts::No);
    EXPECT_EQ(messages[0].defaultButton, Prompts::No);
    EXPECT_EQ(messages[0].icon, Prompts::Icon::Question);
    EXPECT_EQ(messages[1].icon, Prompts::Icon::Warning);
    const auto& open = prompts.calls()[3];
    EXPECT_EQ(open.kind, ScriptedPrompts::Kind::OpenFile);
    EXPECT_EQ(open.caption, "Open Database");
    EXPECT_EQ(open.filter, "Database Files (*.DBF)");
    EXPECT_EQ(open.defaultSuffix, "DBF");
}

TEST(ScriptedPrompts, RestoresThePreviousPrompts) {
    Prompts* before = &Prompts::instance();
    {
        ScriptedPrompts inner;
        EXPECT_EQ(&Prompts::instance(), &inner);
    }
    EXPECT_EQ(&Prompts::instance(), before);
}

TEST(ScriptedPrompts, UnexpectedQuestionFailsTheTestAndGetsTheSafeAnswer) {
    ScriptedPrompts prompts;
    Prompts::Button answer = Prompts::Yes;
    EXPECT_NONFATAL_FAILURE(answer = Prompts::instance().message(nullptr, "Confirm", "Delete this record?",
                                                                 Prompts::Yes | Prompts::No, Prompts::No,
                                                                 Prompts::Icon::Question),
                            "Unexpected question: message box [Confirm] \"Delete this record?\"");
    EXPECT_EQ(answer, Prompts::No);
    QString file = "x";
    EXPECT_NONFATAL_FAILURE(file = Prompts::instance().saveFile(nullptr, "Export", "*.TXT", "TXT", "", true),
                            "Unexpected question: save file dialog \"Export\"");
    EXPECT_TRUE(file.isEmpty());
}

TEST(ScriptedPrompts, WrongMessageOrKindFails) {
    ScriptedPrompts prompts;
    prompts.expect("Confirm", "Delete this record?", Prompts::Yes);
    EXPECT_NONFATAL_FAILURE(Prompts::instance().error(nullptr, "Something else."),
                            "Expected the message [Confirm] \"Delete this record?\"");
    prompts.answerFile("/tmp/a");
    EXPECT_NONFATAL_FAILURE(Prompts::instance().confirm(nullptr, "Sure?"),
                            "while the next answer is file name");
    prompts.clearQueue();
    prompts.answer(Prompts::Cancel);
    EXPECT_NONFATAL_FAILURE(Prompts::instance().confirm(nullptr, "Sure?"), "is not a button of");
}

TEST(ScriptedPrompts, AnswerLeftUnusedFailsAtTheEnd) {
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedPrompts prompts;
            prompts.answer(Prompts::Yes);
        },
        "Queued answer never asked for: message answer Yes");
}

TEST(Prompts, InstallNullRestoresTheRealDialogs) {
    Prompts* before = &Prompts::instance();
    ScriptedPrompts scripted;
    Prompts::install(nullptr);
    EXPECT_NE(&Prompts::instance(), &scripted);
    EXPECT_NE(&Prompts::instance(), before); // the test main's strict prompts are not the real ones
    Prompts::install(&scripted);
}
