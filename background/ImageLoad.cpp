#include "background/ImageLoad.h"

#include <algorithm>
#include <cstring>

#include "support/Errors.h"
#include "support/TextWork.h"

const char* const kImageTooLargeMessage = "この画像の大きさには対応していません";

void CheckImageSize(std::int64_t width, std::int64_t height) {
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide ||
        width * height > kMaxImagePixels)
        throw EError(kImageTooLargeMessage);
}

void CheckStreamedSize(std::int64_t width, std::int64_t height) {
    if (width <= 0 || height <= 0 || width > kMaxStreamedSide || height > kMaxStreamedSide)
        throw EError(kImageTooLargeMessage);
}

void UnscrambleJpx(std::vector<std::uint8_t>& bytes) {
    const std::size_t n = bytes.size();
    std::uint8_t key = kJpxSeed;
    for (std::size_t i = 0; i < n; ++i) {
        bytes[i] ^= key;
        key = static_cast<std::uint8_t>(key + static_cast<std::uint8_t>(n - i));
    }
}

namespace {

// The JPEG inside a .jpx stream; false, with nothing read, for one larger than a .jpx may be.
bool ReadUnscrambledJpx(TStream& stream, std::vector<std::uint8_t>& bytes) {
    if (!ReadRest(stream, bytes, kMaxJpxSize)) return false;
    UnscrambleJpx(bytes);
    return true;
}

}  // namespace

void LoadJpxImage(TBitmap& bitmap, TStream& stream) {
    std::vector<std::uint8_t> bytes;
    if (!ReadUnscrambledJpx(stream, bytes)) return;
    TMemoryStream plain(std::move(bytes));
    LoadJpegImage(bitmap, plain);
}

bool LoadJpxImage32(TBitmap& bitmap, TStream& stream, const std::atomic<bool>* stop) {
    std::vector<std::uint8_t> bytes;
    if (!ReadUnscrambledJpx(stream, bytes)) return false;
    TMemoryStream plain(std::move(bytes));
    return LoadJpegImage32(bitmap, plain, stop);
}

void LoadImageFile(TBitmap& bitmap, const std::string& path) {
    TFileStream file(path);
    LoadImageStream(bitmap, path, file);
}

void LoadImageStream(TBitmap& bitmap, const std::string& name, TStream& stream) {
    std::size_t dot = name.find_last_of('.');
    const std::string ext = dot == std::string::npos ? "" : LowerCaseSjis(name.substr(dot));
    if (ext == ".bmp") LoadBmpImage(bitmap, stream);
    if (ext == ".png") LoadPngImage(bitmap, stream);
    if (ext == ".jpg" || ext == ".jpeg") LoadJpegImage(bitmap, stream);
    if (ext == ".jpx") LoadJpxImage(bitmap, stream);
}

namespace {

// Reads bytes shared with the picture cache, without a copy.
class TSharedBytesStream : public TStream {
public:
    explicit TSharedBytesStream(std::shared_ptr<const std::vector<std::uint8_t>> bytes) : bytes_(std::move(bytes)) {}
    std::size_t Read(void* buffer, std::size_t count) override {
        const std::size_t n = position_ >= bytes_->size() ? 0 : std::min(count, bytes_->size() - position_);
        if (n) std::memcpy(buffer, bytes_->data() + position_, n);
        position_ += n;
        return n;
    }
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
        const std::int64_t base = origin == soBeginning ? 0
                                  : origin == soCurrent ? static_cast<std::int64_t>(position_)
                                                        : static_cast<std::int64_t>(bytes_->size());
        position_ = static_cast<std::size_t>(std::max<std::int64_t>(0, base + offset));
        return static_cast<std::int64_t>(position_);
    }

private:
    std::shared_ptr<const std::vector<std::uint8_t>> bytes_;
    std::size_t position_ = 0;
};

}  // namespace

std::unique_ptr<TRowSource> OpenPictureRows(const std::string& name,
                                            std::shared_ptr<const std::vector<std::uint8_t>> bytes,
                                            const std::atomic<bool>* stop, bool unfinished) {
    std::size_t dot = name.find_last_of('.');
    const std::string ext = dot == std::string::npos ? "" : LowerCaseSjis(name.substr(dot));
    if (ext == ".bmp") return OpenBmpRows(std::make_unique<TSharedBytesStream>(std::move(bytes)));
    if (ext == ".png") return OpenPngRows(std::make_unique<TSharedBytesStream>(std::move(bytes)), stop);
    if (ext == ".jpg" || ext == ".jpeg") return OpenJpegRows(std::move(bytes), stop, unfinished);
    if (ext == ".jpx" && bytes->size() <= static_cast<std::size_t>(kMaxJpxSize)) {
        std::vector<std::uint8_t> plain(*bytes);
        UnscrambleJpx(plain);
        return OpenJpegRows(std::make_shared<const std::vector<std::uint8_t>>(std::move(plain)), stop, unfinished);
    }
    return nullptr;
}
