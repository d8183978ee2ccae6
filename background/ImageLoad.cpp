#include "background/ImageLoad.h"

#include "support/Errors.h"
#include "support/TextWork.h"

const char* const kImageTooLargeMessage = "この画像の大きさには対応していません";

void CheckImageSize(std::int64_t width, std::int64_t height) {
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide ||
        width * height > kMaxImagePixels)
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
