// Seeded random mutations of what a module sends (response blocks,
// unsolicited codes, received messages full of escapes, caller ids, noise,
// over-long lines, zero bytes), fed to the response parser in pieces of any
// size. Each piece lies right before a page that cannot be read, so reading
// past the bytes given ends the process.
//
//   ZEN_FUZZ_SEED     seed of the run (every round derives its own from it)
//   ZEN_FUZZ_ROUNDS   rounds to run (default: a few seconds' worth)
//   ZEN_FUZZ_SECONDS  run rounds until this many seconds have passed instead
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "modem/AtCommandTable.h"
#include "modem/CCeMAtParser.h"
#include "modem/ModemMessages.h"

namespace {

const uint32_t kDefaultSeed = 20261207;
const uint64_t kDefaultRounds = 50000;

struct FuzzSettings {
    uint32_t seed = kDefaultSeed;
    uint64_t rounds = kDefaultRounds;
    double seconds = 0;  // > 0: run for this long instead of a round count
};

FuzzSettings ReadSettings()
{
    FuzzSettings s;
    if (const char* v = getenv("ZEN_FUZZ_SEED"))
        s.seed = static_cast<uint32_t>(strtoul(v, nullptr, 0));
    if (const char* v = getenv("ZEN_FUZZ_ROUNDS"))
        s.rounds = strtoull(v, nullptr, 0);
    if (const char* v = getenv("ZEN_FUZZ_SECONDS"))
        s.seconds = atof(v);
    return s;
}

// Each round has a seed of its own, so one failing round can be replayed.
uint32_t RoundSeed(uint32_t seed, uint64_t round)
{
    uint64_t z = (static_cast<uint64_t>(seed) << 32) + round + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<uint32_t>(z ^ (z >> 31));
}

// Bytes that end exactly where an unreadable page begins.
class GuardedBytes {
public:
    GuardedBytes()
    {
        SYSTEM_INFO si;
        GetSystemInfo(&si);
        m_page = si.dwPageSize;
    }
    ~GuardedBytes() { Release(); }
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;

    const char* Place(const char* data, size_t n)
    {
        const size_t pages = (n + m_page - 1) / m_page + 1;
        if (pages > m_pages) {
            Release();
            m_base = static_cast<char*>(
                VirtualAlloc(nullptr, (pages + 1) * m_page, MEM_RESERVE | MEM_COMMIT,
                             PAGE_READWRITE));
            if (!m_base)
                return nullptr;
            DWORD old;
            VirtualProtect(m_base + pages * m_page, m_page, PAGE_NOACCESS, &old);
            m_pages = pages;
        }
        char* at = m_base + m_pages * m_page - n;
        memcpy(at, data, n);
        return at;
    }

private:
    void Release()
    {
        if (m_base)
            VirtualFree(m_base, 0, MEM_RELEASE);
        m_base = nullptr;
        m_pages = 0;
    }
    size_t m_page = 4096;
    size_t m_pages = 0;
    char* m_base = nullptr;
};

bool Terminated(const char* field, size_t size) { return memchr(field, 0, size) != nullptr; }

bool ValidCallState(LONG s)
{
    switch (s) {
    case CALL_IDLE: case CALL_SETUP: case CALL_RINGING: case CALL_CONNECTED:
    case CALL_NO_CARRIER: case CALL_NO_DIALTONE: case CALL_NO_ANSWER: case CALL_LOCKED:
        return true;
    default:
        return false;
    }
}

std::string RecordFault(const ModemSmsRecord& r)
{
    if (!Terminated(r.index, sizeof r.index) || !Terminated(r.timeStamp, sizeof r.timeStamp) ||
        !Terminated(r.number, sizeof r.number) ||
        !Terminated(r.teleservice, sizeof r.teleservice) || !Terminated(r.body, sizeof r.body))
        return "a message record field without its terminator";
    if (strlen(r.body) > 255)
        return "a message body over 255 bytes";
    return {};
}

// The parser as the link drives it, checking everything it hands over.
class FuzzParser : public CCeMAtParser {
public:
    std::string fault;  // the first broken promise, empty while none
    int lastId = -1;
    int lastOk = -1;
    uint64_t blocks = 0;
    uint64_t records = 0;       // message records handed over
    uint64_t readRequests = 0;  // new-message notices that ask for a read
    uint64_t sentNotices = 0;

    void Put(GuardedBytes& guard, const std::string& bytes, std::mt19937& rng)
    {
        size_t at = 0;
        while (at < bytes.size() && fault.empty()) {
            size_t n = 1 + rng() % (rng() % 4 == 0 ? 1100 : 40);
            if (n > bytes.size() - at)
                n = bytes.size() - at;
            const char* p = guard.Place(bytes.data() + at, n);
            if (!p) {
                fault = "no memory for the input";
                return;
            }
            if (Feed(p, static_cast<int>(n)))
                DispatchUnsolicited();
            at += n;
        }
    }

    // What must hold whatever was fed.
    void CheckState()
    {
        if (!fault.empty())
            return;
        if (!ValidCallState(CallState))
            fault = "call state " + std::to_string(CallState);
        else if (!Terminated(CallerNumber, sizeof CallerNumber) ||
                 !Terminated(WaitingCallerNumber, sizeof WaitingCallerNumber))
            fault = "a caller number without its terminator";
        else if (CallerIdSource < 0 || CallerIdSource > 2)
            fault = "caller id source " + std::to_string(CallerIdSource);
        else if (SmsRecordCount < 0 || SmsRecordCount > MAX_SMS_RECORDS)
            fault = "record count " + std::to_string(SmsRecordCount);
        else if (!Terminated(Status.moduleTime, sizeof Status.moduleTime) ||
                 !Terminated(Status.dialInfo, sizeof Status.dialInfo) ||
                 !Terminated(Status.moduleVersion, sizeof Status.moduleVersion))
            fault = "a status text without its terminator";
        for (int i = 0; fault.empty() && i < SmsRecordCount; ++i)
            fault = RecordFault(SmsRecords[i]);
    }

protected:
    void OnBlockResult(int id, int ok) override
    {
        ++blocks;
        lastId = id;
        lastOk = ok;
        const AtCommandRow* row = FindAtCommandRow(id);
        if (!row || row->id != id)
            fault = "result for id " + std::to_string(id);
        else if (ok != 0 && ok != 1)
            fault = "result " + std::to_string(ok);
        else if (!BlockEcho)
            fault = "a block without its echo";
        else if (BlockLineCount < 0 || BlockLineCount > MAX_BLOCK_LINES)
            fault = "block of " + std::to_string(BlockLineCount) + " lines";
        for (int i = 0; fault.empty() && i < BlockLineCount; ++i) {
            if (!BlockLines[i] || strnlen(BlockLines[i], LINE_STORE) >= LINE_STORE)
                fault = "block line " + std::to_string(i) + " unbounded";
        }
        if (fault.empty() && strnlen(BlockEcho, LINE_STORE) >= LINE_STORE)
            fault = "echo unbounded";
        ForgetBlock();
        ClearRowResults();
    }

    void NotifyMessageWindow(UINT msg, WPARAM w, LPARAM l) override
    {
        if (!fault.empty())
            return;
        if (msg == WM_MODEM_SMSSENT) {
            ++sentNotices;
            if (w > 1 || l != 0)
                fault = "sent notice " + std::to_string(w);
            return;
        }
        if (msg != WM_MODEM_SMSNEW) {
            fault = "message " + std::to_string(msg);
            return;
        }
        if (w == 0) {
            ++readRequests;
            if (l != 0)
                fault = "a read request with records";
            return;
        }
        if (w > static_cast<WPARAM>(MAX_SMS_RECORDS) ||
            l != reinterpret_cast<LPARAM>(&SmsRecords[0])) {
            fault = "delivery of " + std::to_string(w) + " records";
            return;
        }
        records += w;
        for (WPARAM i = 0; i < w && fault.empty(); ++i)
            fault = RecordFault(SmsRecords[i]);
    }
};

// --- realistic streams -------------------------------------------------------

class StreamMaker {
public:
    explicit StreamMaker(std::mt19937& rng) : m_rng(rng) {}

    std::string Stream()
    {
        std::string s;
        const int pieces = 1 + Pick(12);
        for (int i = 0; i < pieces; ++i) {
            switch (Pick(9)) {
            case 0: case 1: s += Block(); break;
            case 2: case 3: s += MessageBlock(); break;
            case 4: case 5: s += Unsolicited(); break;
            case 6: s += Noise(1 + Pick(200)); break;
            case 7: s += std::string(1 + Pick(3 * CCeMAtParser::LINE_STORE),
                                     static_cast<char>('A' + Pick(26))) +
                         (Pick(2) ? "\r\n" : ""); break;
            default: s += Broken(); break;
            }
        }
        return s;
    }

    void Mutate(std::string& s)
    {
        const int count = Pick(9);
        for (int i = 0; i < count; ++i) {
            const size_t at = s.empty() ? 0 : Pick(static_cast<int>(s.size()));
            switch (Pick(8)) {
            case 0:
                if (!s.empty())
                    s[at] = static_cast<char>(s[at] ^ (1 << Pick(8)));
                break;
            case 1:
                if (!s.empty())
                    s[at] = Special();
                break;
            case 2: s.insert(at, std::string(1 + Pick(4), Special())); break;
            case 3: s.erase(at, Pick(40)); break;
            case 4: s.insert(at, s.substr(at, Pick(300))); break;
            case 5: s.resize(at); break;
            case 6: s.insert(at, Noise(1 + Pick(16))); break;
            default: s.insert(at, Pick(2) ? Block() : Unsolicited()); break;
            }
        }
    }

private:
    int Pick(int n) { return n <= 0 ? 0 : static_cast<int>(m_rng() % static_cast<unsigned>(n)); }

    char Special()
    {
        static const char kSpecial[] = {'\r', '\n', '\0', ',', '\\', '"', '?', 'O', 'K',
                                        '\xB0', '\xFF', '$', '*'};
        return kSpecial[Pick(sizeof kSpecial)];
    }

    std::string Noise(int n)
    {
        std::string s;
        for (int i = 0; i < n; ++i)
            s += static_cast<char>(m_rng());
        return s;
    }

    std::string Digits(int n)
    {
        std::string s;
        for (int i = 0; i < n; ++i)
            s += static_cast<char>('0' + Pick(10));
        return s;
    }

    std::string Echo()
    {
        const AtCommandRow& row = AtCommandTable[Pick(AT_COMMAND_COUNT)];
        char out[AT_MAX_LINE + 1];
        int n;
        if (!(row.id & AT_ARG_FLAG)) {
            n = BuildAtCommand(row.id, nullptr, AT_ARG_NONE, out);
        } else if (row.form == AtArgForm::Dial || row.form == AtArgForm::Text) {
            const std::string number = Digits(Pick(40));
            n = BuildAtCommand(row.id, number.c_str(), AT_ARG_SZ, out);
        } else if (row.form == AtArgForm::Line) {
            const std::string line = "AT$SMSMO0=" + Digits(10) + ",4098,\"" + Noise(Pick(30)) + "\"\r\n";
            n = BuildAtCommand(row.id, line.c_str(), AT_ARG_TEXT, out);
        } else {
            const unsigned char value = static_cast<unsigned char>(Pick(10));
            n = BuildAtCommand(row.id, &value, AT_ARG_BYTE, out);
        }
        const std::string wire = n > 0 ? std::string(out, n) : "AT";
        return wire.substr(0, wire.find('\r'));
    }

    std::string ValueLine()
    {
        switch (Pick(10)) {
        case 0: return "3.85";
        case 1: return Digits(14);
        case 2: return Digits(1);
        case 3: return Digits(1 + Pick(3)) + "," + Digits(1 + Pick(3));
        case 4: {
            std::string s = Digits(3);
            for (int i = 0; i < 10; ++i)
                s += "," + std::string(Pick(2) ? "-" : "") + Digits(1 + Pick(5));
            return s + "." + Digits(2);
        }
        case 5: return "ZM-1X2000 V1.20 2004-03-15";
        case 6: return Digits(Pick(80));
        case 7: return "";
        case 8: return Noise(Pick(60));
        default: return "OK";
        }
    }

    std::string Final()
    {
        switch (Pick(4)) {
        case 0: return "ERROR";
        case 1: return "ok";
        default: return "OK";
        }
    }

    // Echo with its CR, the CR LF that opens the block, lines, the final line
    // and the echoed LF that ends it.
    std::string Block()
    {
        std::string s = Echo() + "\r\r\n";
        const int lines = Pick(4);
        for (int i = 0; i < lines; ++i)
            s += ValueLine() + "\r\n";
        return s + "\r\n" + Final() + "\r\n\n";
    }

    std::string Body()
    {
        static const char* kEscapes[] = {"\\\\", "\\x3B", "\\x3b", "\\X3B", "\\'", "\\x22", "\\?",
                                         "\\x0D", "\\x0d", "\\X0D", "\\x0A", "\\x0a", "\\X0A",
                                         "\\x3", "\\", "\\x", "\\X0"};
        std::string s;
        const int n = Pick(2) ? Pick(40) : Pick(300);
        for (int i = 0; i < n; ++i) {
            switch (Pick(4)) {
            case 0: s += kEscapes[Pick(sizeof kEscapes / sizeof kEscapes[0])]; break;
            case 1: s += "\xB0\xA1"; break;  // a Hangul syllable
            default: s += static_cast<char>(' ' + Pick(95)); break;
            }
        }
        return s;
    }

    std::string MessageBlock()
    {
        std::string line = Digits(Pick(3) ? 14 : Pick(40)) + ",";
        if (Pick(4))
            line += Digits(Pick(3) ? 10 : Pick(90)) + ",";
        line += std::string(Pick(3) ? "4098" : Digits(Pick(20))) + "," + Body();
        const std::string notice = Pick(2) ? "\r\n$NEWMT\r\n" : "\r\n*QRV*NEWMSG: 1\r\n";
        return notice + "AT$SMSNEWMT0?\r\r\n" + line + "\r\n\r\n" + Final() + "\r\n\n";
    }

    std::string Unsolicited()
    {
        const UnsolicitedCode& code = UnsolicitedTable[Pick(UNSOLICITED_COUNT)];
        std::string line = code.prefix;
        if (code.code == 4 || code.code == CALL_SETUP)
            line += (code.code == 4 ? " " : "") + Digits(Pick(3) ? 10 : Pick(60));
        else if (Pick(4) == 0)
            line += Noise(Pick(10));
        return "\r\n" + line + "\r\n";
    }

    // A well-formed piece cut short, or with its line ends mixed up.
    std::string Broken()
    {
        std::string s = Pick(2) ? Block() : MessageBlock();
        switch (Pick(3)) {
        case 0: s.resize(Pick(static_cast<int>(s.size()))); break;
        case 1:
            for (char& c : s)
                if (c == '\n' && Pick(3) == 0)
                    c = '\r';
            break;
        default: s.insert(Pick(static_cast<int>(s.size())), std::string(Pick(6), '\0')); break;
        }
        return s;
    }

    std::mt19937& m_rng;
};

// After anything at all, a line end and then a well-formed answer completes.
std::string RecoveryCheck(FuzzParser& p, GuardedBytes& guard, std::mt19937& rng)
{
    const int value = static_cast<int>(rng() % 10);
    p.lastId = p.lastOk = -1;
    p.Put(guard, "\r\nAT$PING?\r\r\n" + std::to_string(value) + "\r\n\r\nOK\r\n\n", rng);
    if (!p.fault.empty())
        return p.fault;
    if (p.lastId != 2 || p.lastOk != 1)
        return "a well-formed answer after the stream gave id " + std::to_string(p.lastId) +
               " result " + std::to_string(p.lastOk);
    if (p.Status.signalLevel != value)
        return "a well-formed answer after the stream gave signal " +
               std::to_string(p.Status.signalLevel);
    return {};
}

TEST(AtParserFuzz, MutatedModuleStreams)
{
    const FuzzSettings settings = ReadSettings();
    GuardedBytes guard;
    const DWORD start = GetTickCount();
    uint64_t round = 0;
    uint64_t blocks = 0, records = 0, readRequests = 0, sentNotices = 0;
    // A parser lives for a few rounds, as the link's does between opens.
    FuzzParser* parser = nullptr;
    std::string fault;
    for (;; ++round) {
        if (settings.seconds > 0) {
            if ((GetTickCount() - start) / 1000.0 >= settings.seconds)
                break;
        } else if (round >= settings.rounds) {
            break;
        }
        const uint32_t seed = RoundSeed(settings.seed, round);
        std::mt19937 rng(seed);
        if (!parser || rng() % 8 == 0) {
            delete parser;
            parser = new FuzzParser;
        }
        StreamMaker maker(rng);
        std::string stream = maker.Stream();
        maker.Mutate(stream);
        const DWORD before = parser->CutBytes;
        parser->Put(guard, stream, rng);
        parser->CheckState();
        if (parser->fault.empty() && parser->CutBytes - before > stream.size())
            parser->fault = "more bytes cut than were fed";
        fault = parser->fault.empty() ? RecoveryCheck(*parser, guard, rng) : parser->fault;
        blocks += parser->blocks;
        records += parser->records;
        readRequests += parser->readRequests;
        sentNotices += parser->sentNotices;
        parser->blocks = parser->records = parser->readRequests = parser->sentNotices = 0;
        if (!fault.empty()) {
            ADD_FAILURE() << fault << " (seed " << settings.seed << ", round " << round
                          << ", round seed " << seed << ", stream of " << stream.size()
                          << " bytes)";
            ++round;
            break;
        }
    }
    delete parser;
    // The streams reach every part of the parser, not only its noise path.
    if (round >= 1000) {
        EXPECT_GT(blocks, round) << "the streams hardly ever made a block";
        EXPECT_GT(records, round / 20) << "few message records";
        EXPECT_GT(readRequests, round / 20) << "few new-message notices";
        EXPECT_GT(sentNotices, round / 20) << "few sent notices";
    }
    printf("at_parser: %llu blocks, %llu records, %llu read requests, %llu sent notices\n",
           static_cast<unsigned long long>(blocks), static_cast<unsigned long long>(records),
           static_cast<unsigned long long>(readRequests),
           static_cast<unsigned long long>(sentNotices));
    printf("fuzz at_parser: rounds %llu seed %u\n", static_cast<unsigned long long>(round),
           settings.seed);
    fflush(stdout);
}

}  // namespace
