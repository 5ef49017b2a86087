#include "hostkit/report/png_writer.h"

#include <png.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

#include "hostkit/report/report_template.h"

namespace briskal::hostkit::report {

void writePng(const PageImage& image, const std::filesystem::path& file,
              const std::filesystem::path& destination) {
  // The page is cairo's 32-bit RGB in native order; the PNG takes its red, green and blue bytes.
  std::vector<uint8_t> rgb(static_cast<size_t>(image.width) * image.height * 3);
  for (int y = 0; y < image.height; ++y) {
    const auto* row =
        reinterpret_cast<const uint32_t*>(image.pixels.data() + static_cast<size_t>(y) * image.stride);
    uint8_t* out = rgb.data() + static_cast<size_t>(y) * image.width * 3;
    for (int x = 0; x < image.width; ++x) {
      const uint32_t pixel = row[x];
      out[3 * x] = static_cast<uint8_t>(pixel >> 16);
      out[3 * x + 1] = static_cast<uint8_t>(pixel >> 8);
      out[3 * x + 2] = static_cast<uint8_t>(pixel);
    }
  }
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  png.width = static_cast<png_uint_32>(image.width);
  png.height = static_cast<png_uint_32>(image.height);
  png.format = PNG_FORMAT_RGB;
  png.flags = PNG_IMAGE_FLAG_FAST;
  errno = 0;
  if (png_image_write_to_file(&png, file.c_str(), 0, rgb.data(), 0, nullptr) == 0) {
    const int code = errno;
    // The system's reason (a full disk) says more than the library's step that met it.
    const std::string why = code != 0 ? std::strerror(code) : png.message;
    png_image_free(&png);
    throwReportError("Cannot write " + destination.string() + ": " + why,
                     code != 0 ? fileErrorNumber(code) : err::kPathFileAccessError);
  }
}

}  // namespace briskal::hostkit::report
