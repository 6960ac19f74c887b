#include "platform/linux/settings_file/ini_scan.h"

#include <ini.h>

#include <cctype>
#include <cstring>

namespace pelandra::qt {

namespace {

bool isBlank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;  // inih's own test
}

// The state of one pass: inih asks for lines through readLine and reports values to onValue,
// which finds each value's place in the text from where inih's copy of the line came from.
struct Pass {
    std::string_view text;
    size_t next = 0;             // where the next line starts
    const char* copy = nullptr;  // inih's buffer, holding text from copiedFrom on
    size_t copySize = 0;
    size_t copiedFrom = 0;
    size_t contentEnd = 0;  // the current line without its line feed
    size_t lineEnd = 0;
    bool cut = false;  // the line was longer than inih's buffer
    std::vector<IniEntry> entries;
};

char* readLine(char* buffer, int size, void* stream) {
    Pass& pass = *static_cast<Pass*>(stream);
    if (pass.next >= pass.text.size() || size < 3) return nullptr;
    const std::string_view text = pass.text;
    const size_t feed = text.find('\n', pass.next);
    pass.lineEnd = feed == std::string_view::npos ? text.size() : feed + 1;
    pass.contentEnd = feed == std::string_view::npos ? text.size() : feed;
    // Without its leading blanks no line reads as the continuation of the one before.
    size_t start = pass.next;
    while (start < pass.contentEnd && isBlank(text[start])) ++start;
    size_t length = pass.lineEnd - start;
    pass.cut = length > size_t(size) - 1;
    if (pass.cut) length = size_t(size) - 2;
    std::memcpy(buffer, text.data() + start, length);
    if (pass.cut) buffer[length++] = '\n';  // inih then takes the cut line as a whole one
    buffer[length] = '\0';
    pass.copy = buffer;
    pass.copySize = size_t(size);
    pass.copiedFrom = start;
    pass.next = pass.lineEnd;
    return buffer;
}

int onValue(void* user, const char* section, const char* name, const char* value) {
    Pass& pass = *static_cast<Pass*>(user);
    if (value == nullptr || value < pass.copy || value >= pass.copy + pass.copySize) return 1;
    IniEntry entry{section, name};
    entry.valueBegin = pass.copiedFrom + size_t(value - pass.copy);
    entry.lineEnd = pass.lineEnd;
    if (!pass.cut) {
        entry.valueEnd = entry.valueBegin + std::strlen(value);
    } else {
        // The rest of a long value is in the text only: read on to a ';' after a blank, a
        // NUL or the line's end, as inih does.
        const std::string_view text = pass.text;
        size_t begin = entry.valueBegin;
        while (begin < pass.contentEnd && isBlank(text[begin])) ++begin;
        size_t end = begin;
        bool afterBlank = begin > 0 && isBlank(text[begin - 1]);
        while (end < pass.contentEnd && text[end] != '\0' && !(afterBlank && text[end] == ';')) {
            afterBlank = isBlank(text[end]);
            ++end;
        }
        while (end > begin && isBlank(text[end - 1])) --end;
        entry.valueBegin = begin;
        entry.valueEnd = end;
    }
    pass.entries.push_back(std::move(entry));
    return 1;
}

std::string_view lineEnding(std::string_view text) {
    const size_t feed = text.find('\n');
    return feed != std::string_view::npos && feed > 0 && text[feed - 1] == '\r' ? "\r\n" : "\n";
}

// Just past the line "[section]" that holds no values, or npos.
size_t afterEmptyHeader(std::string_view text, std::string_view section) {
    std::string header = "[";
    header.append(section).append("]");
    for (size_t start = 0; start < text.size();) {
        const size_t feed = text.find('\n', start);
        const size_t end = feed == std::string_view::npos ? text.size() : feed + 1;
        size_t at = start;
        if (start == 0 && text.substr(0, 3) == "\xEF\xBB\xBF") at = 3;
        while (at < end && isBlank(text[at])) ++at;
        if (text.substr(at, end - at).substr(0, header.size()) == header) return end;
        start = end;
    }
    return std::string_view::npos;
}

}  // namespace

std::vector<IniEntry> scanIni(std::string_view text) {
    Pass pass;
    pass.text = text;
    ini_parse_stream(readLine, &pass, onValue, &pass);  // lines it cannot read are skipped
    return std::move(pass.entries);
}

std::optional<std::string> findIniValue(std::string_view text, std::string_view section,
                                        std::string_view name) {
    for (const IniEntry& entry : scanIni(text)) {
        if (entry.section == section && entry.name == name) {
            return std::string(text.substr(entry.valueBegin, entry.valueEnd - entry.valueBegin));
        }
    }
    return std::nullopt;
}

std::string withIniValue(std::string_view text, std::string_view section, std::string_view name,
                         std::string_view value) {
    const std::vector<IniEntry> entries = scanIni(text);
    std::string result;
    for (const IniEntry& entry : entries) {
        if (entry.section == section && entry.name == name) {
            result.append(text.substr(0, entry.valueBegin)).append(value);
            // An empty value stands right before its comment: keep a blank between them.
            const bool beforeComment = entry.valueEnd < text.size() && text[entry.valueEnd] == ';';
            if (entry.valueBegin == entry.valueEnd && beforeComment) result.append(" ");
            return result.append(text.substr(entry.valueEnd));
        }
    }
    const std::string_view eol = lineEnding(text);
    size_t at = std::string_view::npos;
    for (const IniEntry& entry : entries) {
        if (entry.section == section) {
            at = entry.lineEnd;
        } else if (at != std::string_view::npos) {
            break;  // the end of the section's first run of values
        }
    }
    if (at == std::string_view::npos) at = afterEmptyHeader(text, section);
    const bool newSection = at == std::string_view::npos;
    if (newSection) at = text.size();
    result.append(text.substr(0, at));
    if (!result.empty() && result.back() != '\n') result.append(eol);
    if (newSection) result.append("[").append(section).append("]").append(eol);
    result.append(name).append("=").append(value).append(eol);
    return result.append(text.substr(at));
}

}  // namespace pelandra::qt
