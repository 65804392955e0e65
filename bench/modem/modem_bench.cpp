// Feeds a large mixed module stream (response blocks, unsolicited codes,
// Korean message lines, broken and over-long lines) through the parser in
// read-sized pieces and prints the bytes per second.
#include <windows.h>

#include <cstdio>
#include <string>

#include "modem/CCeMAtParser.h"

namespace {

class BenchParser : public CCeMAtParser {
public:
    long results = 0;
    long notices = 0;

    void Put(const char* bytes, int n)
    {
        if (Feed(bytes, n))
            DispatchUnsolicited();
    }

protected:
    void OnBlockResult(int, int) override
    {
        ++results;
        ForgetBlock();
    }
    void NotifyMessageWindow(UINT, WPARAM, LPARAM) override { ++notices; }
};

std::string Block(const std::string& echo, const std::string& lines)
{
    return echo + "\r\r\n" + lines + "\r\nOK\r\n\n";
}

std::string MixedStream()
{
    std::string s;
    const std::string hangul = "\xbe\xc8\xb3\xe7\xc7\xcf\xbc\xbc\xbf\xe4";  // five syllables
    for (int i = 0; i < 200; ++i) {
        s += Block("AT$BATT?", "3.85\r\n");
        s += Block("AT$PING?", "4\r\n");
        s += Block("AT$STSINFO?", "384,123,2210,1,3,-75,-6,12,9600,9600,1.5\r\n");
        s += "\r\nRING\r\n\r\n*QRV*CNI: 0167778888\r\n";
        s += Block("AT$QCCAV", "");
        s += "\r\n$NEWMT\r\n";
        std::string body;
        for (int k = 0; k < 12; ++k)
            body += hangul + "\\x3B";
        s += Block("AT$SMSNEWMT0?", "20261207063000,0167778888,4098," + body + "\r\n");
        s += "\r\nNO CARRIER\r\n";
        s += std::string("\r\ngarbage\0\xff\r\r", 14) + std::string(900, 'Z') + "\r\n";
        s += Block("AT$ORI0101234567", "");
        s += "\r\n$SMSMOACK\r\n";
    }
    return s;
}

}  // namespace

int main()
{
    const std::string stream = MixedStream();
    const int rounds = 50;
    const int piece = 1024;  // one read's worth at most
    BenchParser parser;
    LARGE_INTEGER freq, start, end;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&start);
    for (int r = 0; r < rounds; ++r) {
        for (size_t at = 0; at < stream.size(); at += piece) {
            const size_t n = stream.size() - at < static_cast<size_t>(piece) ? stream.size() - at
                                                                             : piece;
            parser.Put(stream.data() + at, static_cast<int>(n));
        }
    }
    QueryPerformanceCounter(&end);
    const double seconds = double(end.QuadPart - start.QuadPart) / double(freq.QuadPart);
    const double bytes = double(stream.size()) * rounds;
    printf("modem parser: %.0f bytes in %.3f s = %.1f MB/s (%.0f bytes/s)\n", bytes, seconds,
           bytes / seconds / 1e6, bytes / seconds);
    printf("  %ld response blocks, %ld message-window notices, %lu bytes cut, %lu lines dropped\n",
           parser.results, parser.notices, parser.CutBytes, parser.DroppedLines);
    printf("  (115200 baud carries about 11520 bytes/s)\n");
    return 0;
}
