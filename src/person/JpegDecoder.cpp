#include "person/PictureDecoding.h"
#include "person/PictureFiles.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

namespace {

// Larger pictures are refused rather than risk exhausting memory.
constexpr unsigned long long kMaxPixels = 32ull * 1024 * 1024;
constexpr long kMaxDecoderMemory = 512L * 1024 * 1024;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void stopDecoding(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// A truncated file would be shown padded with grey; it counts as broken.
// Other warnings are common in files from cameras and stay silent.
void onMessage(j_common_ptr cinfo, int level) {
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF)
        stopDecoding(cinfo);
}

struct Decoded {
    unsigned char* pixels; // malloc'ed, 4 bytes a pixel, blue green red x
    unsigned int width;
    unsigned int height;
    unsigned int naturalWidth;
    unsigned int naturalHeight;
};

// The smallest of 1/1, 1/2, 1/4, 1/8 that still covers the shown size.
unsigned int scaleDenominator(unsigned int w, unsigned int h, unsigned int wantW,
                              unsigned int wantH) {
    unsigned int denom = 8;
    while (denom > 1 && (w / denom < wantW || h / denom < wantH))
        denom /= 2;
    return denom;
}

// The size the picture is shown at; 0 x 0 for its natural size.
void shownSize(unsigned int w, unsigned int h, int frameW, int frameH, unsigned int* wantW,
               unsigned int* wantH) {
    *wantW = 0;
    *wantH = 0;
    if (frameW <= 0 || frameH <= 0 || w > 65535 || h > 65535)
        return;
    const QRect shown = pictures::fitIntoFrame(QSize(int(w), int(h)), QSize(frameW, frameH));
    *wantW = unsigned(shown.width());
    *wantH = unsigned(shown.height());
}

// C style on purpose: libjpeg reports errors by longjmp to the setjmp
// below, so no object in this function may need a destructor.
bool decodeBytes(const unsigned char* data, unsigned long size, int frameW, int frameH,
                 Decoded* out) {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    unsigned char* volatile pixels = nullptr;
    unsigned char* volatile cmykRow = nullptr;
    std::memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = stopDecoding;
    err.pub.emit_message = onMessage;
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        std::free(pixels);
        std::free(cmykRow);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    cinfo.mem->max_memory_to_use = kMaxDecoderMemory;
    jpeg_mem_src(&cinfo, data, size);
    jpeg_read_header(&cinfo, TRUE);
    out->naturalWidth = cinfo.image_width;
    out->naturalHeight = cinfo.image_height;
    unsigned int wantW;
    unsigned int wantH;
    shownSize(cinfo.image_width, cinfo.image_height, frameW, frameH, &wantW, &wantH);
    cinfo.scale_num = 1;
    cinfo.scale_denom =
        wantW ? scaleDenominator(cinfo.image_width, cinfo.image_height, wantW, wantH) : 1;
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRX;
    jpeg_calc_output_dimensions(&cinfo);
    const unsigned long long count = (unsigned long long)cinfo.output_width * cinfo.output_height;
    if (count == 0 || count > kMaxPixels) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    const size_t stride = size_t(cinfo.output_width) * 4;
    pixels = static_cast<unsigned char*>(std::malloc(stride * cinfo.output_height));
    if (cmyk)
        cmykRow = static_cast<unsigned char*>(std::malloc(stride));
    if (!pixels || (cmyk && !cmykRow)) {
        jpeg_destroy_decompress(&cinfo);
        std::free(pixels);
        std::free(cmykRow);
        return false;
    }
    jpeg_start_decompress(&cinfo);
    while (cinfo.output_scanline < cinfo.output_height) {
        unsigned char* row = pixels + stride * cinfo.output_scanline;
        JSAMPROW target = cmyk ? cmykRow : row;
        if (jpeg_read_scanlines(&cinfo, &target, 1) != 1)
            break;
        if (cmyk) {
            // Such files are written with inverted ink values.
            for (unsigned int x = 0; x < cinfo.output_width; ++x) {
                const unsigned int k = cmykRow[4 * x + 3];
                row[4 * x + 0] = (unsigned char)(cmykRow[4 * x + 2] * k / 255);
                row[4 * x + 1] = (unsigned char)(cmykRow[4 * x + 1] * k / 255);
                row[4 * x + 2] = (unsigned char)(cmykRow[4 * x + 0] * k / 255);
                row[4 * x + 3] = 0xFF;
            }
        }
    }
    const bool complete = cinfo.output_scanline == cinfo.output_height;
    out->width = cinfo.output_width;
    out->height = cinfo.output_height;
    if (complete)
        jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::free(cmykRow);
    if (!complete) {
        std::free(pixels);
        return false;
    }
    out->pixels = pixels;
    return true;
}

void freePixels(void* pixels) {
    std::free(pixels);
}

} // namespace

namespace pictures {

Picture decodeJpeg(const QByteArray& bytes, const QSize& frameSize) {
    Picture result;
    result.status = Picture::Undecodable;
    Decoded d{};
    if (!decodeBytes(reinterpret_cast<const unsigned char*>(bytes.constData()),
                     (unsigned long)bytes.size(), frameSize.width(), frameSize.height(), &d))
        return result;
    result.status = Picture::Shown;
    result.naturalSize = QSize(int(d.naturalWidth), int(d.naturalHeight));
    result.image = QImage(d.pixels, int(d.width), int(d.height), int(d.width) * 4,
                          QImage::Format_RGB32, freePixels, d.pixels);
    return result;
}

} // namespace pictures
