#include "pictures.h"

#include <cstdio>  // before jpeglib.h, which uses FILE

#include <jpeglib.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>

#include "camera/sdk/sim/exif_block.h"

namespace tcam {

std::vector<unsigned char> Frame(int width, int height, int focus, int zoom) {
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 3);
    const int bar = focus * width / 1000;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned char* p = &pixels[(static_cast<size_t>(y) * width + x) * 3];
            const bool dark = std::abs(x - bar) < 4;
            const int light = std::min(200, 60 + 15 * zoom);
            p[0] = static_cast<unsigned char>(dark ? 20 : light + (x * 7 + y) % 48);
            p[1] = static_cast<unsigned char>(dark ? 20 : light + (y * 5) % 40);
            p[2] = static_cast<unsigned char>(dark ? 20 : light + ((x ^ y) & 31));
        }
    jpeg_compress_struct c{};
    jpeg_error_mgr errors{};
    c.err = jpeg_std_error(&errors);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = static_cast<JDIMENSION>(width);
    c.image_height = static_cast<JDIMENSION>(height);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 80, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = &pixels[static_cast<size_t>(c.next_scanline) * width * 3];
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<unsigned char> bytes(out, out + size);
    std::free(out);
    return bytes;
}

std::vector<unsigned char> PictureFile(const std::string& model, const std::string& serial,
                                       int focus) {
    talbex::sim::ExifContent exif;
    exif.make = "Talbex";
    exif.model = model;
    exif.firmware = "1.0";
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    gmtime_r(&now, &t);
    exif.dateTime = {static_cast<uint32_t>(t.tm_year + 1900),
                     static_cast<uint32_t>(t.tm_mon + 1),
                     static_cast<uint32_t>(t.tm_mday),
                     static_cast<uint32_t>(t.tm_hour),
                     static_cast<uint32_t>(t.tm_min),
                     static_cast<uint32_t>(t.tm_sec),
                     0};
    exif.width = 640;
    exif.height = 480;
    if (!serial.empty()) {
        exif.bodySerial = serial;
        // The maker note keeps a number; a serial that is one goes there too.
        if (serial.size() <= 10 && std::all_of(serial.begin(), serial.end(),
                                               [](char ch) { return ch >= '0' && ch <= '9'; })) {
            const unsigned long long n = std::strtoull(serial.c_str(), nullptr, 10);
            if (n <= 0xFFFFFFFFull)
                exif.makerNoteSerial = static_cast<uint32_t>(n);
        }
    }
    return talbex::sim::AssemblePicture(Frame(640, 480, focus, 1),
                                        talbex::sim::BuildExifSegment(exif), 0);
}

}  // namespace tcam
