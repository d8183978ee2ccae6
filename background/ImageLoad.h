// Picture files into bitmaps: Windows bitmaps, PNG, JPEG and scrambled JPEG (.jpx),
// chosen by the file name's extension alone.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "background/Bitmap.h"
#include "background/RowSource.h"
#include "support/Stream.h"

// A whole decode (a bitmap of the full picture) refuses pictures larger than this before any
// pixel memory is taken; the background of a window streams its picture instead.
constexpr int kMaxImageSide = 16384;
constexpr std::int64_t kMaxImagePixels = 64LL * 1024 * 1024;  // 256 MiB at four bytes a pixel
extern const char* const kImageTooLargeMessage;
// Raises kImageTooLargeMessage for a size of 0 or past the limits.
void CheckImageSize(std::int64_t width, std::int64_t height);

// Pictures read a few rows at a time need no memory for the whole picture: only their sides
// are bounded (a row in the ring must stay small). Raises kImageTooLargeMessage.
constexpr int kMaxStreamedSide = 65535;
void CheckStreamedSize(std::int64_t width, std::int64_t height);

// A .jpx file larger than this loads nothing.
constexpr std::int64_t kMaxJpxSize = 10000000;
// The key byte the scrambling of .jpx files starts with.
constexpr std::uint8_t kJpxSeed = 0xA7;
// Scrambles and unscrambles .jpx bytes in place.
void UnscrambleJpx(std::vector<std::uint8_t>& bytes);

void LoadImageFile(TBitmap& bitmap, const std::string& path);
// Unknown extensions load nothing and raise nothing.
void LoadImageStream(TBitmap& bitmap, const std::string& name, TStream& stream);

// The picture of a file's bytes as rows (32-bit, A = 255), named by its extension as for
// LoadImageStream; nullptr for what only a whole decode reads (run-length BMP) or what loads
// nothing (unknown extension, a PNG without IHDR, too big a .jpx). Raises what the loaders raise.
// A progressive JPEG reads all its scans here; once *stop is set meanwhile, that raises EError.
// With unfinished, a JPEG may hand out units for its Maker() instead of rows (for a TRowPipe).
std::unique_ptr<TRowSource> OpenPictureRows(const std::string& name,
                                            std::shared_ptr<const std::vector<std::uint8_t>> bytes,
                                            const std::atomic<bool>* stop = nullptr, bool unfinished = false);
std::unique_ptr<TRowSource> OpenJpegRows(std::shared_ptr<const std::vector<std::uint8_t>> data,
                                         const std::atomic<bool>* stop = nullptr, bool unfinished = false);
// A JPEG read from the stream as it is decoded, on the decoding thread; every byte of the stream
// goes into keep (when given) once the picture is decoded to its end.
std::unique_ptr<TRowSource> OpenJpegStreamRows(std::unique_ptr<TStream> stream,
                                               std::shared_ptr<std::vector<std::uint8_t>> keep = nullptr,
                                               const std::atomic<bool>* stop = nullptr, bool unfinished = false);
// Once *stop is set, reading through the chunks of a PNG (here or for a row) raises EError.
std::unique_ptr<TRowSource> OpenPngRows(std::unique_ptr<TStream> stream, const std::atomic<bool>* stop = nullptr);
std::unique_ptr<TRowSource> OpenBmpRows(std::unique_ptr<TStream> stream);

void LoadBmpImage(TBitmap& bitmap, TStream& stream);
void LoadPngImage(TBitmap& bitmap, TStream& stream);
void LoadJpegImage(TBitmap& bitmap, TStream& stream);
// The same straight into 32-bit pixels with A = 255. Once *stop is set (looked at between
// rows and between the scans of a progressive file) it gives up, leaves the bitmap empty and answers false.
bool LoadJpegImage32(TBitmap& bitmap, TStream& stream, const std::atomic<bool>* stop = nullptr);
void LoadJpxImage(TBitmap& bitmap, TStream& stream);
// LoadJpegImage32 of a .jpx stream.
bool LoadJpxImage32(TBitmap& bitmap, TStream& stream, const std::atomic<bool>* stop = nullptr);
