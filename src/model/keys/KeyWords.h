// Key words of the effect description files: "a", "F5", "num+", "vol-",
// "k45" ... each names one virtual-key code. Words compare without regard to
// ASCII case.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

class IPrompt;

// The virtual-key code of a key word, 0 when the word names no key. Only the
// first 10 characters of the word count.
uint8_t KeyWordToVk(std::string_view word);

// KeyWordToVk for one word of a line of an effect file. An unknown word is
// logged and, when a prompt is given, shown as the warning
// "text_to_vk: wrong string=<word>, pszALL=<line>, file=<file>"; the result is
// then 0 and the caller skips the word.
uint8_t text_to_vk(const std::filesystem::path& file, std::string_view line, std::string_view word,
                   IPrompt* pPrompt);
