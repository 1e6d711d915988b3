#include "camera/sdk/sim/scene.h"

#include <jpeglib.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdlib>

namespace talbex::sim {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kHorizon = 0.55;
constexpr double kAspect = 1.5;  // the scene is 3:2

struct Colour {
    uint8_t r, g, b;
};

Colour Mix(Colour a, Colour b, double t) {
    auto lerp = [t](uint8_t x, uint8_t y) {
        return static_cast<uint8_t>(x + (static_cast<int>(y) - x) * t);
    };
    return {lerp(a.r, b.r), lerp(a.g, b.g), lerp(a.b, b.b)};
}

double BoxLeft(double phase) {
    return 0.45 + 0.25 * std::cos(2 * kPi * phase);
}

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

void OnJpegError(j_common_ptr info) {
    auto* error = reinterpret_cast<JpegError*>(info->err);
    std::longjmp(error->jump, 1);
}

}  // namespace

ScenePoint BallCentre(double phase) {
    return {0.15 + 0.7 * (0.5 + 0.5 * std::sin(2 * kPi * phase)), 0.72};
}

RgbImage RenderScene(int width, int height, double phase, const SceneView& view) {
    RgbImage image;
    if (width <= 0 || height <= 0)
        return image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<size_t>(width) * height * 3);

    const ScenePoint ball = BallCentre(phase);
    const double boxLeft = BoxLeft(phase);
    const Colour skyTop{70, 120, 200}, skyLow{190, 215, 240};
    const Colour grass{70, 135, 60}, grassDark{55, 110, 48};
    const double sx = view.width / width, sy = view.height / height;

    uint8_t* out = image.pixels.data();
    for (int py = 0; py < height; ++py) {
        const double v = view.y + (py + 0.5) * sy;
        Colour base;
        if (v < kHorizon) {
            base = Mix(skyTop, skyLow, std::clamp(v / kHorizon, 0.0, 1.0));
        } else {
            // Furrows that get wider towards the viewer.
            const double depth = 1.0 / (v - kHorizon + 0.02);
            base = static_cast<int>(depth * 2.0) % 2 == 0 ? grass : grassDark;
        }
        for (int px = 0; px < width; ++px, out += 3) {
            const double u = view.x + (px + 0.5) * sx;
            Colour c = base;
            // Sun.
            const double sunDx = (u - 0.82) * kAspect, sunDy = v - 0.16;
            if (sunDx * sunDx + sunDy * sunDy < 0.0036)
                c = {255, 236, 120};
            // Test chart: 8 x 8 squares with a frame.
            if (u >= 0.06 && u < 0.30 && v >= 0.22 && v < 0.58) {
                if (u < 0.07 || u >= 0.29 || v < 0.235 || v >= 0.565) {
                    c = {40, 40, 40};
                } else {
                    const int cx = static_cast<int>((u - 0.07) / 0.0275);
                    const int cy = static_cast<int>((v - 0.235) / 0.04125);
                    c = (cx + cy) % 2 == 0 ? Colour{245, 245, 245} : Colour{20, 20, 20};
                }
            }
            // Blue box sliding behind the ball.
            if (u >= boxLeft && u < boxLeft + 0.12 && v >= 0.45 && v < 0.62)
                c = {40, 70, 190};
            // Red ball with a highlight.
            const double dx = (u - ball.x) * kAspect, dy = v - ball.y;
            const double d2 = dx * dx + dy * dy;
            if (d2 < kBallRadius * kBallRadius) {
                const double shade = 1.0 - 0.5 * std::sqrt(d2) / kBallRadius;
                c = {static_cast<uint8_t>(230 * shade), static_cast<uint8_t>(40 * shade),
                     static_cast<uint8_t>(40 * shade)};
                const double hx = dx + 0.02, hy = dy + 0.025;
                if (hx * hx + hy * hy < 0.0002)
                    c = {255, 220, 220};
            }
            out[0] = c.r;
            out[1] = c.g;
            out[2] = c.b;
        }
    }
    return image;
}

std::vector<uint8_t> EncodeJpeg(const RgbImage& image, int quality) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<size_t>(image.width) * image.height * 3)
        return {};
    jpeg_compress_struct info{};
    JpegError error{};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = OnJpegError;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (setjmp(error.jump)) {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        return {};
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(image.width);
    info.image_height = static_cast<JDIMENSION>(image.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    info.dct_method = JDCT_IFAST;
    // The camera writes its own APP1 (EXIF) right after SOI, as cameras do.
    info.write_JFIF_header = FALSE;
    jpeg_start_compress(&info, TRUE);
    const auto stride = static_cast<size_t>(image.width) * 3;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.pixels.data() + info.next_scanline * stride);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> bytes(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return bytes;
}

void ComputeHistogram(const RgbImage& image, std::array<uint32_t, kHistogramValues>* histogram) {
    histogram->fill(0);
    uint32_t* luma = histogram->data();
    uint32_t* red = luma + 256;
    uint32_t* green = luma + 512;
    uint32_t* blue = luma + 768;
    const uint8_t* p = image.pixels.data();
    const size_t count = static_cast<size_t>(image.width) * image.height;
    for (size_t i = 0; i < count; ++i, p += 3) {
        ++red[p[0]];
        ++green[p[1]];
        ++blue[p[2]];
        ++luma[(77 * p[0] + 150 * p[1] + 29 * p[2]) >> 8];
    }
}

}  // namespace talbex::sim
