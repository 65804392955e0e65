// Korean syllable composition from two-set keyboard jamo.
#include <gtest/gtest.h>

#include <string>

#include "ce/aygshell/HangulComposer.h"

using aygshell::HangulComposer;

namespace {

// Types `keys` as the panel would into an empty text ('<' is backspace)
// and returns the text as shown, the syllable in progress included.
std::wstring Typed(const std::wstring& keys, HangulComposer* composer = nullptr)
{
    HangulComposer own;
    HangulComposer& h = composer ? *composer : own;
    std::wstring text;
    for (wchar_t k : keys) {
        if (k == L'<') {
            if (h.Composing())
                h.Backspace();
            else if (!text.empty())
                text.pop_back();
        } else {
            text += h.Input(k);
        }
    }
    if (const wchar_t c = h.Current())
        return text + c;
    return text;
}

TEST(HangulComposer, ComposesSyllablesWhileTyping)
{
    EXPECT_EQ(L"한글", Typed(L"ㅎㅏㄴㄱㅡㄹ"));
    EXPECT_EQ(L"안녕하세요", Typed(L"ㅇㅏㄴㄴㅕㅇㅎㅏㅅㅔㅇㅛ"));
    // Doubled consonants and the shifted vowels.
    EXPECT_EQ(L"빨래", Typed(L"ㅃㅏㄹㄹㅐ"));
    EXPECT_EQ(L"있어", Typed(L"ㅇㅣㅆㅇㅓ"));
    EXPECT_EQ(L"얘예", Typed(L"ㅇㅒㅇㅖ"));
    // ㄸ ㅃ ㅉ are never finals: they begin the next syllable.
    EXPECT_EQ(L"가따", Typed(L"ㄱㅏㄸㅏ"));
    EXPECT_EQ(L"가ㄸ", Typed(L"ㄱㅏㄸ"));
}

TEST(HangulComposer, FinalMovesOnWhenAVowelFollows)
{
    EXPECT_EQ(L"하나", Typed(L"ㅎㅏㄴㅏ"));
    // A final pair gives its second half to the next syllable.
    EXPECT_EQ(L"닭", Typed(L"ㄷㅏㄹㄱ"));
    EXPECT_EQ(L"달기", Typed(L"ㄷㅏㄹㄱㅣ"));
    EXPECT_EQ(L"값이", Typed(L"ㄱㅏㅂㅅㅇㅣ"));
    EXPECT_EQ(L"갑시", Typed(L"ㄱㅏㅂㅅㅣ"));
    EXPECT_EQ(L"않아", Typed(L"ㅇㅏㄴㅎㅇㅏ"));
    // Two consonants that make no pair: the second begins a syllable.
    EXPECT_EQ(L"각ㄷ", Typed(L"ㄱㅏㄱㄷ"));
    // A third consonant after a pair.
    EXPECT_EQ(L"읽ㄱ", Typed(L"ㅇㅣㄹㄱㄱ"));
}

TEST(HangulComposer, CompoundVowels)
{
    EXPECT_EQ(L"과", Typed(L"ㄱㅗㅏ"));
    EXPECT_EQ(L"왜", Typed(L"ㅇㅗㅐ"));
    EXPECT_EQ(L"쉬워", Typed(L"ㅅㅜㅣㅇㅜㅓ"));
    EXPECT_EQ(L"의", Typed(L"ㅇㅡㅣ"));
    // Vowels that make no pair finish the syllable; the second stands alone.
    EXPECT_EQ(L"가ㅏ", Typed(L"ㄱㅏㅏ"));
    EXPECT_EQ(L"ㅘ", Typed(L"ㅗㅏ"));
    // A lone consonant or vowel followed by a consonant stays as it is.
    EXPECT_EQ(L"ㄱㄴ", Typed(L"ㄱㄴ"));
    EXPECT_EQ(L"ㅏ나", Typed(L"ㅏㄴㅏ"));
}

TEST(HangulComposer, BackspaceTakesBackOneJamo)
{
    HangulComposer h;
    EXPECT_EQ(L"한", Typed(L"ㅎㅏㄴ", &h));
    const wchar_t steps[] = {L'하', L'ㅎ'};
    for (wchar_t expected : steps) {
        ASSERT_TRUE(h.Backspace());
        EXPECT_EQ(expected, h.Current());
    }
    ASSERT_TRUE(h.Backspace());
    EXPECT_EQ(0, h.Current());
    EXPECT_FALSE(h.Composing());
    EXPECT_FALSE(h.Backspace());

    // Pairs come apart one jamo at a time.
    EXPECT_EQ(L"달", Typed(L"ㄷㅏㄹㄱ<"));
    EXPECT_EQ(L"다", Typed(L"ㄷㅏㄹㄱ<<"));
    EXPECT_EQ(L"과", Typed(L"ㄱㅗㅏㄴ<"));
    EXPECT_EQ(L"고", Typed(L"ㄱㅗㅏ<"));
    EXPECT_EQ(L"ㄱ", Typed(L"ㄱㅗㅏ<<"));
    // After a final moved on, the finished syllable is not opened again:
    // backspace takes the new syllable's jamo, then whole characters.
    EXPECT_EQ(L"달ㄱ", Typed(L"ㄷㅏㄹㄱㅣ<"));
    EXPECT_EQ(L"달", Typed(L"ㄷㅏㄹㄱㅣ<<"));
    EXPECT_EQ(L"", Typed(L"ㄷㅏㄹㄱㅣ<<<"));
    // Composing goes on after a backspace.
    EXPECT_EQ(L"한글", Typed(L"ㅎㅏㄹ<ㄴㄱㅡㄹ"));
}

TEST(HangulComposer, FinishEndsComposingAndIgnoresOtherCharacters)
{
    HangulComposer h;
    EXPECT_TRUE(h.Input(L'ㄱ').empty());
    EXPECT_TRUE(h.Input(L'ㅏ').empty());
    EXPECT_EQ(L'가', h.Finish());
    EXPECT_FALSE(h.Composing());
    EXPECT_EQ(0, h.Finish());
    EXPECT_TRUE(h.Input(L'a').empty());
    EXPECT_TRUE(h.Input(L'가').empty());
    EXPECT_FALSE(h.Composing());
    // Every syllable of the block can be reached from its jamo.
    EXPECT_EQ(L"힣", Typed(L"ㅎㅣㅎ"));
    EXPECT_EQ(L"가", Typed(L"ㄱㅏ"));
}

}  // namespace
