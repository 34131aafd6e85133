#include <cstdio>
#include <memory>

#include "plughost/png_file.h"

namespace plughost {

bool writeRgbPng(const std::string& path, int width, int height, const std::uint8_t* rgb, std::string& error) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), &std::fclose);
    const std::vector<std::uint8_t> bytes = encodeStoredPng(width, height, rgb);
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) {
        error = path + ": cannot write the file";
        return false;
    }
    return true;
}

}  // namespace plughost
