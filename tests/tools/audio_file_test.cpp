#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <string>

#include "plughost/audio_file.h"

namespace plughost {
namespace {

std::string temporaryPath(const std::string& name) { return std::string(TEST_OUTPUT_DIR) + "/" + name; }

TEST(AudioFile, FloatWavKeepsEverySampleExactly) {
    StereoAudio audio;
    audio.sampleRate = 48000.0;
    // Values past full scale and below the 24-bit step must survive a float file unchanged.
    audio.left = {0.0f, 1.0f, -1.0f, 1.75f, -3.5f, 1e-7f, 0.123456789f};
    audio.right = {0.5f, -0.5f, 0.25f, 1e-30f, 2.0f, -1e-7f, -0.987654321f};
    std::string error;
    const std::string path = temporaryPath("round_trip.wav");
    ASSERT_TRUE(writeFloatWav(path, audio, error)) << error;

    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_FLOAT);
    EXPECT_EQ(info.channels, 2);
    sf_close(file);

    StereoAudio back;
    ASSERT_TRUE(readAudio(path, back, error)) << error;
    EXPECT_EQ(back.sampleRate, 48000.0);
    EXPECT_EQ(back.left, audio.left);
    EXPECT_EQ(back.right, audio.right);
}

TEST(AudioFile, MonoPcmFeedsBothChannelsAtFullScale) {
    const std::string path = temporaryPath("mono16.wav");
    SF_INFO info{};
    info.samplerate = 22050;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr);
    const short samples[] = {0, 16384, -32768, 8192};
    sf_write_short(file, samples, 4);
    sf_close(file);

    StereoAudio audio;
    std::string error;
    ASSERT_TRUE(readAudio(path, audio, error)) << error;
    EXPECT_EQ(audio.sampleRate, 22050.0);
    const std::vector<float> expected{0.0f, 0.5f, -1.0f, 0.25f};
    EXPECT_EQ(audio.left, expected);
    EXPECT_EQ(audio.right, expected);
}

TEST(AudioFile, MissingOrUnwritableFilesAreReportedWithTheirPath) {
    StereoAudio audio;
    std::string error;
    EXPECT_FALSE(readAudio("/nonexistent/in.wav", audio, error));
    EXPECT_NE(error.find("/nonexistent/in.wav"), std::string::npos);
    error.clear();
    EXPECT_FALSE(writeFloatWav("/nonexistent/out.wav", audio, error));
    EXPECT_NE(error.find("/nonexistent/out.wav"), std::string::npos);
}

}  // namespace
}  // namespace plughost
