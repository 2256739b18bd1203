#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/settings.h"

using Titles = std::vector<std::string>;

struct SplitCase {
    const char* note;
    std::string text;
    const char* delimiters;
    Titles expected;
};

TEST(SplitTokens, Table) {
    const SplitCase cases[] = {
        {"double bar between", "a||b", "|", {"a", "b"}},
        {"leading and trailing bar", "|a|", "|", {"a"}},
        {"empty text", "", "|", {}},
        {"only delimiters", "||||", "|", {}},
        {"three spaces are a sentence", "   ", "|", {"   "}},
        {"spaces stay inside", " a | b ", "|", {" a ", " b "}},
        {"profile form", "Notepad|Calculator|", "|", {"Notepad", "Calculator"}},
        {"no delimiter at all", "x", "|", {"x"}},
        {"bars before and after", "||a||b", "|", {"a", "b"}},
        {"blank dialog line", "Notepad\r\n\r\nWord\r\n", "\r\n", {"Notepad", "Word"}},
        {"lone CR", "a\rb", "\r\n", {"a", "b"}},
        {"lone LF", "a\nb", "\r\n", {"a", "b"}},
        {"LF CR mix", "\n\ra\n\rb\r", "\r\n", {"a", "b"}},
        {"only a CR", "\r", "\r\n", {}},
        {"only an LF", "\n", "\r\n", {}},
        {"a bar is text in the dialog form", "a|b\r\n", "\r\n", {"a|b"}},
        {"CR LF is text in the profile form", "a\r\nb|", "|", {"a\r\nb"}},
        {"duplicates stay", "a|a|a", "|", {"a", "a", "a"}},
        {"high bytes are ordinary", "caf\xe9|\xff\x80", "|", {"caf\xe9", "\xff\x80"}},
    };
    for (const SplitCase& c : cases) {
        Titles list;
        splitTokens(c.text, c.delimiters, list);
        EXPECT_EQ(list, c.expected) << c.note;
    }
}

TEST(SplitTokens, AppendsWithoutClearing) {
    Titles list = {"kept"};
    splitTokens("a|b", "|", list);
    EXPECT_EQ(list, (Titles{"kept", "a", "b"}));
}

TEST(JoinedForms, TwoSentencesAndEmpty) {
    const Titles two = {"Notepad", "Calculator"};
    EXPECT_EQ(joinProfileForm(two), "Notepad|Calculator|");
    EXPECT_EQ(joinDialogForm(two), "Notepad\r\nCalculator\r\n");
    EXPECT_EQ(joinProfileForm({}), "");
    EXPECT_EQ(joinDialogForm({}), "");
}

TEST(JoinedForms, BarInsideSentenceSplitsOnReload) {
    const std::string form = joinProfileForm({"a|b"});
    EXPECT_EQ(form, "a|b|");
    Titles reloaded;
    splitTokens(form, kProfileDelimiters, reloaded);
    EXPECT_EQ(reloaded, (Titles{"a", "b"}));
}

// Far past the old 1024-byte buffers: both forms must come out whole.
TEST(JoinedForms, LongListsRoundTrip) {
    Titles many;
    std::string expectedProfile;
    std::string expectedDialog;
    for (int i = 0; i < 500; ++i) {
        const std::string sentence = "Sentence " + std::to_string(1000 + i);
        many.push_back(sentence);
        expectedProfile += sentence + "|";
        expectedDialog += sentence + "\r\n";
    }
    many.push_back(std::string(5000, 'w'));  // one sentence longer than a buffer
    expectedProfile += std::string(5000, 'w') + "|";
    expectedDialog += std::string(5000, 'w') + "\r\n";

    const std::string profileForm = joinProfileForm(many);
    const std::string dialogForm = joinDialogForm(many);
    ASSERT_GT(profileForm.size(), 1024u);
    EXPECT_EQ(profileForm, expectedProfile);
    EXPECT_EQ(dialogForm, expectedDialog);
    EXPECT_EQ(dialogForm.size(), profileForm.size() + many.size());

    Titles fromProfile;
    splitTokens(profileForm, kProfileDelimiters, fromProfile);
    EXPECT_EQ(fromProfile, many);
    Titles fromDialog;
    splitTokens(dialogForm, kDialogDelimiters, fromDialog);
    EXPECT_EQ(fromDialog, many);
}
