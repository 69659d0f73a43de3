// The update description, update_version.xml: any root element whose children
// named dev are the entries, in document order. Every value is an attribute of
// dev: vid, pid, drvver and fwver in hexadecimal without a prefix, driver and fw
// the download locations of the program installer and the keyboard firmware.
//
// This is the one place that validates what the description says; the check
// works on the plain records below.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CXmlReader;

// One hexadecimal attribute. An absent attribute reads as 0 and is valid; a
// present one is valid only when it is 1 to 8 hexadecimal digits and nothing
// else (an empty value, a sign, a prefix or a space is a format error).
struct UpdateHex {
    uint32_t nValue = 0;
    bool bValid = true;
    bool operator==(const UpdateHex&) const = default;
};

struct UpdateEntry {
    UpdateHex vid, pid;
    UpdateHex drvver;      // newest program version, on the scale of the Ver option
    UpdateHex fwver;       // newest firmware, one byte: high nibble major, low nibble minor
    std::string strDriver;  // installer location (UTF-8), "www" rule applied
    std::string strFw;      // firmware location (UTF-8), "www" rule applied
};

struct UpdateDesc {
    std::vector<UpdateEntry> entries;
};

// The value of one attribute; nullopt for text that is not 1..8 hexadecimal digits.
std::optional<uint32_t> ParseUpdateHex(std::u16string_view text);

// A location whose first three characters are "www" gets "http://" in front.
std::string ApplyWwwRule(std::string_view url);

// Reads the entries of a document the reader has indexed. False, with nothing
// read, when the document is not well-formed or has no root element.
bool ReadUpdateDesc(CXmlReader& reader, UpdateDesc& out);

// The same from the file's bytes (tests, fuzzing, the command-line tool).
bool ReadUpdateDescBytes(std::string_view bytes, UpdateDesc& out);
