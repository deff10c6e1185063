#pragma once

#include "fDefTisk.h"

#include <QApplication>
#include <QCoreApplication>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace printtest {

// One application object for the whole test program, on the offscreen platform unless the
// environment names another.
inline void EnsureQtApp() {
    if (QCoreApplication::instance() != nullptr) {
        return;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "reader_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv); // lives as long as the test program
}

struct Messages : fDefTisk::PrintMessages {
    std::vector<std::string> shown;
    void ShowError(const std::string& text) override { shown.push_back(text); }
};

struct Status : fDefTisk::PrintStatus {
    std::vector<std::string> shown;
    void ShowPrintStatus(const std::string& text) override { shown.push_back(text); }
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
