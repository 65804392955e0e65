#pragma once
// Two-set Korean typing: builds one precomposed syllable at a time out of
// compatibility jamo (U+3131..U+3163), the way Korean users expect.
#include <string>
#include <vector>

namespace aygshell {

class HangulComposer {
public:
    // True for the compatibility jamo a two-set keyboard can type.
    static bool IsJamo(wchar_t c);

    // Feeds one jamo. Returns the text finished by it (empty, or one
    // syllable or lone jamo); the syllable in progress is Current().
    std::wstring Input(wchar_t jamo);
    // Takes back the last jamo typed into the syllable in progress; false
    // when nothing is being composed.
    bool Backspace();
    // The syllable in progress, or 0.
    wchar_t Current() const;
    bool Composing() const { return !history_.empty(); }
    // Ends composing; returns the syllable that was in progress (or 0).
    wchar_t Finish();

private:
    struct State {
        wchar_t initial = 0;  // compatibility consonant
        wchar_t medial = 0;   // compatibility vowel
        wchar_t final = 0;    // compatibility consonant, possibly a pair
    };
    static wchar_t Compose(const State& s);
    void Push(const State& s) { history_.push_back(s); }
    std::wstring Restart(const State& next);

    // Every state since the syllable began: Backspace steps back one.
    std::vector<State> history_;
};

}  // namespace aygshell
