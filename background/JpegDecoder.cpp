// JPEG through libjpeg(-turbo): full size, B, G, R (or B, G, R, 255) rows, a strip at a time.
// libjpeg reports errors by longjmp; each call into it runs in Guarded, whose frame and the
// library's hold no C++ object, and the error becomes an exception only after it has returned.
#include <algorithm>
#include <atomic>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "background/ImageLoad.h"
#include "background/YccRows.h"
#include "support/Errors.h"

namespace {

// A progressive file with thousands of scans would take minutes; real files have a dozen.
constexpr int kMaxScans = 500;
const char* const kStoppedMessage = "JPEGの読み込みを中止しました";

enum JumpReason { kNone, kLibraryError, kTooManyScans, kStopped };

struct JpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, kLibraryError);
}

void OnOutputMessage(j_common_ptr) {}  // warnings (a truncated file, say) are not shown

// The progress monitor runs for each row of blocks as the scans are read: the stop of a rendering
// is looked at there too, as a progressive file reads all its scans before its first row.
struct JpegProgress {
    jpeg_progress_mgr pub;
    const std::atomic<bool>* stop;
};

void OnProgress(j_common_ptr cinfo) {
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    auto* jump = &reinterpret_cast<JpegErrorManager*>(cinfo->err)->jump;
    if (d->input_scan_number > kMaxScans) std::longjmp(*jump, kTooManyScans);
    const std::atomic<bool>* stop = reinterpret_cast<JpegProgress*>(cinfo->progress)->stop;
    if (stop && stop->load(std::memory_order_relaxed)) std::longjmp(*jump, kStopped);
}

struct JpegState {
    jpeg_decompress_struct cinfo;
    JpegProgress progress;
    JpegErrorManager err;
};

struct ReadArgs {
    JSAMPROW* rows;
    int count;
};

struct RawArgs {
    JSAMPIMAGE planes;
    int lines;
};

int Guarded(JpegState* s, void (*step)(JpegState*, void*), void* arg) {
    if (int jumped = setjmp(s->err.jump)) return jumped;
    step(s, arg);
    return kNone;
}

void OpenStep(JpegState* s, void* arg) {
    auto* data = static_cast<std::vector<std::uint8_t>*>(arg);
    jpeg_mem_src(&s->cinfo, data->data(), static_cast<unsigned long>(data->size()));
    jpeg_read_header(&s->cinfo, TRUE);
}

// A file read a chunk at a time as the decoder asks for it, on the thread that decodes: the
// reading overlaps the decoding and the bytes are never all in memory (unless kept for a cache).
struct StreamSource {
    static constexpr std::size_t kChunk = 64 * 1024;
    jpeg_source_mgr pub;
    TStream* stream;
    std::vector<std::uint8_t>* keep;  // every byte read is added here; may be null
    std::uint8_t buffer[kChunk];
};

// Nothing may raise inside libjpeg: the bytes go only into the room reserved for them, and a
// file that grew meanwhile is not kept at all.
void Keep(StreamSource* src, std::size_t got) {
    if (!src->keep) return;
    if (src->keep->capacity() - src->keep->size() < got) {
        src->keep->clear();
        src->keep = nullptr;
        return;
    }
    src->keep->insert(src->keep->end(), src->buffer, src->buffer + got);
}

void InitSource(j_decompress_ptr) {}

boolean FillInput(j_decompress_ptr cinfo) {
    auto* src = reinterpret_cast<StreamSource*>(cinfo->src);
    std::size_t got = src->stream->Read(src->buffer, StreamSource::kChunk);
    Keep(src, got);
    if (got == 0) {
        // As libjpeg's own file source: a truncated file ends in a fake EOI, with a warning.
        WARNMS(cinfo, JWRN_JPEG_EOF);
        src->buffer[0] = 0xFF;
        src->buffer[1] = JPEG_EOI;
        got = 2;
    }
    src->pub.next_input_byte = src->buffer;
    src->pub.bytes_in_buffer = got;
    return TRUE;
}

void SkipInput(j_decompress_ptr cinfo, long count) {
    auto* src = &cinfo->src->bytes_in_buffer;
    while (count > 0) {
        if (static_cast<std::size_t>(count) <= *src) {
            cinfo->src->next_input_byte += count;
            *src -= static_cast<std::size_t>(count);
            return;
        }
        count -= static_cast<long>(*src);
        FillInput(cinfo);
    }
}

void TermSource(j_decompress_ptr) {}

void OpenStreamStep(JpegState* s, void* arg) {
    auto* src = static_cast<StreamSource*>(arg);
    src->pub.init_source = InitSource;
    src->pub.fill_input_buffer = FillInput;
    src->pub.skip_input_data = SkipInput;
    src->pub.resync_to_restart = jpeg_resync_to_restart;
    src->pub.term_source = TermSource;
    src->pub.next_input_byte = nullptr;
    src->pub.bytes_in_buffer = 0;
    s->cinfo.src = &src->pub;
    jpeg_read_header(&s->cinfo, TRUE);
}

struct StartArgs {
    J_COLOR_SPACE space;
    bool raw;
};

void StartStep(JpegState* s, void* arg) {
    auto* a = static_cast<StartArgs*>(arg);
    s->cinfo.out_color_space = a->space;
    s->cinfo.raw_data_out = a->raw;
    s->cinfo.scale_num = s->cinfo.scale_denom = 1;
    s->cinfo.dct_method = JDCT_ISLOW;
    jpeg_start_decompress(&s->cinfo);
}

void RawStep(JpegState* s, void* arg) {
    auto* a = static_cast<RawArgs*>(arg);
    jpeg_read_raw_data(&s->cinfo, a->planes, static_cast<JDIMENSION>(a->lines));
}

// A row of a plane as the decoder writes it: whole blocks.
std::size_t PlaneRowBytes(const jpeg_decompress_struct& c, int component) {
    return static_cast<std::size_t>(c.comp_info[component].width_in_blocks) * DCTSIZE;
}

// The planes of a Y, Cb, Cr picture whose chroma libjpeg would upsample as TYccRows does; no
// layout when the rows must come whole.
std::unique_ptr<TYccRows> YccMaker(const jpeg_decompress_struct& c) {
    if (c.num_components != 3 || c.jpeg_color_space != JCS_YCbCr) return nullptr;
    const jpeg_component_info* comp = c.comp_info;
    for (int i = 1; i < 3; ++i)
        if (comp[i].h_samp_factor != 1 || comp[i].v_samp_factor != 1) return nullptr;
    const int w = static_cast<int>(c.image_width), h = comp[0].h_samp_factor, v = comp[0].v_samp_factor;
    if (h > 2 || v > 2 || (h == 1 && v == 2) || !YccRowsFit(w, h, v)) return nullptr;
    TYccLayout layout;
    layout.width = w, layout.height = static_cast<int>(c.image_height), layout.h = h, layout.v = v;
    layout.yBytes = PlaneRowBytes(c, 0), layout.cBytes = PlaneRowBytes(c, 1);
    return std::make_unique<TYccRows>(layout);
}

void ReadStep(JpegState* s, void* arg) {
    auto* a = static_cast<ReadArgs*>(arg);
    for (int done = 0; done < a->count && s->cinfo.output_scanline < s->cinfo.output_height;)
        done += static_cast<int>(jpeg_read_scanlines(&s->cinfo, a->rows + done, static_cast<JDIMENSION>(a->count - done)));
}

void FinishStep(JpegState* s, void*) { jpeg_finish_decompress(&s->cinfo); }

}  // namespace

// The decoder behind both the whole-picture loaders and the row source.
class TJpegRows : public TRowSource {
public:
    TJpegRows(std::shared_ptr<const std::vector<std::uint8_t>> data, bool withAlpha) : data_(std::move(data)) {
        Open(withAlpha, OpenStep, const_cast<std::vector<std::uint8_t>*>(data_.get()));
    }
    TJpegRows(std::unique_ptr<TStream> stream, std::shared_ptr<std::vector<std::uint8_t>> keep)
        : stream_(std::move(stream)), keep_(std::move(keep)), source_(std::make_unique<StreamSource>()) {
        source_->stream = stream_.get();
        source_->keep = keep_.get();
        Open(true, OpenStreamStep, source_.get());
    }
    // After the size has been looked at: a progressive file takes its memory and reads all its
    // scans here. False once *stop is set meanwhile.
    // With unfinished, a Y, Cb, Cr picture may come as the units of Maker().
    bool Start(const std::atomic<bool>* stop, bool unfinished = false) {
        s_.progress.stop = stop;
        if (unfinished) maker_ = YccMaker(s_.cinfo);
        StartArgs args{space_, maker_ != nullptr};
        const bool started = Run(StartStep, &args);
        s_.progress.stop = nullptr;
        return started;
    }
    ~TJpegRows() override { jpeg_destroy_decompress(&s_.cinfo); }
    TJpegRows(const TJpegRows&) = delete;
    TJpegRows& operator=(const TJpegRows&) = delete;

    int Width() const override { return static_cast<int>(s_.cinfo.image_width); }
    int Height() const override { return static_cast<int>(s_.cinfo.image_height); }
    TRowMaker* Maker() override { return maker_.get(); }
    void ReadRows(std::uint8_t* rows, std::size_t stride, int count) override {
        if (maker_) {
            ReadUnits(rows, stride, count);
            return;
        }
        JSAMPROW pointers[16];
        for (int at = 0; at < count; at += 16) {
            const int n = std::min(16, count - at);
            for (int i = 0; i < n; ++i) pointers[i] = rows + static_cast<std::size_t>(at + i) * stride;
            ReadArgs args{pointers, n};
            Run(ReadStep, &args);
        }
        FinishAtEnd();
    }

private:
    // A row of blocks of the chroma at a time: eight units.
    void ReadUnits(std::uint8_t* units, std::size_t stride, int count) {
        const int v = maker_->rowsPerUnit;
        const std::size_t yBytes = PlaneRowBytes(s_.cinfo, 0), cBytes = PlaneRowBytes(s_.cinfo, 1);
        JSAMPROW y[16], cb[8], cr[8];
        JSAMPARRAY planes[3] = {y, cb, cr};
        for (int at = 0; at + 8 <= count && s_.cinfo.output_scanline < s_.cinfo.output_height; at += 8) {
            for (int i = 0; i < 8; ++i) {
                std::uint8_t* unit = units + static_cast<std::size_t>(at + i) * stride;
                for (int r = 0; r < v; ++r) y[i * v + r] = unit + static_cast<std::size_t>(r) * yBytes;
                cb[i] = unit + static_cast<std::size_t>(v) * yBytes;
                cr[i] = cb[i] + cBytes;
            }
            RawArgs args{planes, 8 * v};
            Run(RawStep, &args);
        }
        FinishAtEnd();
    }

    void FinishAtEnd() {
        if (s_.cinfo.output_scanline >= s_.cinfo.output_height && !finished_) {
            finished_ = true;
            Run(FinishStep, nullptr);
            // Bytes after the end of the picture belong to the file a cache keeps.
            for (std::size_t got = 1; source_ && source_->keep && got > 0;) {
                got = stream_->Read(source_->buffer, StreamSource::kChunk);
                Keep(source_.get(), got);
            }
        }
    }

    void Open(bool withAlpha, void (*open)(JpegState*, void*), void* arg) {
        s_.cinfo.err = jpeg_std_error(&s_.err.pub);
        s_.err.pub.error_exit = OnError;
        s_.err.pub.output_message = OnOutputMessage;
        s_.err.message[0] = 0;
        jpeg_create_decompress(&s_.cinfo);
        s_.progress.pub.progress_monitor = OnProgress;
        s_.progress.stop = nullptr;
        s_.cinfo.progress = &s_.progress.pub;
        s_.cinfo.mem->max_memory_to_use = 512L * 1024 * 1024;
        space_ = withAlpha ? JCS_EXT_BGRX : JCS_EXT_BGR;  // X is written as 0xFF
        try {
            Run(open, arg);
        } catch (...) {
            jpeg_destroy_decompress(&s_.cinfo);
            throw;
        }
    }

    // False when stopped.
    bool Run(void (*step)(JpegState*, void*), void* arg) {
        switch (Guarded(&s_, step, arg)) {
        case kLibraryError: throw EError(s_.err.message);
        case kTooManyScans: throw EError("このJPEGはスキャン数が多すぎます");
        case kStopped: return false;
        default: return true;
        }
    }

    std::shared_ptr<const std::vector<std::uint8_t>> data_;
    std::unique_ptr<TStream> stream_;
    std::shared_ptr<std::vector<std::uint8_t>> keep_;
    std::unique_ptr<StreamSource> source_;
    J_COLOR_SPACE space_;
    std::unique_ptr<TYccRows> maker_;
    JpegState s_;
    bool finished_ = false;
};

namespace {

bool DecodeInto(TBitmap& bitmap, TStream& stream, int bitsPerPixel, const std::atomic<bool>* stop) {
    std::vector<std::uint8_t> data;
    ReadRest(stream, data, static_cast<std::size_t>(1) << 31);
    TJpegRows rows(std::make_shared<const std::vector<std::uint8_t>>(std::move(data)), bitsPerPixel == 32);
    CheckImageSize(rows.Width(), rows.Height());
    if (!rows.Start(stop)) {
        bitmap.Allocate(0, 0, bitsPerPixel);
        return false;
    }
    bitmap.Allocate(rows.Width(), rows.Height(), bitsPerPixel);
    for (int y = 0; y < rows.Height(); y += 64) {
        if (stop && stop->load(std::memory_order_relaxed)) {
            bitmap.Allocate(0, 0, bitsPerPixel);
            return false;
        }
        rows.ReadRows(bitmap.ScanLine(y), static_cast<std::size_t>(bitmap.Stride()), std::min(64, rows.Height() - y));
    }
    return true;
}

}  // namespace

std::unique_ptr<TRowSource> OpenJpegRows(std::shared_ptr<const std::vector<std::uint8_t>> data,
                                         const std::atomic<bool>* stop, bool unfinished) {
    auto rows = std::make_unique<TJpegRows>(std::move(data), true);
    CheckStreamedSize(rows->Width(), rows->Height());
    if (!rows->Start(stop, unfinished)) throw EError(kStoppedMessage);
    return rows;
}

std::unique_ptr<TRowSource> OpenJpegStreamRows(std::unique_ptr<TStream> stream,
                                               std::shared_ptr<std::vector<std::uint8_t>> keep,
                                               const std::atomic<bool>* stop, bool unfinished) {
    auto rows = std::make_unique<TJpegRows>(std::move(stream), std::move(keep));
    CheckStreamedSize(rows->Width(), rows->Height());
    if (!rows->Start(stop, unfinished)) throw EError(kStoppedMessage);
    return rows;
}

void LoadJpegImage(TBitmap& bitmap, TStream& stream) { DecodeInto(bitmap, stream, 24, nullptr); }

bool LoadJpegImage32(TBitmap& bitmap, TStream& stream, const std::atomic<bool>* stop) {
    return DecodeInto(bitmap, stream, 32, stop);
}
