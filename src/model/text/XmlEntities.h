// Named character references: the 252 names of HTML 4.01 plus "apos", which
// XML adds. Documents written by hand or exported from web tools use the HTML
// names (&nbsp; &copy; &euro;), so the reader accepts them all.
#pragma once

#include <string_view>

// The code point of a named reference given without '&' and ';' (letter case
// counts: "Eacute" and "eacute" differ), or 0 when the name is not known.
char32_t LookupXmlEntity(std::u16string_view name);
