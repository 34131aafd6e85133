// The WAV and PNG coders that the Windows build uses, checked against libsndfile and libpng.
#include <gtest/gtest.h>
#include <png.h>
#include <sndfile.h>

#include <climits>
#include <fstream>
#include <iterator>
#include <string>

#include "plughost/png_file.h"
#include "plughost/wav_file.h"

namespace plughost {
namespace {

std::string temporaryPath(const std::string& name) { return std::string(TEST_OUTPUT_DIR) + "/" + name; }

std::vector<std::uint8_t> fileBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void writeBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

TEST(BuiltInWav, FloatFileIsReadByLibsndfileSampleForSample) {
    StereoAudio audio;
    audio.sampleRate = 96000.0;
    audio.left = {0.0f, 1.0f, -1.0f, 1.75f, 1e-7f, 0.123456789f};
    audio.right = {0.5f, -0.5f, 1e-30f, -3.5f, -1e-7f, -0.987654321f};
    const std::string path = temporaryPath("built_in_float.wav");
    writeBytes(path, encodeFloatWav(audio));

    StereoAudio back;
    std::string error;
    ASSERT_TRUE(readAudio(path, back, error)) << error;  // libsndfile in the native build
    EXPECT_EQ(back.sampleRate, 96000.0);
    EXPECT_EQ(back.left, audio.left);
    EXPECT_EQ(back.right, audio.right);
}

struct WavCase {
    const char* name;
    int format;  // libsndfile's sample format
    int channels;
};

class BuiltInWavReader : public testing::TestWithParam<WavCase> {};

// Channel 0 and 1 carry exact fractions of full scale; a third channel must be ignored.
TEST_P(BuiltInWavReader, ReadsWhatLibsndfileWrites) {
    const WavCase c = GetParam();
    const std::string path = temporaryPath(std::string("built_in_read_") + c.name + ".wav");
    SF_INFO info{};
    info.samplerate = 22050;
    info.channels = c.channels;
    info.format = SF_FORMAT_WAV | c.format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
    const int left[] = {0, 1 << 30, INT_MIN, 1 << 29}, right[] = {1 << 29, INT_MIN, 0, -(1 << 30)};
    std::vector<int> interleaved;
    for (int i = 0; i < 4; ++i) {
        for (int channel = 0; channel < c.channels; ++channel) interleaved.push_back(channel == 0 ? left[i] : channel == 1 ? right[i] : INT_MAX);
    }
    if (c.format == SF_FORMAT_FLOAT) {
        std::vector<float> samples;
        for (int v : interleaved) samples.push_back(static_cast<float>(v / 2147483648.0));
        sf_writef_float(file, samples.data(), 4);
    } else {
        sf_writef_int(file, interleaved.data(), 4);
    }
    sf_close(file);

    StereoAudio audio;
    std::string error;
    ASSERT_TRUE(decodeWav(fileBytes(path), audio, error)) << error;
    EXPECT_EQ(audio.sampleRate, 22050.0);
    const std::vector<float> expectedLeft{0.0f, 0.5f, -1.0f, 0.25f}, expectedRight{0.25f, -1.0f, 0.0f, -0.5f};
    EXPECT_EQ(audio.left, expectedLeft);
    EXPECT_EQ(audio.right, c.channels == 1 ? expectedLeft : expectedRight);
}

INSTANTIATE_TEST_SUITE_P(Formats, BuiltInWavReader,
                         testing::Values(WavCase{"pcm16_stereo", SF_FORMAT_PCM_16, 2}, WavCase{"pcm24_stereo", SF_FORMAT_PCM_24, 2},
                                         WavCase{"pcm32_stereo", SF_FORMAT_PCM_32, 2}, WavCase{"float_stereo", SF_FORMAT_FLOAT, 2},
                                         WavCase{"pcm16_mono", SF_FORMAT_PCM_16, 1}, WavCase{"pcm24_three", SF_FORMAT_PCM_24, 3}),
                         [](const testing::TestParamInfo<WavCase>& info) { return std::string(info.param.name); });

TEST(BuiltInWav, OtherFilesAreRefused) {
    StereoAudio audio;
    std::string error;
    EXPECT_FALSE(decodeWav({'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' '}, audio, error));
    const std::string path = temporaryPath("built_in_read_alaw.wav");
    SF_INFO info{};
    info.samplerate = 8000;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_ALAW;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr);
    const short samples[] = {0, 1000};
    sf_write_short(file, samples, 2);
    sf_close(file);
    error.clear();
    EXPECT_FALSE(decodeWav(fileBytes(path), audio, error));
    EXPECT_FALSE(error.empty());
}

// Wide enough that the pixels need more than one stored deflate block.
TEST(BuiltInPng, LibpngReadsEveryPixel) {
    const int width = 300, height = 100;
    std::vector<std::uint8_t> rgb;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int k = 0; k < 3; ++k) rgb.push_back(static_cast<std::uint8_t>(x * 7 + y * 13 + k * 101));
        }
    }
    const std::string path = temporaryPath("built_in.png");
    writeBytes(path, encodeStoredPng(width, height, rgb.data()));

    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&png, path.c_str())) << png.message;
    png.format = PNG_FORMAT_RGB;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(png));
    ASSERT_TRUE(png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr)) << png.message;
    EXPECT_EQ(static_cast<int>(png.width), width);
    EXPECT_EQ(static_cast<int>(png.height), height);
    EXPECT_EQ(pixels, rgb);
}

}  // namespace
}  // namespace plughost
