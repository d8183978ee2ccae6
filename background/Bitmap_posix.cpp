#include <cstdlib>
#include <new>

#include "background/Bitmap.h"

namespace {

// calloc: large blocks come zeroed from the system without a pass over them.
class TMemoryStorage : public TPixelStorage {
public:
    explicit TMemoryStorage(std::size_t size) {
        bits = static_cast<std::uint8_t*>(std::calloc(size, 1));
        if (!bits) throw std::bad_alloc();
    }
    ~TMemoryStorage() override { std::free(bits); }
    TMemoryStorage(const TMemoryStorage&) = delete;
    TMemoryStorage& operator=(const TMemoryStorage&) = delete;
};

}  // namespace

std::unique_ptr<TPixelStorage> AllocatePixelStorage(int, int height, int, int stride) {
    return std::make_unique<TMemoryStorage>(static_cast<std::size_t>(stride) * static_cast<std::size_t>(height));
}
