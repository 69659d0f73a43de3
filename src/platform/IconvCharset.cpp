#include "platform/IconvCharset.h"

#include <iconv.h>

#include <cerrno>
#include <string>
#include <string_view>

#include "text/Charset.h"

namespace {

// Charset names come from the files being read. Only plain names go to iconv,
// never its "//TRANSLIT"-style suffixes or anything that looks like a path.
bool IsPlainCharsetName(std::string_view name)
{
    if (name.empty() || name.size() > 64) return false;
    for (char c : name) {
        const bool bOk = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                         c == '_' || c == '.' || c == ':' || c == '+';
        if (!bOk) return false;
    }
    return true;
}

void AppendUtf16Le(std::u16string& out, const char* p, size_t n)
{
    for (size_t i = 0; i + 1 < n; i += 2)
        out += char16_t(static_cast<unsigned char>(p[i]) | (static_cast<unsigned char>(p[i + 1]) << 8));
}

bool IconvDecode(std::string_view charset, std::string_view bytes, std::u16string& out)
{
    if (!IsPlainCharsetName(charset)) return false;
    const std::string name(charset);
    iconv_t cd = iconv_open("UTF-16LE", name.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;

    out.clear();
    out.reserve(bytes.size());
    char buf[8192];
    char* pIn = const_cast<char*>(bytes.data());  // iconv's signature; the input is not written
    size_t nIn = bytes.size();
    for (;;) {
        char* pOut = buf;
        size_t nOut = sizeof(buf);
        const size_t r = nIn ? iconv(cd, &pIn, &nIn, &pOut, &nOut) : iconv(cd, nullptr, nullptr, &pOut, &nOut);
        const int nErr = errno;
        AppendUtf16Le(out, buf, size_t(pOut - buf));
        if (r != size_t(-1)) {
            if (nIn == 0 && pOut == buf) break;  // input used up and the state flushed
            continue;
        }
        if (nErr == E2BIG) continue;
        if (nErr == EILSEQ && nIn > 0) {
            // A byte the charset does not allow: one replacement character, and go
            // on after the byte.
            out += char16_t(0xFFFD);
            ++pIn;
            --nIn;
            continue;
        }
        if (nErr == EINVAL) {  // a sequence cut off at the end of the text
            out += char16_t(0xFFFD);
            nIn = 0;
            continue;
        }
        iconv_close(cd);
        return false;
    }
    iconv_close(cd);
    return true;
}

}  // namespace

void InstallIconvCharsetHook() { SetCharsetHook(IconvDecode); }
