#pragma once

#include "fDefTisk.h"
#include "testsupport/QtApp.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace printtest {

using testsupport::EnsureQtApp;

struct Messages : fDefTisk::PrintMessages {
    std::vector<std::string> shown;
    void ShowError(const std::string& text) override { shown.push_back(text); }
};

struct Status : fDefTisk::PrintStatus {
    std::vector<std::string> shown;
    void ShowPrintStatus(const std::string& text) override { shown.push_back(text); }
};

// The real files, but reading or removing the one named fails as the system would say.
struct FailingFiles : fDefTisk::PrintFiles {
    std::string failRead;
    std::string failRemove;
    std::function<void()> afterRead; // once: another writer meanwhile
    bool Read(const std::filesystem::path& file, std::string& bytes, std::string& error) override {
        if (file.filename() == failRead) {
            error = "Permission denied";
            return false;
        }
        const bool read = PrintFiles::Read(file, bytes, error);
        if (afterRead) {
            std::exchange(afterRead, nullptr)();
        }
        return read;
    }
    bool Remove(const std::filesystem::path& file, std::string& error) override {
        if (file.filename() == failRemove) {
            error = "Operation not permitted";
            return false;
        }
        return PrintFiles::Remove(file, error);
    }
};

// Standard output of a command (poppler's tools read the PDFs back).
inline std::string Run(const std::string& command) {
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buf[4096];
        size_t n = 0;
        while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) {
            out.append(buf, n);
        }
        ::pclose(p);
    }
    return out;
}

inline std::string PdfText(const std::filesystem::path& pdf) {
    return Run("pdftotext -q '" + pdf.string() + "' -");
}

// pdftohtml's XML at zoom 1, so sizes and positions are in points.
inline std::string PdfXml(const std::filesystem::path& pdf) {
    return Run("pdftohtml -q -xml -i -stdout -zoom 1 '" + pdf.string() + "'");
}

} // namespace printtest
