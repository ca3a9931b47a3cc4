#include "render/picture_file.h"

#include <GL/gl.h>
#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>

#include "common/whole_file.h"

namespace kelvaro {

Picture readViewport() {
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    Picture picture{viewport[2], viewport[3], {}};
    picture.rgb.resize(3u * static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(viewport[0], viewport[1], picture.width, picture.height, GL_RGB, GL_UNSIGNED_BYTE,
                 picture.rgb.data());
    return picture;
}

std::vector<std::uint8_t> pngBytes(const Picture& picture, std::string& error) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.width);
    image.height = static_cast<png_uint_32>(picture.height);
    image.format = PNG_FORMAT_RGB;
    // A negative stride says that the bottom row comes first in the buffer. Each call frees
    // what libpng allocated, whether it succeeds or not.
    const png_int_32 stride = -3 * picture.width;
    // Room for the largest file the picture can make, so that it is compressed once; the
    // pages that the file does not reach are never touched.
    png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(image);
    const std::unique_ptr<std::uint8_t[]> room(new (std::nothrow) std::uint8_t[size]);
    if (!room) {
        error = "out of memory";
        return {};
    }
    if (!png_image_write_to_memory(&image, room.get(), &size, 0, picture.rgb.data(), stride, nullptr)) {
        error = image.message;
        return {};
    }
    return {room.get(), room.get() + size};
}

std::string writePng(const Picture& picture, const std::string& path) {
    std::string error;
    const std::vector<std::uint8_t> bytes = pngBytes(picture, error);
    if (bytes.empty()) return error;
    WholeFile file(path);
    if (!file.stream()) return file.error();
    if (std::fwrite(bytes.data(), 1, bytes.size(), file.stream()) != bytes.size()) return std::strerror(errno);
    return file.commit() ? std::string() : file.error();
}

std::string nextPictureName() {
    for (int number = 1;; ++number) {
        char name[32];
        std::snprintf(name, sizeof name, "kelvaro-%03d.png", number);
        std::error_code ignored;
        if (!std::filesystem::exists(std::filesystem::symlink_status(name, ignored))) return name;
    }
}

}  // namespace kelvaro
