// Where the values of an INI text are, as inih reads it, so that a value can be read as the
// bytes that stand in the file and one value can be replaced without touching anything else.
//
// inih's rules apply (sections in [], comment lines starting with ';' or '#', name=value or
// name:value, a value ending at a ';' after a blank, blanks around names and values left
// out, a UTF-8 byte order mark ignored) with two differences that keep hand-written values
// whole: no line continues the one before (leading blanks are only blanks), and a value may
// be longer than inih's line buffer. Values are never split into lists.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelandra::qt {

struct IniEntry {
    std::string section;
    std::string name;
    size_t valueBegin = 0;  // the value is text[valueBegin, valueEnd)
    size_t valueEnd = 0;
    size_t lineEnd = 0;  // just past the line's line feed, or the text's end
};

// Every name=value line of `text`, in file order.
std::vector<IniEntry> scanIni(std::string_view text);

// The first value of `name` in `section`, as its bytes stand, or nullopt when there is none.
std::optional<std::string> findIniValue(std::string_view text, std::string_view section,
                                        std::string_view name);

// `text` with the first value of `name` in `section` replaced by `value`; when there is none,
// a line "name=value" is added at the end of the section's first run of values (or under its
// header), or a new section at the end of the text. Every other byte stays as it was; added
// lines end as the text's first line does (CR LF or LF).
std::string withIniValue(std::string_view text, std::string_view section, std::string_view name,
                         std::string_view value);

}  // namespace pelandra::qt
