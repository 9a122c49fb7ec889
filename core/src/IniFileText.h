#pragma once

#include <string>
#include <string_view>

namespace mz::initext {

// How a settings file's bytes are encoded, told by its byte-order mark as Windows' own reader
// tells it; a file without one is Windows-1252.
enum class Encoding { Ansi, Utf8, Utf16Le, Utf16Be };

Encoding EncodingOf(std::string_view bytes) noexcept;

// The file's text in Windows-1252, as Windows' reader sees it: without the mark; characters
// Windows-1252 lacks, and malformed sequences, become '?'.
std::string ToCp1252(std::string_view bytes);

// The file's text for editing without loss: Windows-1252 bytes for an ANSI file, UTF-8 for
// the others (without the mark).
std::string ToEditable(std::string_view bytes, Encoding encoding);
// A Windows-1252 name or value in the form ToEditable gives for encoding.
std::string FromCp1252(std::string_view text, Encoding encoding);
// Edited text back to the file's own encoding, with its mark.
std::string ToFileBytes(std::string_view text, Encoding encoding);

} // namespace mz::initext
