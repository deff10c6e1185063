// The font package: the layout the build ships, reading and extracting a package, and every
// kind of damaged or hostile package.

#include "FontPackage.h"
#include "FontStore.h"
#include "TestFonts.h"

#include "platform/Cp1250.h"
#include "testsupport/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace typorin;
using namespace typorintest;
namespace fs = std::filesystem;

namespace {

const std::string ShippedDataFile = "\"ZEMBRAK DATAFILE 1\"\r\n\"NOREADME\"\r\n\"NOLICENSE\"\r\n"
                                    "\"VaZevo2004\"\r\n\"\"\r\n\"\"\r\n";

// One entry with its name and size fields as given.
std::string RawEntry(const std::string& data, const std::string& name40,
                     const std::string& size10) {
    return data + name40 + size10;
}
std::string Name40(const std::string& name) {
    return std::string(40 - name.size(), '\r') + name;
}
std::string Trailer(const std::string& count5) {
    return count5 + std::string(512, '\t') + "\r\n";
}

} // namespace

#if defined(TYPORIN_PATH)
// The built program is the linked image, the font with its real size, the 69-byte data file
// and the trailer, once.
TEST(FontPackage, ShippedProgramCarriesTheFontAndDataFileByteForByte) {
    const std::string image = testsupport::ReadBytes(TYPORIN_IMAGE);
    const std::string font = testsupport::ReadBytes(TYPORIN_FONT);
    const std::string packed = testsupport::ReadBytes(TYPORIN_PATH);
    ASSERT_EQ(ShippedDataFile.size(), 69u);
    ASSERT_FALSE(font.empty());
    std::string size = std::to_string(font.size());
    size.insert(0, 10 - size.size(), '0');
    const std::string expected = image + font + std::string(27, '\r') + "QZ_Pikt04.TTF" + size +
                                 ShippedDataFile + std::string(29, '\r') + "zembrak.dat" +
                                 "0000000069" + "\r\r\r\r2" + std::string(512, '\t') + "\r\n";
    EXPECT_EQ(packed.size(), expected.size());
    EXPECT_TRUE(packed == expected);

    FontconfigStore store;
    Package p;
    std::string reason;
    ASSERT_TRUE(LoadPackage(
        FileSource(TYPORIN_PATH), [&](const fs::path& f) { return store.FaceName(f); }, p, reason,
        FontIsWhole))
        << reason;
    EXPECT_EQ(p.fileList, (std::vector<std::string>{"zembrak.dat", "QZ_Pikt04.TTF"}));
    ASSERT_EQ(p.fonts.size(), 1u);
    EXPECT_EQ(p.fonts[0].file, "QZ_Pikt04.TTF");
    EXPECT_EQ(p.fonts[0].face, "QZ-Davovazedi04");
    EXPECT_EQ(p.fonts[0].size, font.size());
    EXPECT_EQ(p.data.title, "VaZevo2004");
    EXPECT_TRUE(p.readMe.empty() && p.license.empty() && p.data.url.empty());
}
#endif

// The data file need not be the first entry read, names are matched without regard to case,
// fonts are the names ending in TTF, and the texts are shown line by line in UTF-8. The
// private folder holds the files and goes with the package.
TEST(FontPackage, LoadsExtractsAndRemovesItsFolder) {
    const std::string readMe = platform::Utf8ToCp1250("Řádek 1\r\nLine 2");
    const std::string bytes = Packed({
        {"Zembrak.DAT", "\"ZEMBRAK DATAFILE 1\",\"read me.txt\"\r\n  licence.TXT \r\n"
                        "\"Sada\",\"https://example.org/\",Web\r\n"},
        {"Read Me.txt", readMe},
        {"LICENCE.txt", ""},
        {"a.ttf ", FakeFont("Alpha")},
        {"b.ttc", "collection"},
        {"B.TTF", FakeFont("Beta")},
    });
    fs::path folder;
    {
        Package p;
        std::string reason;
        ASSERT_TRUE(LoadPackage(MemorySource(bytes), FakeFace, p, reason)) << reason;
        folder = p.folder.Path();
        EXPECT_EQ(p.fileList, (std::vector<std::string>{"B.TTF", "b.ttc", "a.ttf ", "LICENCE.txt",
                                                        "Read Me.txt", "Zembrak.DAT"}));
        ASSERT_EQ(p.fonts.size(), 2u);
        EXPECT_EQ(p.fonts[0].face, "Beta");
        EXPECT_EQ(p.fonts[1].file, "a.ttf ");
        EXPECT_EQ(p.readMe, "Řádek 1\nLine 2\n");
        EXPECT_EQ(p.license, ""); // a file without lines: no licence page
        EXPECT_EQ(p.data.title, "Sada");
        EXPECT_EQ(p.data.url, "https://example.org/");
        EXPECT_EQ(p.data.urlTitle, "Web");
        struct stat st {};
        ASSERT_EQ(::stat(folder.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u);
        EXPECT_EQ(testsupport::ReadBytes(folder / "Read Me.txt"), readMe);
        EXPECT_EQ(testsupport::ReadBytes(folder / "B.TTF"), FakeFont("Beta"));
    }
    EXPECT_FALSE(fs::exists(folder));
}

// Every damaged package is refused with its reason, reading nothing outside the file and
// writing nothing outside the private folder.
TEST(FontPackage, HostilePackagesAreRefusedWithTheReason) {
    const std::string data = DataFileBytes("T");
    const std::string font = FakeFont("F");
    const std::string good = RawEntry(font, Name40("f.ttf"), "0000000006") +
                             RawEntry(data, Name40("zembrak.dat"), "0000000060");
    ASSERT_EQ(data.size(), 60u);
    struct Case {
        const char* what;
        std::string bytes;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"too short", "abc", "too short"},
        {"count 0", "IMG" + good + Trailer("\r\r\r\r0"), "does not fit"},
        {"count beyond the file", "IMG" + good + Trailer("\r\r\r\r9"), "does not fit"},
        {"count not a number", "IMG" + good + Trailer("\r\r\r2x"), "not a number"},
        {"size not ten digits",
         "IMG" + RawEntry(data, Name40("zembrak.dat"), "000000060 ") + Trailer("\r\r\r\r1"),
         "not ten digits"},
        {"size outside the file",
         "IMG" + RawEntry(data, Name40("zembrak.dat"), "9999999999") + Trailer("\r\r\r\r1"),
         "outside the file"},
        {"empty name",
         "IMG" + RawEntry(data, std::string(40, '\r'), "0000000060") + Trailer("\r\r\r\r1"),
         "no usable file name"},
        {"dot dot", "IMG" + good + RawEntry("x", Name40(".."), "0000000001") + Trailer("\r\r\r\r3"),
         "no usable file name"},
        {"slash", "IMG" + good + RawEntry("x", Name40("../x"), "0000000001") + Trailer("\r\r\r\r3"),
         "no usable file name"},
        {"backslash",
         "IMG" + good + RawEntry("x", Name40("a\\b"), "0000000001") + Trailer("\r\r\r\r3"),
         "no usable file name"},
        {"control character",
         "IMG" + good + RawEntry("x", Name40("a\tb"), "0000000001") + Trailer("\r\r\r\r3"),
         "'a\\x09b'"},
        {"repeated name",
         "IMG" + good + RawEntry("x", Name40("F.TTF"), "0000000001") + Trailer("\r\r\r\r3"),
         "twice"},
        {"no data file", Packed({{"f.ttf", font}}), "no zembrak.dat"},
        {"magic in lower case",
         Packed({{"f.ttf", font}, {"zembrak.dat", "\"zembrak datafile 1\"\r\n"}}),
         "does not begin"},
        {"five items",
         Packed({{"f.ttf", font},
                 {"zembrak.dat", "\"ZEMBRAK DATAFILE 1\"\r\n\"NOREADME\"\r\n"
                                 "\"NOLICENSE\"\r\n\"T\"\r\n\"\"\r\n"}}),
         "not six"},
        {"control character in an item",
         Packed({{"f.ttf", font}, {"zembrak.dat", DataFileBytes("T\x1b[2J")}}),
         "control character"},
        {"read-me not in the package",
         Packed({{"f.ttf", font}, {"zembrak.dat", DataFileBytes("T", "")}}), "read-me file ''"},
        {"licence not in the package",
         Packed({{"f.ttf", font}, {"zembrak.dat", DataFileBytes("T", "NOREADME", "../etc/x")}}),
         "licence file '../etc/x'"},
        {"no font", Packed({{"zembrak.dat", data}}), "no font"},
        {"a .TTF that is no font", Packed({{"f.TTF", "plain text"}, {"zembrak.dat", data}}),
         "'f.TTF' is no font"},
    };
    for (const Case& c : cases) {
        Package p;
        std::string reason;
        EXPECT_FALSE(LoadPackage(MemorySource(c.bytes), FakeFace, p, reason)) << c.what;
        EXPECT_NE(reason.find(c.reason), std::string::npos) << c.what << ": " << reason;
    }
    // The same entries with a sound count are a package.
    Package p;
    std::string reason;
    EXPECT_TRUE(LoadPackage(MemorySource("IMG" + good + Trailer("\r\r\r\r2")), FakeFace, p, reason))
        << reason;
}
