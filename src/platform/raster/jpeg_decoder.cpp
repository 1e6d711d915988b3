#include "platform/raster/jpeg_decoder.h"

#include <csetjmp>
#include <cstdio>
#include <vector>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

namespace talbex::raster {

namespace {

struct ErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void OnFatalError(j_common_ptr info) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->jump, 1);
}

// Warnings (for example a truncated stream, which is padded with grey) are not fatal and
// must not be printed.
void OnMessage(j_common_ptr) {}

}  // namespace

struct JpegDecoder::State {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    std::vector<JSAMPROW> rows;
};

JpegDecoder::JpegDecoder() : state_(std::make_unique<State>()) {
    state_->info.err = jpeg_std_error(&state_->errors.base);
    state_->errors.base.error_exit = OnFatalError;
    state_->errors.base.output_message = OnMessage;
    jpeg_create_decompress(&state_->info);
}

JpegDecoder::~JpegDecoder() {
    jpeg_destroy_decompress(&state_->info);
}

bool JpegDecoder::Decode(const uint8_t* data, size_t size, Bitmap& out, std::string* error) {
    return Run(data, size, 1, out, nullptr, error);
}

bool JpegDecoder::DecodeRows(const uint8_t* data, size_t size, Bitmap& out, const RowFilter& wanted,
                             std::string* error) {
    return Run(data, size, 1, out, wanted, error);
}

bool JpegDecoder::DecodeScaled(const uint8_t* data, size_t size, int denominator, Bitmap& out,
                               std::string* error) {
    return Run(data, size, denominator, out, nullptr, error);
}

bool JpegDecoder::Run(const uint8_t* data, size_t size, int denominator, Bitmap& out,
                      const RowFilter& wanted, std::string* error) {
    auto fail = [&](const char* reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (data == nullptr || size == 0)
        return fail("no JPEG data");

    jpeg_decompress_struct& info = state_->info;
    // Everything below may jump back here; locals changed after setjmp are not read
    // after the jump.
    if (setjmp(state_->errors.jump)) {
        jpeg_abort_decompress(&info);
        if (error)
            *error = state_->errors.message;
        return false;
    }
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        jpeg_abort_decompress(&info);
        return fail("not a JPEG picture");
    }
    if (info.image_width == 0 || info.image_height == 0 || info.image_width > kMaxJpegSide ||
        info.image_height > kMaxJpegSide ||
        static_cast<int64_t>(info.image_width) * info.image_height > kMaxJpegPixels) {
        jpeg_abort_decompress(&info);
        return fail("JPEG picture size out of range");
    }
    // Straight into the bitmap's layout; the decoder sets the fourth byte to 255.
    info.out_color_space = JCS_EXT_BGRX;
    info.scale_num = 1;
    info.scale_denom = denominator == 2 || denominator == 4 || denominator == 8
                           ? static_cast<unsigned>(denominator)
                           : 1;
    jpeg_start_decompress(&info);
    const int width = static_cast<int>(info.output_width);
    const int height = static_cast<int>(info.output_height);
    out.Resize(width, height);
    state_->rows.resize(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        state_->rows[static_cast<size_t>(y)] = out.Row(y);
    while (info.output_scanline < info.output_height) {
        const JDIMENSION row = info.output_scanline;
        const bool take = !wanted || wanted(static_cast<int>(row), height);
        // A run of rows with the same answer, read or skipped in one call.
        JDIMENSION run = 1;
        while (wanted && row + run < info.output_height &&
               wanted(static_cast<int>(row + run), height) == take)
            ++run;
        if (take) {
            jpeg_read_scanlines(&info, state_->rows.data() + row, run);
        } else if (jpeg_skip_scanlines(&info, run) == 0) {
            break;  // cannot happen with rows left; never loop forever
        }
    }
    if (info.output_scanline < info.output_height) {
        jpeg_abort_decompress(&info);
        return fail("JPEG rows could not be read");
    }
    jpeg_finish_decompress(&info);
    return true;
}

bool DecodeJpeg(const uint8_t* data, size_t size, Bitmap& out, std::string* error) {
    JpegDecoder decoder;
    return decoder.Decode(data, size, out, error);
}

bool JpegSize(const uint8_t* data, size_t size, int* width, int* height) {
    if (data == nullptr || size == 0)
        return false;
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = OnFatalError;
    errors.base.output_message = OnMessage;
    jpeg_create_decompress(&info);
    volatile bool known = false;  // read after a jump back
    if (setjmp(errors.jump) == 0) {
        jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
        if (jpeg_read_header(&info, TRUE) == JPEG_HEADER_OK && info.image_width > 0 &&
            info.image_height > 0 && info.image_width <= kMaxJpegSide &&
            info.image_height <= kMaxJpegSide &&
            static_cast<int64_t>(info.image_width) * info.image_height <= kMaxJpegPixels) {
            *width = static_cast<int>(info.image_width);
            *height = static_cast<int>(info.image_height);
            known = true;
        }
    }
    jpeg_destroy_decompress(&info);
    return known;
}

}  // namespace talbex::raster
