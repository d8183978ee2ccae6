#include <vector>

#include "background/Bitmap.h"

namespace {

class TMemoryStorage : public TPixelStorage {
public:
    explicit TMemoryStorage(std::size_t size) : memory_(size) { bits = memory_.data(); }

private:
    std::vector<std::uint8_t> memory_;
};

}  // namespace

std::unique_ptr<TPixelStorage> AllocatePixelStorage(int, int height, int, int stride) {
    return std::make_unique<TMemoryStorage>(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
}
