#pragma once

#include <QStringView>
#include <string>
#include <string_view>

// Text put into a data script in one pass: escaped as general::Escape_Texte
// does (\ doubled, ' -> \', < -> &lt;, > -> &gt;, a character Windows-1252
// lacks as "&#269;") when asked, and encoded in the script's encoding, UTF-8
// or Windows-1252.
namespace kalvor::script_text {

enum class Encoding { Utf8, Cp1252 };

// Text held as UTF-8 (the engine's). False, with nothing appended, when the
// bytes are not well-formed UTF-8: the caller then goes through QString,
// whose decoding replaces what cannot be read.
bool AppendUtf8(std::string& out, std::string_view utf8, bool escape, Encoding encoding);

void Append(std::string& out, QStringView text, bool escape, Encoding encoding);

}  // namespace kalvor::script_text
