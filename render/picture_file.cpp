#include "render/picture_file.h"

#include <GL/gl.h>
#include <png.h>

#include <cstdio>
#include <filesystem>

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

std::string writePng(const Picture& picture, const std::string& path) {
    WholeFile file(path);
    if (!file.stream()) return file.error();
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.width);
    image.height = static_cast<png_uint_32>(picture.height);
    image.format = PNG_FORMAT_RGB;
    // A negative stride says that the bottom row comes first in the buffer. The call frees
    // what libpng allocated, whether it succeeds or not.
    const png_int_32 stride = -3 * picture.width;
    if (!png_image_write_to_stdio(&image, file.stream(), 0, picture.rgb.data(), stride, nullptr)) {
        return image.message;
    }
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
