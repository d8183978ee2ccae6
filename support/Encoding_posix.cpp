// The portable build's conversion, through iconv.
#include <iconv.h>

#include <cerrno>

#include "support/TextWork.h"

std::string ShiftJisFromUtf8(std::string_view text, bool* lossy) {
    if (lossy) *lossy = false;
    std::string out;
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(text);
    char buffer[4096];
    char* in = const_cast<char*>(text.data());
    std::size_t left = text.size();
    while (left > 0) {
        char* to = buffer;
        std::size_t room = sizeof buffer;
        const std::size_t done = iconv(cd, &in, &left, &to, &room);
        out.append(buffer, static_cast<std::size_t>(to - buffer));
        if (done == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // A character the code page lacks (or a broken one): "?" for it, and on.
            out += '?';
            if (lossy) *lossy = true;
            do {
                ++in;
                --left;
            } while (left > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80);
        }
    }
    iconv_close(cd);
    return out;
}
