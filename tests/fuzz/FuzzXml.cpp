// Feeds arbitrary bytes to the XML reader: load, index, walk every element with
// its text and attributes through the public calls, and dump the tree.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "text/XmlReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    CXmlReader reader;
    if (!reader.LoadBytes(std::string_view(reinterpret_cast<const char*>(pData), nSize))) return 0;
    reader.SetDocument();
    (void)reader.GetResultText();

    // Depth-first over the whole tree: FindChild steps through the children of the
    // current element, EnterElement goes down, LeaveElement comes back up.
    reader.ResetPosition();
    if (reader.FindElement()) {
        size_t nDepth = 0;
        for (;;) {
            if (reader.FindChild()) {
                (void)reader.GetChildName();
                (void)reader.GetChildText();
                size_t nAttr = 0;
                for (const auto& attr : reader.GetChildAttributes())
                    if (nAttr++ < 4) (void)reader.GetChildAttribute(attr.first);  // each look-up is linear
                (void)reader.GetChildAttribute(u"id");
                reader.EnterElement();
                ++nDepth;
                continue;
            }
            if (nDepth == 0) break;
            reader.LeaveElement();
            --nDepth;
        }
    }
    // Named look-ups from the top, as the program's callers make them.
    reader.ResetPosition();
    while (reader.FindChild(u"config")) (void)reader.GetChildText();
    (void)DumpXmlTree(reader);
    return 0;
}
