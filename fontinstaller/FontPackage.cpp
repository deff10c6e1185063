#include "FontPackage.h"

#include "platform/Cp1250.h"
#include "platform/Files.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace typorin {

namespace fs = std::filesystem;

// ---- sources ----------------------------------------------------------------------------------

bool MemorySource::Read(uint64_t offset, uint64_t length, char* out) const {
    if (offset > bytes_.size() || length > bytes_.size() - offset) {
        return false;
    }
    std::memcpy(out, bytes_.data() + offset, length);
    return true;
}

FileSource::FileSource(const fs::path& file) {
    fd_ = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) {
        error_ = file.string() + ": " + platform::ErrnoText(errno);
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
        return;
    }
    size_ = static_cast<uint64_t>(st.st_size);
}

FileSource::~FileSource() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

bool FileSource::Read(uint64_t offset, uint64_t length, char* out) const {
    if (fd_ < 0 || offset > size_ || length > size_ - offset) {
        return false;
    }
    uint64_t done = 0;
    while (done < length) {
        const ssize_t n =
            ::pread(fd_, out + done, length - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += static_cast<uint64_t>(n);
    }
    return true;
}

// ---- directory --------------------------------------------------------------------------------

namespace {

std::string Quoted(std::string_view name) {
    std::string out = "'";
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            static const char hex[] = "0123456789ABCDEF";
            out += "\\x";
            out += hex[u >> 4];
            out += hex[u & 15];
        } else {
            out += c;
        }
    }
    return platform::Cp1250ToUtf8(out) + "'";
}

bool AllDigits(std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool HasControl(std::string_view s) {
    return std::any_of(s.begin(), s.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 || u == 0x7F;
    });
}

} // namespace

bool IsPlainName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string_view::npos && !HasControl(name);
}

bool IsFontName(std::string_view name) {
    while (!name.empty() && name.back() == ' ') {
        name.remove_suffix(1);
    }
    if (name.size() < 3) {
        return false;
    }
    const std::string_view ext = name.substr(name.size() - 3);
    return (ext[0] == 'T' || ext[0] == 't') && (ext[1] == 'T' || ext[1] == 't') &&
           (ext[2] == 'F' || ext[2] == 'f');
}

bool ReadDirectory(const PackageSource& source, std::vector<PayloadEntry>& entries,
                   std::string& reason) {
    entries.clear();
    const uint64_t length = source.Size();
    if (length < TrailerSize + EntryOverhead) {
        reason = "the program carries no font package (the file is too short)";
        return false;
    }
    char count[CountFieldSize];
    if (!source.Read(length - TrailerSize, CountFieldSize, count)) {
        reason = "the count of entries cannot be read";
        return false;
    }
    std::string countText(count, CountFieldSize);
    countText.erase(std::remove_if(countText.begin(), countText.end(),
                                   [](char c) { return c == '\r' || c == '\n'; }),
                    countText.end());
    if (!AllDigits(countText)) {
        reason = "the count of entries is not a number";
        return false;
    }
    const uint64_t n = std::stoull(countText);
    // Every entry takes at least its name and size fields.
    if (n == 0 || n > (length - TrailerSize) / EntryOverhead) {
        reason = "the count of entries (" + countText + ") does not fit the file";
        return false;
    }
    uint64_t end = length - TrailerSize; // one past the current entry's size field
    for (uint64_t i = 0; i < n; ++i) {
        if (end < EntryOverhead) {
            reason = "entry " + std::to_string(i + 1) + " reaches before the start of the file";
            return false;
        }
        char name[NameFieldSize];
        char size[SizeFieldSize];
        if (!source.Read(end - EntryOverhead, NameFieldSize, name) ||
            !source.Read(end - SizeFieldSize, SizeFieldSize, size)) {
            reason = "entry " + std::to_string(i + 1) + " cannot be read";
            return false;
        }
        std::string_view nameText(name, NameFieldSize);
        while (!nameText.empty() && nameText.front() == '\r') {
            nameText.remove_prefix(1);
        }
        const std::string_view sizeText(size, SizeFieldSize);
        if (!AllDigits(sizeText)) {
            reason = "the size of entry " + std::to_string(i + 1) + " is not ten digits";
            return false;
        }
        const uint64_t dataSize = std::stoull(std::string(sizeText));
        if (dataSize > end - EntryOverhead) {
            reason = "the data of entry " + std::to_string(i + 1) + " (" + Quoted(nameText) +
                     ") reaches outside the file";
            return false;
        }
        if (!IsPlainName(nameText)) {
            reason = "entry " + std::to_string(i + 1) + " has no usable file name (" +
                     Quoted(nameText) + ")";
            return false;
        }
        for (const PayloadEntry& e : entries) {
            if (platform::Cp1250EqualNoCase(e.name, nameText)) {
                reason = "the name " + Quoted(nameText) + " is in the package twice";
                return false;
            }
        }
        const uint64_t offset = end - EntryOverhead - dataSize;
        entries.push_back({std::string(nameText), offset, dataSize});
        end = offset;
    }
    return true;
}

// ---- zembrak.dat ------------------------------------------------------------------------------

bool ParseDataFile(std::string_view bytes, PackageData& data, std::string& reason) {
    std::vector<std::string> items;
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n && items.size() < 6) {
        while (i < n && bytes[i] == ' ') {
            ++i;
        }
        std::string item;
        if (i < n && bytes[i] == '"') {
            const size_t close = bytes.find('"', i + 1);
            if (close == std::string_view::npos) {
                reason = "item " + std::to_string(items.size() + 1) +
                         " of zembrak.dat has no closing quote";
                return false;
            }
            item = std::string(bytes.substr(i + 1, close - i - 1));
            i = close + 1;
            while (i < n && bytes[i] != ',' && bytes[i] != '\r' && bytes[i] != '\n') {
                ++i;
            }
        } else {
            const size_t end = std::min(bytes.find_first_of(",\r\n", i), n);
            item = std::string(bytes.substr(i, end - i));
            while (!item.empty() && item.back() == ' ') {
                item.pop_back();
            }
            i = end;
        }
        if (i < n && bytes[i] == ',') {
            ++i;
        } else {
            if (i < n && bytes[i] == '\r') {
                ++i;
            }
            if (i < n && bytes[i] == '\n') {
                ++i;
            }
        }
        if (HasControl(item)) {
            reason = "item " + std::to_string(items.size() + 1) +
                     " of zembrak.dat holds a control character";
            return false;
        }
        items.push_back(std::move(item));
    }
    if (items.empty() || items[0] != DataFileMagic) {
        reason = "zembrak.dat does not begin with \"" + std::string(DataFileMagic) + "\"";
        return false;
    }
    if (items.size() < 6) {
        reason = "zembrak.dat holds " + std::to_string(items.size()) + " items, not six";
        return false;
    }
    data = {items[1], items[2], items[3], items[4], items[5]};
    return true;
}

// ---- writing ----------------------------------------------------------------------------------

std::string PackEntries(const std::vector<PackFile>& files) {
    std::string out;
    for (const PackFile& f : files) {
        out += f.bytes;
        out += std::string(NameFieldSize - std::min<size_t>(f.name.size(), NameFieldSize), '\r');
        out += f.name.substr(0, NameFieldSize);
        std::string size = std::to_string(f.bytes.size());
        out += std::string(SizeFieldSize - size.size(), '0') + size;
    }
    const std::string count = std::to_string(files.size());
    out += std::string(CountFieldSize - count.size(), '\r') + count;
    out += std::string(512, '\t') + "\r\n";
    return out;
}

std::string DataFileBytes(const std::string& title, const std::string& readMe,
                          const std::string& license, const std::string& url,
                          const std::string& urlTitle) {
    const std::string magic = DataFileMagic;
    std::string out;
    for (const std::string* item : {&magic, &readMe, &license, &title, &url, &urlTitle}) {
        out += "\"" + *item + "\"\r\n";
    }
    return out;
}

// ---- extraction -------------------------------------------------------------------------------

namespace {

// What a fatal signal must remove: the extracted files, then their folders. Slots are filled
// before the count grows, so the handler only ever sees complete paths.
constexpr int CleanupSlots = 1024;
const char* volatile g_cleanup[CleanupSlots];
volatile sig_atomic_t g_cleanupCount = 0;

extern "C" void RemoveExtractedOnSignal(int sig) {
    for (int i = 0; i < g_cleanupCount; ++i) {
        if (const char* p = g_cleanup[i]) {
            ::unlink(p);
        }
    }
    for (int i = g_cleanupCount - 1; i >= 0; --i) {
        if (const char* p = g_cleanup[i]) {
            ::rmdir(p);
        }
    }
    // A closing signal is an ordinary end of the program, as for every program of the family.
    (void)sig;
    ::_exit(0);
}

void WatchForSignals() {
    static bool installed = false;
    if (installed) {
        return;
    }
    installed = true;
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction old {};
        if (::sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_DFL) {
            struct sigaction sa {};
            sa.sa_handler = RemoveExtractedOnSignal;
            ::sigemptyset(&sa.sa_mask);
            ::sigaction(sig, &sa, nullptr);
        }
    }
}

void RememberForSignals(const std::string& path) {
    if (g_cleanupCount < CleanupSlots) {
        g_cleanup[g_cleanupCount] = ::strdup(path.c_str());
        g_cleanupCount = g_cleanupCount + 1;
    }
}

void ForgetForSignals(const std::string& path) {
    for (int i = 0; i < g_cleanupCount; ++i) {
        const char* p = g_cleanup[i];
        if (p != nullptr && path == p) {
            g_cleanup[i] = nullptr;
            std::free(const_cast<char*>(p));
        }
    }
}

} // namespace

ExtractFolder::~ExtractFolder() {
    Remove();
}

bool ExtractFolder::Create(std::string& reason) {
    Remove();
    std::error_code ec;
    fs::path base = fs::temp_directory_path(ec);
    if (ec) {
        base = "/tmp";
    }
    std::string tmpl = (base / "typorin-XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) {
        reason = "no temporary folder can be made in " + base.string() + ": " +
                 platform::ErrnoText(errno);
        return false;
    }
    path_ = tmpl;
    WatchForSignals();
    RememberForSignals(path_.string());
    return true;
}

bool ExtractFolder::Add(const std::string& name, const PackageSource& source, uint64_t offset,
                        uint64_t size, std::string& reason) {
    const fs::path file = path_ / name;
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        reason = Quoted(name) + " cannot be extracted: " + platform::ErrnoText(errno);
        return false;
    }
    files_.push_back(file.string());
    RememberForSignals(file.string());
    std::string buf(std::min<uint64_t>(size, 1 << 16), '\0');
    for (uint64_t done = 0; done < size;) {
        const uint64_t part = std::min<uint64_t>(size - done, buf.size());
        if (!source.Read(offset + done, part, buf.data())) {
            ::close(fd);
            reason = Quoted(name) + " cannot be read from the package";
            return false;
        }
        for (uint64_t w = 0; w < part;) {
            const ssize_t n = ::write(fd, buf.data() + w, part - w);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                const int err = n < 0 ? errno : EIO;
                ::close(fd);
                reason = Quoted(name) + " cannot be extracted: " + platform::ErrnoText(err);
                return false;
            }
            w += static_cast<uint64_t>(n);
        }
        done += part;
    }
    if (::close(fd) != 0) {
        reason = Quoted(name) + " cannot be extracted: " + platform::ErrnoText(errno);
        return false;
    }
    return true;
}

void ExtractFolder::Remove() {
    for (const std::string& f : files_) {
        ::unlink(f.c_str());
        ForgetForSignals(f);
    }
    files_.clear();
    if (!path_.empty()) {
        ::rmdir(path_.c_str());
        ForgetForSignals(path_.string());
        path_.clear();
    }
}

// ---- start ------------------------------------------------------------------------------------

namespace {

const std::string* FindEntry(const std::vector<std::string>& names, std::string_view name) {
    for (const std::string& n : names) {
        if (platform::Cp1250EqualNoCase(n, name)) {
            return &n;
        }
    }
    return nullptr;
}

// A text of the package, shown as it is: lines without their ends, each followed by '\n'.
bool ReadText(const Package& package, const std::string& name, const char* what, std::string& text,
              std::string& reason) {
    const std::string* entry = FindEntry(package.fileList, name);
    if (entry == nullptr) {
        reason = std::string("the ") + what + " file " + Quoted(name) +
                 " named in zembrak.dat is not in the package";
        return false;
    }
    std::string bytes;
    std::string error;
    if (!platform::ReadWholeFile(package.folder.Path() / *entry, bytes, &error)) {
        reason = error;
        return false;
    }
    text.clear();
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) {
            end = bytes.size();
        }
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        text += platform::Cp1250ToUtf8(line) + "\n";
        start = end + 1;
    }
    return true;
}

} // namespace

bool LoadPackage(const PackageSource& source, const FaceNameOf& faceName, Package& package,
                 std::string& reason, const FontCheck& whole) {
    std::vector<PayloadEntry> entries;
    if (!ReadDirectory(source, entries, reason)) {
        return false;
    }
    package.fileList.clear();
    package.fonts.clear();
    if (!package.folder.Create(reason)) {
        return false;
    }
    for (const PayloadEntry& e : entries) {
        if (!package.folder.Add(e.name, source, e.offset, e.size, reason)) {
            return false;
        }
        package.fileList.push_back(e.name);
    }

    const std::string* dataFile = FindEntry(package.fileList, DataFileName);
    if (dataFile == nullptr) {
        reason = "the package holds no zembrak.dat";
        return false;
    }
    std::string bytes;
    if (!platform::ReadWholeFile(package.folder.Path() / *dataFile, bytes, &reason, 1 << 20) ||
        !ParseDataFile(bytes, package.data, reason)) {
        return false;
    }
    package.readMe.clear();
    package.license.clear();
    if (package.data.readMeName != NoReadMe &&
        !ReadText(package, package.data.readMeName, "read-me", package.readMe, reason)) {
        return false;
    }
    if (package.data.licenseName != NoLicense &&
        !ReadText(package, package.data.licenseName, "licence", package.license, reason)) {
        return false;
    }

    for (size_t i = 0; i < entries.size(); ++i) {
        if (!IsFontName(entries[i].name)) {
            continue;
        }
        const fs::path file = package.folder.Path() / entries[i].name;
        const auto face = faceName(file);
        if (!face || face->empty()) {
            reason = Quoted(entries[i].name) +
                     " is no font, or its family name cannot be read from the font itself";
            return false;
        }
        std::string damage;
        if (whole && !whole(file, damage)) {
            reason = Quoted(entries[i].name) + " is a damaged font: " + damage;
            return false;
        }
        package.fonts.push_back({entries[i].name, *face, entries[i].size});
    }
    if (package.fonts.empty()) {
        reason = "the package holds no font";
        return false;
    }
    return true;
}

} // namespace typorin
