#include <png.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "tests/support/e2e/e2e_harness.h"

namespace e2e {

// ---- images

Pixel Image::at(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return Pixel{0, 0, 0};
  const size_t i = 3u * (static_cast<size_t>(y) * width_ + x);
  return Pixel{rgb_[i], rgb_[i + 1], rgb_[i + 2]};
}

void Image::set(int x, int y, Pixel p) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  const size_t i = 3u * (static_cast<size_t>(y) * width_ + x);
  rgb_[i] = p.r;
  rgb_[i + 1] = p.g;
  rgb_[i + 2] = p.b;
}

bool near(Pixel a, Pixel b, int tolerance) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
         std::abs(a.b - b.b) <= tolerance;
}

int Image::count(Pixel color, int tolerance, int x0, int y0, int x1, int y1) const {
  int found = 0;
  for (int y = std::max(y0, 0); y <= std::min(y1, height_ - 1); ++y) {
    for (int x = std::max(x0, 0); x <= std::min(x1, width_ - 1); ++x) {
      if (near(at(x, y), color, tolerance)) ++found;
    }
  }
  return found;
}

bool Image::save_png(const std::string& path) const {
  if (width_ == 0 || height_ == 0) return false;
  const std::string ppm = path + ".ppm";
  FILE* file = std::fopen(ppm.c_str(), "wb");
  if (!file) return false;
  std::fprintf(file, "P6\n%d %d\n255\n", width_, height_);
  const bool written = std::fwrite(rgb_.data(), 1, rgb_.size(), file) == rgb_.size();
  const bool closed = std::fclose(file) == 0;
  const bool converted = written && closed && run_command({"convert", ppm, path}) == 0;
  std::remove(ppm.c_str());
  return converted;
}

Image Image::read_png(const std::string& path) {
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&png, path.c_str())) return Image();
  png.format = PNG_FORMAT_RGB;
  Image image(static_cast<int>(png.width), static_cast<int>(png.height));
  if (!png_image_finish_read(&png, nullptr, image.rgb_.data(), 0, nullptr)) return Image();
  return image;
}

// ---- commands and input

int run_command(const std::vector<std::string>& argv) {
  if (argv.empty()) return -1;
  const pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void pause(double seconds) {
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

bool wait_until(const std::function<bool()>& condition, double timeout_seconds) {
  const auto start = std::chrono::steady_clock::now();
  while (!condition()) {
    if (std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() >
        timeout_seconds) {
      return false;
    }
    pause(0.02);
  }
  return true;
}

namespace {

std::vector<std::string> move_args(WindowId window, int x, int y) {
  return {"mousemove", "--window", std::to_string(window), std::to_string(x), std::to_string(y)};
}

bool xdotool(const std::vector<std::vector<std::string>>& commands) {
  std::vector<std::string> argv{"xdotool"};
  for (const auto& command : commands) argv.insert(argv.end(), command.begin(), command.end());
  return run_command(argv) == 0;
}

}  // namespace

bool move_pointer(WindowId window, int x, int y) { return xdotool({move_args(window, x, y)}); }

bool click(WindowId window, int x, int y) {
  // A pause between moving and clicking lets the program see the pointer arrive.
  return xdotool({move_args(window, x, y), {"sleep", "0.1", "click", "1"}});
}

bool mouse_down(WindowId window, int x, int y) {
  return xdotool({move_args(window, x, y), {"sleep", "0.1", "mousedown", "1"}});
}

bool mouse_up() { return xdotool({{"mouseup", "1"}}); }

bool drag(WindowId window, int x0, int y0, int x1, int y1, int steps) {
  std::vector<std::vector<std::string>> commands{move_args(window, x0, y0),
                                                 {"sleep", "0.1", "mousedown", "1"}};
  steps = std::max(steps, 1);
  for (int i = 1; i <= steps; ++i) {
    commands.push_back({"sleep", "0.03"});
    commands.push_back(move_args(window, x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps));
  }
  commands.push_back({"sleep", "0.1", "mouseup", "1"});
  return xdotool(commands);
}

bool resize_window(WindowId window, int width, int height) {
  return xdotool({{"windowsize", std::to_string(window), std::to_string(width), std::to_string(height)}});
}

bool move_window(WindowId window, int x, int y) {
  return xdotool({{"windowmove", std::to_string(window), std::to_string(x), std::to_string(y)}});
}

bool raise_window(WindowId window) { return xdotool({{"windowraise", std::to_string(window)}}); }

bool type_text(const std::string& text) { return xdotool({{"type", "--delay", "30", text}}); }

bool press_keys(const std::vector<std::string>& keysyms) {
  std::vector<std::string> command{"key", "--delay", "30"};
  command.insert(command.end(), keysyms.begin(), keysyms.end());
  return xdotool({command});
}

}  // namespace e2e
