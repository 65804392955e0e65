// Random notification requests to a running taskbar, checked against a model
// of the icons it should hold. ZEN_FUZZ_SEED, ZEN_FUZZ_ROUNDS and
// ZEN_FUZZ_SECONDS choose the seed, the rounds or a time to run.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>

#include "ShellProcess.h"
#include "ce/shell/NotifyWire.h"

namespace {

unsigned long EnvNumber(const char* name, unsigned long fallback)
{
    const char* v = std::getenv(name);
    return v && *v ? std::strtoul(v, nullptr, 10) : fallback;
}

TEST(ShellFuzz, RequestsAnswerAsTheIconsStand)
{
    const uint32_t seed = static_cast<uint32_t>(EnvNumber("ZEN_FUZZ_SEED", 20261207));
    const unsigned long rounds = EnvNumber("ZEN_FUZZ_ROUNDS", 3000);
    const unsigned long seconds = EnvNumber("ZEN_FUZZ_SECONDS", 0);
    std::mt19937 rng(seed);

    shelltest::ShellProcess shell;
    ASSERT_NE(nullptr, shell.Bar());
    HWND owners[2];
    for (HWND& w : owners)
        w = CreateWindowW(L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    const HWND gone = reinterpret_cast<HWND>(0x7ff0);
    ASSERT_FALSE(IsWindow(gone));
    const HWND candidates[3] = {owners[0], owners[1], gone};

    std::set<std::pair<HWND, uint32_t>> model;
    const DWORD start = GetTickCount();
    unsigned long done = 0;
    while (seconds ? GetTickCount() - start < seconds * 1000 : done < rounds) {
        ++done;
        ceshell::NotifyIconWire wire;
        auto* bytes = reinterpret_cast<uint8_t*>(&wire);
        for (size_t i = 0; i < sizeof wire; ++i)
            bytes[i] = static_cast<uint8_t>(rng());
        const int kind = rng() % 8;
        wire.message = kind < 7 ? kind % 3 : rng();  // NIM_ADD, NIM_MODIFY, NIM_DELETE, or anything
        wire.id = rng() % 6;
        const HWND owner = candidates[rng() % 3];
        wire.owner = reinterpret_cast<uintptr_t>(owner);
        // Now and then a block of the wrong size or tag.
        const int shape = rng() % 20;
        COPYDATASTRUCT cds = {ceshell::kNotifyCopyData, sizeof wire, &wire};
        if (shape == 0)
            cds.cbData = rng() % sizeof wire;
        else if (shape == 1)
            cds.dwData = rng();
        const LRESULT got = SendMessageW(shell.Bar(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds));

        bool expect = false;
        const auto key = std::make_pair(owner, wire.id);
        const bool whole = cds.cbData == sizeof wire && cds.dwData == ceshell::kNotifyCopyData;
        if (whole && wire.message == NIM_ADD && owner != gone && !model.count(key) && model.size() < 8) {
            expect = true;
            model.insert(key);
        } else if (whole && wire.message == NIM_MODIFY) {
            expect = model.count(key) != 0;
        } else if (whole && wire.message == NIM_DELETE) {
            expect = model.erase(key) != 0;
        }
        ASSERT_EQ(expect ? 1 : 0, got) << "seed " << seed << " round " << done << " message " << wire.message;
    }
    // Still answering, and every icon left can be removed.
    DWORD_PTR alive = 0;
    EXPECT_TRUE(SendMessageTimeoutW(shell.Bar(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &alive));
    for (const auto& icon : model) {
        ceshell::NotifyIconWire wire = {};
        wire.message = NIM_DELETE;
        wire.id = icon.second;
        wire.owner = reinterpret_cast<uintptr_t>(icon.first);
        COPYDATASTRUCT cds = {ceshell::kNotifyCopyData, sizeof wire, &wire};
        EXPECT_EQ(1, SendMessageW(shell.Bar(), WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds)));
    }
    for (HWND w : owners)
        DestroyWindow(w);
    std::printf("fuzz shell: rounds %lu seed %u\n", done, seed);
}

}  // namespace
