#include "ce/aygshell/HangulComposer.h"

#include <cwchar>

namespace aygshell {

namespace {

// Index orders of the precomposed block U+AC00.
const wchar_t kInitials[] = L"ㄱㄲㄴㄷㄸㄹㅁㅂㅃㅅㅆㅇㅈㅉㅊㅋㅌㅍㅎ";
const wchar_t kFinals[] = L"ㄱㄲㄳㄴㄵㄶㄷㄹㄺㄻㄼㄽㄾㄿㅀㅁㅂㅄㅅㅆㅇㅈㅊㅋㅌㅍㅎ";  // index + 1
constexpr wchar_t kFirstVowel = 0x314F;  // ㅏ
constexpr wchar_t kLastVowel = 0x3163;   // ㅣ

struct Pair {
    wchar_t first, second, both;
};
const Pair kVowelPairs[] = {
    {L'ㅗ', L'ㅏ', L'ㅘ'}, {L'ㅗ', L'ㅐ', L'ㅙ'}, {L'ㅗ', L'ㅣ', L'ㅚ'}, {L'ㅜ', L'ㅓ', L'ㅝ'},
    {L'ㅜ', L'ㅔ', L'ㅞ'}, {L'ㅜ', L'ㅣ', L'ㅟ'}, {L'ㅡ', L'ㅣ', L'ㅢ'},
};
const Pair kFinalPairs[] = {
    {L'ㄱ', L'ㅅ', L'ㄳ'}, {L'ㄴ', L'ㅈ', L'ㄵ'}, {L'ㄴ', L'ㅎ', L'ㄶ'}, {L'ㄹ', L'ㄱ', L'ㄺ'},
    {L'ㄹ', L'ㅁ', L'ㄻ'}, {L'ㄹ', L'ㅂ', L'ㄼ'}, {L'ㄹ', L'ㅅ', L'ㄽ'}, {L'ㄹ', L'ㅌ', L'ㄾ'},
    {L'ㄹ', L'ㅍ', L'ㄿ'}, {L'ㄹ', L'ㅎ', L'ㅀ'}, {L'ㅂ', L'ㅅ', L'ㅄ'},
};

bool IsVowel(wchar_t c) { return c >= kFirstVowel && c <= kLastVowel; }
bool IsInitial(wchar_t c) { return c && std::wcschr(kInitials, c); }
bool IsFinal(wchar_t c) { return c && std::wcschr(kFinals, c); }

template <size_t N>
wchar_t Join(const Pair (&pairs)[N], wchar_t a, wchar_t b)
{
    for (const Pair& p : pairs)
        if (p.first == a && p.second == b)
            return p.both;
    return 0;
}

const Pair* SplitFinal(wchar_t both)
{
    for (const Pair& p : kFinalPairs)
        if (p.both == both)
            return &p;
    return nullptr;
}

}  // namespace

bool HangulComposer::IsJamo(wchar_t c)
{
    return IsVowel(c) || IsInitial(c) || IsFinal(c);
}

wchar_t HangulComposer::Compose(const State& s)
{
    if (s.initial && s.medial) {
        const int i = static_cast<int>(std::wcschr(kInitials, s.initial) - kInitials);
        const int m = s.medial - kFirstVowel;
        const int f = s.final ? static_cast<int>(std::wcschr(kFinals, s.final) - kFinals) + 1 : 0;
        return static_cast<wchar_t>(0xAC00 + (i * 21 + m) * 28 + f);
    }
    return s.initial ? s.initial : s.medial;
}

wchar_t HangulComposer::Current() const
{
    return history_.empty() ? 0 : Compose(history_.back());
}

wchar_t HangulComposer::Finish()
{
    const wchar_t c = Current();
    history_.clear();
    return c;
}

// Finishes the syllable in progress and begins a new one at `next`.
std::wstring HangulComposer::Restart(const State& next)
{
    std::wstring done;
    if (const wchar_t c = Finish())
        done.push_back(c);
    Push(next);
    return done;
}

std::wstring HangulComposer::Input(wchar_t jamo)
{
    if (!IsJamo(jamo))
        return {};
    const bool vowel = IsVowel(jamo);
    if (history_.empty()) {
        State s;
        (vowel ? s.medial : s.initial) = jamo;
        Push(s);
        return {};
    }
    State s = history_.back();
    if (vowel) {
        if (s.final) {
            // The final (or the second half of a pair) moves on to begin
            // the next syllable with this vowel.
            State kept = s;
            State next;
            next.initial = s.final;
            kept.final = 0;
            if (const Pair* p = SplitFinal(s.final)) {
                kept.final = p->first;
                next.initial = p->second;
            }
            history_.back() = kept;
            std::wstring done = Restart(next);
            next.medial = jamo;
            Push(next);
            return done;
        }
        if (s.medial) {
            if (const wchar_t both = Join(kVowelPairs, s.medial, jamo)) {
                s.medial = both;
                Push(s);
                return {};
            }
            State next;
            next.medial = jamo;
            return Restart(next);
        }
        s.medial = jamo;  // an initial alone takes its vowel
        Push(s);
        return {};
    }
    // A consonant.
    if (s.initial && s.medial) {
        if (!s.final && IsFinal(jamo)) {
            s.final = jamo;
            Push(s);
            return {};
        }
        if (s.final) {
            if (const wchar_t both = Join(kFinalPairs, s.final, jamo)) {
                s.final = both;
                Push(s);
                return {};
            }
        }
    }
    State next;
    next.initial = IsInitial(jamo) ? jamo : 0;
    if (!next.initial) {
        // A pair such as ㄳ cannot begin a syllable: it stands alone.
        std::wstring done = Restart(next);
        history_.clear();
        done.push_back(jamo);
        return done;
    }
    return Restart(next);
}

bool HangulComposer::Backspace()
{
    if (history_.empty())
        return false;
    history_.pop_back();
    return true;
}

}  // namespace aygshell
