// Fuzzes the INI reader, the value parsers and the INI writer's edit, all in
// memory (the file layer around them is the same for every file). Beyond "no crash,
// no sanitizer report" it checks what callers rely on: a write is read back as
// written, every other value reads as before, and the file keeps its encoding.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/Ini.h"
#include "core/IniValues.h"

#define FUZZ_CHECK(cond)                                                           \
    do {                                                                           \
        if (!(cond)) {                                                             \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond); \
            std::abort();                                                          \
        }                                                                          \
    } while (0)

namespace {

struct Pair { std::string section, key; };

bool SameName(std::string_view a, std::string_view b)
{
    auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i])) return false;
    return true;
}

void ParseValue(std::string_view v)
{
    (void)ParseIniInt(v);
    FUZZ_CHECK(ParseNumberList(v, 10, 16).size() <= 16);
    FUZZ_CHECK(ParseNumberList(v, 16, 8).size() <= 8);
    FUZZ_CHECK(ParseMixedList(v, {10, 10, 10, 10, 16, 16, 16, 10, 10}).size() <= 9);
    ZColor clr = 0;
    if (ParseColor(v, clr)) FUZZ_CHECK(clr <= 0xFFFFFF);
    FUZZ_CHECK(ParseColorList(v, 10).size() <= 10);
    ZPoint pt;
    (void)ParsePoint(v, pt);
    ZRect rc;
    (void)ParseRect(v, rc);
    const std::string cut = CutToCapacity(v, 8);
    FUZZ_CHECK(v.substr(0, cut.size()) == cut);
}

// Edits section/key=value in a copy of the input and checks the result.
void CheckWrite(std::string_view bytes, const CIniFile& before, const std::vector<Pair>& pairs,
                const Pair& target, std::string_view value)
{
    std::string out, strErr;
    if (!EditIniBytes(std::string(bytes), target.section, target.key, value, out, strErr)) {
        FUZZ_CHECK(!strErr.empty());
        FUZZ_CHECK(out.empty());  // a refused write has nothing to write
        return;
    }
    const CIniFile after = CIniFile::FromBytes(out);
    FUZZ_CHECK(after.Raw(target.section, target.key) == std::string(value));
    const bool bConverted = before.Encoding() == "windows-1252" && after.Encoding() == "UTF-8";
    FUZZ_CHECK(bytes.empty() || bConverted || after.Encoding() == before.Encoding());
    for (const Pair& p : pairs) {
        if (SameName(p.section, target.section) && SameName(p.key, target.key)) continue;  // the one written
        FUZZ_CHECK(after.Raw(p.section, p.key) == before.Raw(p.section, p.key));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const CIniFile ini = CIniFile::FromBytes(bytes);

    (void)ini.Raw("OPT", "Title");
    const std::string title = ini.GetString("OPT", "Title", "def", 40);
    FUZZ_CHECK(title.size() <= 39 * 3);
    (void)ini.GetInt("OPT", "Debug", 0);
    (void)ini.GetInt("ms", "vid", 9610);

    std::vector<Pair> pairs;
    ini.VisitValues([&](std::string_view s, std::string_view k, std::string_view v) {
        FUZZ_CHECK(ini.Raw(s, k).has_value());
        ParseValue(v);
        if (pairs.size() < 64) pairs.push_back({std::string(s), std::string(k)});
    });

    CheckWrite(bytes, ini, pairs, {"OPT", "LangIndex"}, "123");
    if (!pairs.empty()) CheckWrite(bytes, ini, pairs, pairs.front(), "v\xC3\xA4");  // an existing key, non-ASCII
    return 0;
}
