// Our mingw build of libmad decodes real MP3 frames correctly.
#include <gtest/gtest.h>

#include <mad.h>

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

std::vector<unsigned char> ReadFile(const char* name)
{
    std::vector<unsigned char> data;
    FILE* f = std::fopen(name, "rb");
    if (!f)
        return data;
    unsigned char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        data.insert(data.end(), buf, buf + n);
    std::fclose(f);
    return data;
}

TEST(Libmad, DecodesATone)
{
    std::vector<unsigned char> mp3 = ReadFile("tone440.mp3");
    ASSERT_GT(mp3.size(), 1000u) << "test media missing";
    mp3.resize(mp3.size() + MAD_BUFFER_GUARD, 0);

    mad_stream stream;
    mad_frame frame;
    mad_synth synth;
    mad_stream_init(&stream);
    mad_frame_init(&frame);
    mad_synth_init(&synth);
    mad_stream_buffer(&stream, mp3.data(), mp3.size());

    std::vector<double> left;
    int frames = 0;
    unsigned rate = 0, channels = 0;
    for (;;) {
        if (mad_frame_decode(&frame, &stream) != 0) {
            if (MAD_RECOVERABLE(stream.error))
                continue;
            break;
        }
        ++frames;
        rate = frame.header.samplerate;
        mad_synth_frame(&synth, &frame);
        channels = synth.pcm.channels;
        for (unsigned i = 0; i < synth.pcm.length; ++i)
            left.push_back(mad_f_todouble(synth.pcm.samples[0][i]));
    }
    mad_synth_finish(&synth);
    mad_frame_finish(&frame);
    mad_stream_finish(&stream);

    EXPECT_EQ(MAD_ERROR_BUFLEN, stream.error);  // ran to the end of the data
    EXPECT_EQ(44100u, rate);
    EXPECT_EQ(2u, channels);
    EXPECT_GE(frames, 38);  // one second is 38.3 frames of 1152 samples
    ASSERT_GT(left.size(), 44100u / 2);

    // The middle of the tone: a 440 Hz sine at half scale.
    const size_t from = left.size() / 4, to = left.size() * 3 / 4;
    double energy = 0;
    int crossings = 0;
    for (size_t i = from; i < to; ++i) {
        energy += left[i] * left[i];
        crossings += (left[i - 1] < 0) != (left[i] < 0);
    }
    const double rms = std::sqrt(energy / double(to - from));
    EXPECT_NEAR(0.5 / std::sqrt(2.0), rms, 0.02);
    const double hz = crossings / 2.0 / (double(to - from) / 44100.0);
    EXPECT_NEAR(440.0, hz, 5.0);
}

}  // namespace
