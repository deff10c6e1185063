#include "platform/IniFile.h"

#include "platform/Cp1250.h"
#include "platform/Files.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace platform {

namespace {

std::string_view Trim(std::string_view s) {
    const auto isBlank = [](char c) {
        return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
    };
    while (!s.empty() && isBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

// The name of a "[section]" line, or false when the line is not a header.
bool HeaderName(std::string_view line, std::string_view& name) {
    const std::string_view t = Trim(line);
    if (t.empty() || t.front() != '[') {
        return false;
    }
    const size_t close = t.find(']');
    if (close == std::string_view::npos) {
        return false;
    }
    name = Trim(t.substr(1, close - 1));
    return true;
}

bool SplitKeyLine(std::string_view line, std::string_view& key, std::string_view& value) {
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
        return false;
    }
    key = Trim(line.substr(0, eq));
    value = Trim(line.substr(eq + 1));
    // Windows drops one pair of surrounding quotes.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return !key.empty();
}

} // namespace

IniFile::IniFile(std::filesystem::path path) : path_(std::move(path)) {
    Refresh();
}

IniFile::Snapshot IniFile::Look() const {
    Snapshot s;
    std::error_code ec;
    if (path_.empty() || !std::filesystem::is_regular_file(path_, ec)) {
        return s;
    }
    s.exists = true;
    s.size = std::filesystem::file_size(path_, ec);
    s.mtime = std::filesystem::last_write_time(path_, ec);
    return s;
}

bool IniFile::Refresh(bool always) {
    // Held changes are newer than the file: reading it now would drop them.
    if (path_.empty() || pending_) {
        return true;
    }
    const Snapshot now = Look();
    if (!always && !readFailed_ && now == loaded_) {
        return true;
    }
    if (!now.exists) {
        loaded_ = now;
        readFailed_ = false;
        lines_.clear();
        crlf_ = true;
        finalNewline_ = true;
        return true;
    }
    std::string bytes;
    std::string error;
    if (!ReadWholeFile(path_, bytes, &error)) {
        // Keep what was read last; a write now would put it over the other lines on disk.
        lastError_ = error;
        readFailed_ = true;
        return false;
    }
    loaded_ = now;
    readFailed_ = false;
    Parse(bytes);
    return true;
}

void IniFile::SetContent(std::string_view bytes) {
    Parse(bytes);
}

void IniFile::Parse(std::string_view bytes) {
    lines_.clear();
    crlf_ =
        bytes.find("\r\n") != std::string_view::npos || bytes.find('\n') == std::string_view::npos;
    finalNewline_ = bytes.empty() || bytes.back() == '\n';
    size_t start = 0;
    while (start < bytes.size()) {
        size_t nl = bytes.find('\n', start);
        if (nl == std::string_view::npos) {
            nl = bytes.size();
        }
        std::string line(bytes.substr(start, nl - start));
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines_.push_back(std::move(line));
        start = nl + 1;
    }
}

std::string IniFile::Content() const {
    std::string bytes;
    const char* eol = crlf_ ? "\r\n" : "\n";
    for (size_t i = 0; i < lines_.size(); ++i) {
        bytes += lines_[i];
        if (i + 1 < lines_.size() || finalNewline_) {
            bytes += eol;
        }
    }
    return bytes;
}

void IniFile::BeginBatch() {
    ++batchDepth_;
}

bool IniFile::EndBatch() {
    if (batchDepth_ == 0 || --batchDepth_ > 0 || !pending_) {
        return true;
    }
    pending_ = false;
    return Save();
}

bool IniFile::Save() {
    if (path_.empty()) {
        return true;
    }
    if (batchDepth_ > 0) {
        pending_ = true;
        return true;
    }
    std::string error;
    if (!WriteFileAtomic(path_, Content(), &error)) {
        lastError_ = error;
        loaded_ = Snapshot{}; // what is on disk is not what we hold: read it again next time
        return false;
    }
    loaded_ = Look();
    ++saveCount_;
    return true;
}

bool IniFile::FindSection(std::string_view section, size_t& header, size_t& end) const {
    const std::string wanted = Utf8ToCp1250(Trim(section));
    for (size_t i = 0; i < lines_.size(); ++i) {
        std::string_view name;
        if (HeaderName(lines_[i], name) && Cp1250EqualNoCase(name, wanted)) {
            header = i;
            end = i + 1;
            while (end < lines_.size() && !HeaderName(lines_[end], name)) {
                ++end;
            }
            return true;
        }
    }
    return false;
}

bool IniFile::FindKey(size_t begin, size_t end, std::string_view key, size_t& line) const {
    const std::string wanted = Utf8ToCp1250(Trim(key));
    for (size_t i = begin; i < end; ++i) {
        std::string_view k;
        std::string_view v;
        if (SplitKeyLine(lines_[i], k, v) && Cp1250EqualNoCase(k, wanted)) {
            line = i;
            return true;
        }
    }
    return false;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view def) {
    Refresh();
    size_t header = 0;
    size_t end = 0;
    size_t line = 0;
    if (FindSection(section, header, end) && FindKey(header + 1, end, key, line)) {
        std::string_view k;
        std::string_view v;
        SplitKeyLine(lines_[line], k, v);
        return Cp1250ToUtf8(v);
    }
    return std::string(def);
}

int64_t IniFile::ReadInteger(std::string_view section, std::string_view key, int64_t def) {
    const std::string text = ReadString(section, key, "");
    std::string_view s = Trim(text);
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    int base = 10;
    if (s.size() > 1 && s.front() == '$') {
        base = 16;
        s.remove_prefix(1);
    } else if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s.remove_prefix(2);
    }
    int64_t value = 0;
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), value, base);
    if (s.empty() || ec != std::errc() || ptr != s.data() + s.size()) {
        return def;
    }
    return negative ? -value : value;
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool def) {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

double IniFile::ReadFloat(std::string_view section, std::string_view key, double def) {
    std::string text(Trim(ReadString(section, key, "")));
    for (char& c : text) {
        if (c == ',') {
            c = '.';
        }
    }
    const char* first = text.data();
    if (!text.empty() && text.front() == '+') {
        ++first;
    }
    double value = 0;
    const auto [ptr, ec] = std::from_chars(first, text.data() + text.size(), value);
    // "inf" and "nan" convert, but no setting means them.
    if (text.empty() || ec != std::errc() || ptr != text.data() + text.size() ||
        !std::isfinite(value)) {
        return def;
    }
    return value;
}

bool IniFile::ValidNames(std::string_view section, std::string_view key) {
    const std::string_view s = Trim(section);
    const std::string_view k = Trim(key);
    const bool valid = !s.empty() && !k.empty() &&
                       s.find_first_of("]\r\n") == std::string_view::npos &&
                       k.find_first_of("=\r\n") == std::string_view::npos && k.front() != '[';
    if (!valid) {
        lastError_ = "[" + std::string(section) + "] " + std::string(key) +
                     ": not a name a settings file can hold";
    }
    return valid;
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
    // Always from what is on disk now: another program's edit may not have changed the size
    // or the time.
    if (!ValidNames(section, key) || !Refresh(true)) {
        return false;
    }
    const std::string cpKey = Utf8ToCp1250(Trim(key));
    std::string cpValue = Utf8ToCp1250(value);
    for (char& c : cpValue) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    size_t header = 0;
    size_t end = 0;
    if (!FindSection(section, header, end)) {
        lines_.push_back("[" + Utf8ToCp1250(Trim(section)) + "]");
        lines_.push_back(cpKey + "=" + cpValue);
        return Save();
    }
    size_t line = 0;
    if (FindKey(header + 1, end, key, line)) {
        std::string_view k;
        std::string_view v;
        SplitKeyLine(lines_[line], k, v);
        const std::string newLine = std::string(k) + "=" + cpValue;
        if (newLine == lines_[line]) {
            return true;
        }
        lines_[line] = newLine;
        return Save();
    }
    // A new key goes after the last non-empty line of the section, before any blank lines
    // that separate it from the next one.
    size_t at = end;
    while (at > header + 1 && Trim(lines_[at - 1]).empty()) {
        --at;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), cpKey + "=" + cpValue);
    return Save();
}

bool IniFile::WriteInteger(std::string_view section, std::string_view key, int64_t value) {
    return WriteString(section, key, std::to_string(value));
}

bool IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
    return WriteString(section, key, value ? "1" : "0");
}

bool IniFile::WriteFloat(std::string_view section, std::string_view key, double value) {
    char buf[64];
    const auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return WriteString(section, key, std::string_view(buf, ec == std::errc() ? ptr - buf : 0));
}

bool IniFile::SectionExists(std::string_view section) {
    Refresh();
    size_t header = 0;
    size_t end = 0;
    return FindSection(section, header, end);
}

bool IniFile::ValueExists(std::string_view section, std::string_view key) {
    Refresh();
    size_t header = 0;
    size_t end = 0;
    size_t line = 0;
    return FindSection(section, header, end) && FindKey(header + 1, end, key, line);
}

std::vector<std::string> IniFile::ReadSections() {
    Refresh();
    std::vector<std::string> names;
    for (const std::string& line : lines_) {
        std::string_view name;
        if (HeaderName(line, name)) {
            names.push_back(Cp1250ToUtf8(name));
        }
    }
    return names;
}

std::vector<std::string> IniFile::ReadSection(std::string_view section) {
    Refresh();
    std::vector<std::string> keys;
    size_t header = 0;
    size_t end = 0;
    if (FindSection(section, header, end)) {
        for (size_t i = header + 1; i < end; ++i) {
            std::string_view k;
            std::string_view v;
            if (SplitKeyLine(lines_[i], k, v)) {
                keys.push_back(Cp1250ToUtf8(k));
            }
        }
    }
    return keys;
}

bool IniFile::EraseSection(std::string_view section) {
    if (!Refresh(true)) {
        return false;
    }
    size_t header = 0;
    size_t end = 0;
    if (!FindSection(section, header, end)) {
        return true;
    }
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(end));
    return Save();
}

bool IniFile::DeleteKey(std::string_view section, std::string_view key) {
    if (!Refresh(true)) {
        return false;
    }
    size_t header = 0;
    size_t end = 0;
    size_t line = 0;
    if (!FindSection(section, header, end) || !FindKey(header + 1, end, key, line)) {
        return true;
    }
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(line));
    return Save();
}

} // namespace platform
