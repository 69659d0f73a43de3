// Decoding of the charsets the model does not know itself (Shift_JIS, GBK,
// Big5, the ISO-8859 family, UTF-7, ...) through the C library's iconv.
#pragma once

// Installs the process-wide charset hook of the model; call once at start-up.
void InstallIconvCharsetHook();
