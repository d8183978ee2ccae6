// JPEG through libjpeg(-turbo): full size, 24-bit B, G, R (or 32-bit B, G, R, 255) written
// straight into the rows.
// libjpeg reports errors by longjmp; that jump stays inside DecodeJpeg, which holds no C++
// object, and the error becomes an exception only after it has returned.
#include <atomic>
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

#include "background/ImageLoad.h"
#include "support/Errors.h"

namespace {

// A progressive file with thousands of scans would take minutes; real files have a dozen.
constexpr int kMaxScans = 500;

struct JpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

struct JpegTarget {
    // Called once the size is known; answers a row pointer table or nullptr to give up.
    std::uint8_t* (*prepare)(void* context, int width, int height, int* failure);
    std::uint8_t* (*row)(void* context, int y);
    void* context;
    J_COLOR_SPACE space;                    // JCS_EXT_BGR or JCS_EXT_BGRX (whose fourth byte is 0xFF)
    const std::atomic<bool>* stop;          // looked at between rows; may be null
};

enum DecodeResult { kDecoded, kLibraryError, kTooManyScans, kRefused, kStopped };

void OnError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, kLibraryError);
}

void OnOutputMessage(j_common_ptr) {}  // warnings (a truncated file, say) are not shown

void OnProgress(j_common_ptr cinfo) {
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > kMaxScans)
        std::longjmp(reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump, kTooManyScans);
}

DecodeResult DecodeJpeg(const std::uint8_t* data, unsigned long size, JpegTarget* target, JpegErrorManager* err,
                        int* failure) {
    jpeg_decompress_struct cinfo;
    jpeg_progress_mgr progress;
    cinfo.err = jpeg_std_error(&err->pub);
    err->pub.error_exit = OnError;
    err->pub.output_message = OnOutputMessage;
    err->message[0] = 0;
    int jumped = setjmp(err->jump);
    if (jumped) {
        jpeg_destroy_decompress(&cinfo);
        return static_cast<DecodeResult>(jumped);
    }
    jpeg_create_decompress(&cinfo);
    progress.progress_monitor = OnProgress;
    cinfo.progress = &progress;
    cinfo.mem->max_memory_to_use = 512L * 1024 * 1024;
    jpeg_mem_src(&cinfo, data, size);
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = target->space;
    cinfo.scale_num = cinfo.scale_denom = 1;
    cinfo.dct_method = JDCT_ISLOW;
    if (!target->prepare(target->context, static_cast<int>(cinfo.image_width), static_cast<int>(cinfo.image_height),
                         failure)) {
        jpeg_destroy_decompress(&cinfo);
        return kRefused;
    }
    jpeg_start_decompress(&cinfo);
    while (cinfo.output_scanline < cinfo.output_height) {
        if (target->stop && (cinfo.output_scanline & 63) == 0 && target->stop->load(std::memory_order_relaxed)) {
            jpeg_destroy_decompress(&cinfo);
            return kStopped;
        }
        JSAMPROW row = target->row(target->context, static_cast<int>(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return kDecoded;
}

struct BitmapTarget {
    TBitmap* bitmap;
    int bitsPerPixel;
    std::string error;
};

std::uint8_t* PrepareBitmap(void* context, int width, int height, int* failure) {
    auto* t = static_cast<BitmapTarget*>(context);
    try {
        CheckImageSize(width, height);
        t->bitmap->Allocate(width, height, t->bitsPerPixel);
        return t->bitmap->ScanLine(0);
    } catch (const std::exception& e) {
        t->error = e.what();
        *failure = 1;
        return nullptr;
    }
}

std::uint8_t* BitmapRow(void* context, int y) { return static_cast<BitmapTarget*>(context)->bitmap->ScanLine(y); }

bool DecodeInto(TBitmap& bitmap, TStream& stream, int bitsPerPixel, const std::atomic<bool>* stop) {
    std::vector<std::uint8_t> data;
    ReadRest(stream, data, static_cast<std::size_t>(1) << 31);
    BitmapTarget context{&bitmap, bitsPerPixel, {}};
    JpegTarget target{PrepareBitmap, BitmapRow, &context, bitsPerPixel == 32 ? JCS_EXT_BGRX : JCS_EXT_BGR, stop};
    JpegErrorManager err;
    int failure = 0;
    switch (DecodeJpeg(data.data(), static_cast<unsigned long>(data.size()), &target, &err, &failure)) {
    case kDecoded: return true;
    case kLibraryError: throw EError(err.message);
    case kTooManyScans: throw EError("このJPEGはスキャン数が多すぎます");
    case kRefused: throw EError(context.error);
    case kStopped: break;
    }
    bitmap.Allocate(0, 0, bitsPerPixel);
    return false;
}

}  // namespace

void LoadJpegImage(TBitmap& bitmap, TStream& stream) { DecodeInto(bitmap, stream, 24, nullptr); }

bool LoadJpegImage32(TBitmap& bitmap, TStream& stream, const std::atomic<bool>* stop) {
    return DecodeInto(bitmap, stream, 32, stop);
}
